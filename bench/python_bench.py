"""Throughput of the Python boundary's hot paths. Run with the installed module:

    .venv/bin/python bench/python_bench.py
"""

import time

import orvel


def best_of(runs, function):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        function()
        best = min(best, time.perf_counter() - start)
    return best


def each(function, items):
    for item in items:
        function(item)


def report(label, seconds, count, unit):
    print(f"{label:<46} {seconds * 1e3:9.1f} ms   {count / seconds:14,.0f} {unit}/s")


def main():
    pairs = [(f"A{i}", str(i)) for i in range(1, 200_001)]
    report("set_cells, 200,000 pairs into a new sheet",
           best_of(3, lambda: orvel.Sheet().set_cells(pairs)), len(pairs), "pairs")
    sheet = orvel.Sheet()
    sheet.set_cells(pairs)
    report("get_all, 200,000 values", best_of(5, sheet.get_all), len(pairs), "values")
    report("get_all_typed, 200,000 values", best_of(5, sheet.get_all_typed), len(pairs), "values")

    # Each result is dropped before the next call, as an editor handling one formula at a time
    # would; keeping millions of result dicts alive measures the garbage collector instead.
    formulas = [f"={i}*2+1" for i in range(100_000)]
    report("evaluate, 100,000 one-shot calls",
           best_of(3, lambda: each(orvel.evaluate, formulas)), len(formulas), "calls")

    formulas = [f'=SUM(A{i}:B{i + 9})*$C$3+IF(D{i}>0,"x"&E{i},F{i}/2)' for i in range(100_000)]
    report("formula_tokens, 100,000 formulas",
           best_of(3, lambda: each(orvel.formula_tokens, formulas)), len(formulas), "formulas")
    report("extract_refs, 100,000 formulas",
           best_of(3, lambda: each(orvel.extract_refs, formulas)), len(formulas), "formulas")
    insert = orvel.adjust_refs_for_insertion
    report("adjust_refs_for_insertion, 100,000 formulas",
           best_of(3, lambda: each(lambda f: insert(f, [1], [2]), formulas)), len(formulas),
           "formulas")


if __name__ == "__main__":
    main()
