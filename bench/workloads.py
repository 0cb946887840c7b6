"""The five workloads of the engine comparison, written once against the small engine interface of
bench/engines/ (prepare, load, edit, read, tokens, row insertion).

Each workload is a generator of steps. A step times `runs` repetitions of one action and yields a
StepResult with the seconds of every run, the value the engine computed (checked against
`expected` and against the other engines by compare.py) and a note. Building each engine's input
is done before the clock starts; what is timed is what a host pays for: handing the cells to the
engine, the calculation, and reading the result cells back.

This file runs under every interpreter that drives an engine (the system Python included), so it
uses nothing newer than Python 3.11.
"""

import time
from dataclasses import dataclass


class Unsupported(Exception):
    """The engine has no public way to do this step; the message says what is missing."""


class TooSlow(Exception):
    """The runs done so far show that the step cannot finish within its time budget."""


@dataclass
class ArrayFormula:
    """A fixed-size array formula over `target` (a range): the form closest to a spill that
    engines without dynamic arrays offer."""

    target: str
    formula: str


@dataclass
class StepResult:
    step: str
    seconds: list
    result: object = None
    expected: object = None
    note: str = ""
    failure: str = ""
    cpu_seconds: list = None  # when the step times itself instead of through Runner.time


def split_ref(ref):
    """'AB12' -> (12, 28): 1-based row and column."""
    split = next(i for i, ch in enumerate(ref) if ch.isdigit())
    col = 0
    for ch in ref[:split]:
        col = col * 26 + ord(ch) - ord("A") + 1
    return int(ref[split:]), col


class Runner:
    """Times the runs of one step within its budget."""

    def __init__(self, runs, budget_seconds):
        self.runs = runs
        self.budget = budget_seconds
        # Processor seconds of the process over the timed runs, all threads together: more than
        # the wall time shows an engine that calculates on several cores.
        self.cpu_seconds = []

    def time(self, action, setup=None):
        """Calls action(setup(k)) (action(k) without a setup) for k in range(runs), timing only
        the action; returns the seconds of each call and the last call's return value. Raises
        TooSlow once the runs so far show that all of them would not fit the budget."""
        seconds = []
        value = None
        for k in range(self.runs):
            value = None  # the previous run's result is freed before the clock starts
            argument = setup(k) if setup else k
            cpu = time.process_time()
            start = time.perf_counter()
            value = action(argument)
            seconds.append(time.perf_counter() - start)
            self.cpu_seconds.append(time.process_time() - cpu)
            spent = sum(seconds)
            if k + 1 < self.runs and spent * self.runs / (k + 1) > self.budget:
                raise TooSlow(
                    f"too slow: {k + 1} run{'s' if k else ''} took {spent:.1f} s; "
                    f"{self.runs} runs exceed the {self.budget:.0f} s step budget"
                )
        return seconds, value


def time_loads(engine, prepared, targets, runner, pick=0):
    """Times `runs` loads, each reading `targets` (an engine that calculates on demand calculates
    then). A model is freed before the next run starts, outside the timed part: tearing a model
    down is no part of loading it. Returns (seconds, the value at index `pick` of the read)."""
    alive = []

    def load(_):
        model = engine.load(prepared)
        alive.append(model)
        return engine.read(model, targets)[pick]

    return runner.time(load, setup=lambda k: alive.clear())


def edit_values(k):
    """Edits alternate between two values so that every run changes the cell; the last of an
    odd number of runs sets the first value, which the expected results assume."""
    return 42 if k % 2 == 0 else 43


# W1 column map and total: A_i = i, B_i = A_i*2+1, C1 = SUM(B1:B_N). (a) load, (b) edit
# A_{N/2} and read C1.
def column_map(engine, n, runner):
    cells = [(f"A{i}", i) for i in range(1, n + 1)]
    cells += [(f"B{i}", f"=A{i}*2+1") for i in range(1, n + 1)]
    cells.append(("C1", f"=SUM(B1:B{n})"))
    total = n * (n + 1) + n
    edited = n // 2
    prepared = engine.prepare(cells)

    seconds, value = time_loads(engine, prepared, ["C1"], runner)
    yield StepResult("load", seconds, value, float(total))

    model = engine.load(prepared)
    engine.read(model, ["C1"])

    def edit(k):
        engine.edit(model, [(f"A{edited}", edit_values(k))])
        return engine.read(model, ["C1"])[0]

    seconds, value = runner.time(edit)
    yield StepResult("edit", seconds, value, float(total - (2 * edited + 1) + (2 * 42 + 1)))


