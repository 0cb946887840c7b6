"""Repeated operations hold on to no memory and no objects."""

import gc
import os
import tracemalloc

import pytest

import orvel

ROUNDS = 10_000


def _growth(operation):
    """Python-side memory and object growth over ROUNDS calls, after a warm-up."""
    for _ in range(200):
        operation()
    gc.collect()
    tracemalloc.start()
    before_memory = tracemalloc.get_traced_memory()[0]
    before_objects = len(gc.get_objects())
    for _ in range(ROUNDS):
        operation()
    gc.collect()
    after_memory = tracemalloc.get_traced_memory()[0]
    tracemalloc.stop()
    return after_memory - before_memory, len(gc.get_objects()) - before_objects


def _assert_no_growth(operation):
    memory, objects = _growth(operation)
    assert memory < 64 * 1024, memory
    assert objects < 50, objects


def _refuse(call):
    try:
        call()
    except (TypeError, ValueError, OverflowError, UnicodeEncodeError):
        pass


def test_module_functions_do_not_leak():
    def operation():
        _refuse(lambda: orvel.evaluate(1))
        _refuse(lambda: orvel.evaluate("=1/0"))
        _refuse(lambda: orvel.evaluate("\ud800"))
        _refuse(lambda: orvel.adjust_refs_for_deletion("=A1", [1, -1]))
        _refuse(lambda: orvel.cell_id(0, 2**40))
        _refuse(lambda: orvel.evaluate(formula="1", other=2))
        orvel.evaluate("=1+2")
        orvel.formula_tokens("=SUM(A1:B2)+1")
        orvel.extract_refs("=SUM(A1:B2)+C3")
        orvel.list_functions()
        orvel.signature_help("=SUM(1,", 7)
        orvel.parse_range("A1:B2")

    _assert_no_growth(operation)


def test_sheet_operations_do_not_leak(sheet):
    sheet.register_function("ECHO", lambda args: args)
    sheet.register_function("BOOM", lambda args: 1 / 0)
    sheet.register_function("PEEK", lambda args: sheet.get("A1"))

    class Handler:
        type_tag = "t"

        def parse_literal(self, raw):
            return {"data": raw} if raw.startswith("t:") else None

        def display(self, value):
            return value["data"]

        def compare(self, op, lhs, rhs):
            return None

    sheet.register_type(Handler())

    def operation():
        sheet.set_cells([("A1", "=ECHO(1, \"x\", TRUE)"), ("A2", "=BOOM()"), ("A3", "t:1"),
                         ("A4", "=PEEK()"), ("A5", "={1,2;3,4}"), ("A6", "=A3=1")])
        sheet.set_cells_typed([("B1", {"kind": "custom", "type_tag": "t", "data": "x"})])
        _refuse(lambda: sheet.set_cells_typed([("B2", {"kind": "number", "value": "x"})]))
        _refuse(lambda: sheet.set_cells("A1"))
        sheet.get_all()
        sheet.get_all_typed()
        sheet.get_array_typed("A5")
        sheet.complete("=E", 2)
        sheet.names()

    _assert_no_growth(operation)


def test_dropped_sheets_release_everything():

    def operation():
        sheet = orvel.Sheet()
        sheet.register_function("SELF", lambda args: sheet.get("A1"))
        sheet.set_cells([("A1", "=SELF()")])

    _assert_no_growth(operation)


def _resident_mib():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") / 2**20


@pytest.mark.skipif(not os.path.exists("/proc/self/statm"), reason="needs /proc")
@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                    reason="AddressSanitizer holds freed memory back")
def test_records_of_cells_that_come_and_go_are_reused():
    # 600,000 distinct cells, 20,000 at a time: about 150 MiB of records if none were freed.
    sheet = orvel.Sheet()
    before = _resident_mib()
    for block in range(30):
        cells = [(f"X{block * 20000 + i}", "1") for i in range(1, 20001)]
        sheet.set_cells(cells)
        sheet.set_cells([(cell, "") for cell, _ in cells])
    assert _resident_mib() - before < 64
