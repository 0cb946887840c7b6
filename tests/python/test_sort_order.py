"""SORT against a model of its order: stable in both directions, with many equal keys.

The C++ tables pin single rows of the order; ties in numbers of either sign, booleans against
numbers and equal texts are where an unstable comparison shows."""

from hypothesis import given, settings, strategies as st

import orvel

# Keys as formula text, with the model's key: numbers and booleans by value, then texts by bytes.
KEYS = {
    "1": (0, 1.0, b""), "TRUE": (0, 1.0, b""), "0": (0, 0.0, b""), "-0": (0, 0.0, b""),
    "FALSE": (0, 0.0, b""), "-2": (0, -2.0, b""), "0.5": (0, 0.5, b""),
    '"b"': (1, 0.0, b"b"), '"B"': (1, 0.0, b"B"), '""': (1, 0.0, b""),
    '"\u00e9"': (1, 0.0, "\u00e9".encode()),
}  # fmt: skip


@settings(max_examples=300, deadline=None)
@given(st.lists(st.sampled_from(sorted(KEYS)), min_size=1, max_size=25), st.booleans())
def test_sort_is_stable_in_both_directions(keys, ascending):
    # The second column numbers the rows, so that the order of equal keys shows.
    rows = ";".join(f"{key},{i}" for i, key in enumerate(keys))
    sheet = orvel.Sheet()
    sheet.set_cells([("A1", "=SORT({" + rows + "},1," + str(ascending).upper() + ")")])
    order = sorted(range(len(keys)), key=lambda i: KEYS[keys[i]], reverse=not ascending)
    assert [row[1] for row in sheet.get_array_typed("A1")] == order, rows