# W2 deep chain: A1 = 1, A_i = A_{i-1}+1: load, edit A1, read A_N.
def deep_chain(engine, n, runner):
    cells = [("A1", 1)] + [(f"A{i}", f"=A{i - 1}+1") for i in range(2, n + 1)]
    last = f"A{n}"
    prepared = engine.prepare(cells)

    seconds, value = time_loads(engine, prepared, [last], runner)
    yield StepResult("load", seconds, value, float(n))

    model = engine.load(prepared)
    engine.read(model, [last])

    def edit(k):
        engine.edit(model, [("A1", edit_values(k))])
        return engine.read(model, [last])[0]

    seconds, value = runner.time(edit)
    yield StepResult("edit", seconds, value, float(n - 1 + 42))


# W3 running totals: A_i = i, B_i = SUM($A$1:A_i): load and an edit of A1, each reading every
# B_i (an engine that calculates on demand must compute them all).
def running_totals(engine, n, runner):
    cells = [(f"A{i}", i) for i in range(1, n + 1)]
    cells += [(f"B{i}", f"=SUM($A$1:A{i})") for i in range(1, n + 1)]
    totals = [f"B{i}" for i in range(1, n + 1)]
    prepared = engine.prepare(cells)

    seconds, value = time_loads(engine, prepared, totals, runner, pick=-1)
    yield StepResult("load", seconds, value, float(n * (n + 1) // 2))

    model = engine.load(prepared)
    engine.read(model, totals)

    def edit(k):
        engine.edit(model, [("A1", edit_values(k))])
        return engine.read(model, totals)[-1]

    seconds, value = runner.time(edit)
    yield StepResult("edit", seconds, value, float(n * (n + 1) // 2 - 1 + 42))


# W4 spills: A1 = SEQUENCE(N), B1 = A1#*2, C1 = SUM(B1#); block B_{N/2} with text, then clear it.
# An engine without spills gets the closest fixed array form (values in A, an array formula over
# B1:B_N) for the load; blocking has no meaning there.
def spills(engine, n, runner):
    blocked = f"B{n // 2}"
    total = float(n * (n + 1))
    if engine.has_spills:
        cells = [("A1", f"=SEQUENCE({n})"), ("B1", "=A1#*2"), ("C1", "=SUM(B1#)")]
        note = ""
    elif engine.has_array_formulas:
        cells = [(f"A{i}", i) for i in range(1, n + 1)]
        cells += [("B1", ArrayFormula(f"B1:B{n}", f"=A1:A{n}*2")), ("C1", f"=SUM(B1:B{n})")]
        note = "no spills: array formula form"
    else:
        raise Unsupported(engine.no_spills_reason)
    prepared = engine.prepare(cells)

    seconds, value = time_loads(engine, prepared, ["C1"], runner)
    yield StepResult("load", seconds, value, total, note)
    if not engine.has_spills:
        raise Unsupported("no spills")

    model = engine.load(prepared)
    engine.read(model, ["C1"])
    block_seconds, clear_seconds, block_cpu, clear_cpu = [], [], [], []
    anchor = cleared = None
    for k in range(runner.runs):
        cpu, start = time.process_time(), time.perf_counter()
        engine.edit(model, [(blocked, "x")])
        anchor = engine.read(model, ["B1"])[0]
        block_seconds.append(time.perf_counter() - start)
        block_cpu.append(time.process_time() - cpu)
        cpu, start = time.process_time(), time.perf_counter()
        engine.edit(model, [(blocked, None)])
        cleared = engine.read(model, ["C1"])[0]
        clear_seconds.append(time.perf_counter() - start)
        clear_cpu.append(time.process_time() - cpu)
        if sum(block_seconds) + sum(clear_seconds) > runner.budget:
            raise TooSlow(f"too slow: {k + 1} block/clear pairs exceed {runner.budget:.0f} s")
    yield StepResult("block", block_seconds, anchor, "#SPILL", cpu_seconds=block_cpu)
    yield StepResult("clear", clear_seconds, cleared, total, cpu_seconds=clear_cpu)


def editor_formula(i):
    return f'=SUM(A{i}:B{i + 9})*$C$3+IF(D{i}>0,"x"&E{i},F{i}/2)'


# W5 editor services over N formulas: tokenizing each, and rewriting them for one row inserted
# at row N/2 (an engine whose only row insertion is on a sheet inserts into a sheet holding the
# formulas in column G).
def editor_services(engine, n, runner):
    formulas = [editor_formula(i) for i in range(1, n + 1)]

    def tokenize_all(k):
        for formula in formulas:
            engine.tokens(formula)
        return engine.references(engine.tokens(formulas[-1]))

    try:
        seconds, refs = runner.time(tokenize_all)
        yield StepResult("tokens", seconds, refs, reference_texts(n), engine.tokens_note)
    except (Unsupported, TooSlow) as not_measured:
        yield StepResult("tokens", [], failure=str(not_measured))

    inserted_row = n // 2
    straddling = inserted_row - 5
    try:
        setup = engine.prepare_row_insertion(formulas)
    except Unsupported as missing:
        yield StepResult("insert row", [], failure=str(missing))
        return

    seconds, rewritten = runner.time(lambda target: engine.insert_row(target, inserted_row),
                                     lambda k: engine.fresh_row_insertion(setup))
    text = engine.formula_after_insertion(rewritten, straddling, inserted_row)
    expected = (f'=SUM(A{straddling}:B{straddling + 10})*$C$3'
                f'+IF(D{straddling}>0,"x"&E{straddling},F{straddling}/2)')
    yield StepResult("insert row", seconds, text, expected, engine.insertion_note)


def reference_texts(n):
    """The references of editor_formula(n) as compare.py checks them: without "$"."""
    return [f"A{n}:B{n + 9}", "C3", f"D{n}", f"E{n}", f"F{n}"]


def normalize(value):
    """Engines' values in one form for the checks: numbers as float, errors as "#" and the
    upper-case error name without its closing punctuation ("#SPILL!" -> "#SPILL")."""
    if isinstance(value, bool):
        return value
    if isinstance(value, (int, float)):
        return float(value)
    if isinstance(value, str) and value.startswith("#"):
        return value.rstrip("!?").upper()
    return value


# name -> (title, function, steps)
WORKLOADS = {
    "W1": ("column map and total", column_map, ["load", "edit"]),
    "W2": ("deep chain", deep_chain, ["load", "edit"]),
    "W3": ("running totals", running_totals, ["load", "edit"]),
    "W4": ("spills", spills, ["load", "block", "clear"]),
    "W5": ("editor services", editor_services, ["tokens", "insert row"]),
}

ENGINES = ["orvel", "formualizer", "ironcalc", "ixion", "pycel", "formulas"]
NATIVE = ["orvel", "formualizer", "ironcalc", "ixion"]

# (workload, N, engines). The native engines run the full sizes; the pure-Python
# engines run smaller sizes where the full ones would take minutes a run, and orvel runs every size
# that any engine runs so that each ratio compares equal work.
PLAN = [
    ("W1", 100_000, NATIVE),
    ("W1", 10_000, ["orvel", "pycel"]),
    ("W1", 2_000, ["orvel", "formulas"]),
    ("W2", 10_000, NATIVE + ["pycel"]),
    ("W2", 100_000, NATIVE + ["pycel"]),
    ("W2", 2_000, ["orvel", "formulas"]),
    ("W3", 2_000, ENGINES),
    ("W3", 5_000, ENGINES),
    ("W4", 100_000, NATIVE),
    ("W4", 10_000, ["orvel", "formualizer", "pycel"]),
    ("W4", 2_000, ["orvel", "formulas"]),
    ("W5", 100_000, NATIVE + ["pycel"]),
    ("W5", 2_000, ["orvel", "formulas"]),
]
