"""A short tour of orvel: formulas, a spill, a name, a pin, a Python function, typed reads,
and the date-and-time and URL packages."""

import orvel


def show(title, value):
    print(f"{title:<48} {value!r}")


def main():
    sheet = orvel.Sheet()

    # Raw inputs: texts are classified, "=" starts a formula.
    sheet.set_cells([("A1", "=B1*2"), ("B1", "21"), ("C1", "hello")])
    show("A1 =B1*2 with B1 = 21, as text", sheet.get("A1"))
    show("A1 typed", sheet.get_typed("A1"))

    # An array result spills over the cells to its right and below.
    sheet.set_cells([("D1", "=SEQUENCE(3, 2)")])
    show("D1 =SEQUENCE(3, 2): spill region", sheet.spill_at("D1"))
    show("its array, typed", sheet.get_array_typed("D1"))
    show("E3 is filled by the spill of", sheet.owner_of("E3"))

    # A named definition, used by a formula.
    sheet.set_name("tax_rate", "0.25")
    sheet.set_cells([("A2", "=A1*TAX_RATE")])
    show("A2 =A1*TAX_RATE", sheet.get_typed("A2"))

    # A pin overrides a cell with a fixed array of texts.
    sheet.pin_value("G1", [["north", "south"]])
    show("G1 pinned; H1 reads", sheet.get("H1"))

    # A custom function written in Python receives its arguments flattened.
    sheet.register_function("HYPOT", lambda args: sum(x * x for x in args) ** 0.5)
    sheet.set_cells([("A3", "=HYPOT(3, 4)"), ("A4", "=HYPOT(D1:E1)")])
    show("A3 =HYPOT(3, 4)", sheet.get_typed("A3"))
    show("A4 =HYPOT(D1:E1)", sheet.get_typed("A4"))

    # Typed writes bypass classification.
    sheet.set_cells_typed([("B2", {"kind": "string", "value": "=not a formula"}),
                           ("B3", {"kind": "number", "value": 2.5})])
    show("B2 typed string", sheet.get("B2"))
    show("every value", sheet.get_all_typed())

    # One-shot evaluation and the editor services need no sheet.
    show("evaluate('=SUM(1, 2, 3)')", orvel.evaluate("=SUM(1, 2, 3)"))
    show("complete('=SE', 3)", [item["label"] for item in sheet.complete("=SE", 3)["items"]])
    show("adjust_refs_for_insertion('=A1+B2', rows=[0])",
         orvel.adjust_refs_for_insertion("=A1+B2", inserted_rows=[0]))

    packages()


def packages():
    """The date-and-time and URL packages switch on per sheet."""
    sheet = orvel.Sheet()
    sheet.register_datetime()
    sheet.register_url()
    sheet.set_cells([
        ("A1", "=DATE(2024, 1, 31)"),
        ("A2", "=DATEADD(A1, MONTHS(1))"),
        ("A3", '=ZONED(DATETIME(2024, 3, 10, 12, 0, 0), "America/New_York")'),
        ("A4", '=FORMAT(A3, "%A %d %B %Y, %H:%M %Z")'),
        ("B1", '="https://example.com/search?q=formula+engine&page=2"'),
        ("B2", "=URL_HOST(B1)"),
        ("B3", '=URL_PARAM(B1, "q")'),
        ("B4", '=URL_JOIN(B1, "../docs/index.html")'),
    ])
    show("A2 one month after 2024-01-31", sheet.get("A2"))
    show("A2 typed", sheet.get_typed("A2"))
    show("A3 noon in New York", sheet.get("A3"))
    show("A4 formatted", sheet.get("A4"))
    show("B2 host", sheet.get("B2"))
    show("B3 parameter q", sheet.get("B3"))
    show("B4 joined", sheet.get("B4"))


if __name__ == "__main__":
    main()
