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


def report(label, seconds, count, unit):
    print(f"{label:<46} {seconds * 1e3:9.1f} ms   {count / seconds:14,.0f} {unit}/s")


def main():
    pairs = [(f"A{i}", str(i)) for i in range(1, 200_001)]
    sheet = orvel.Sheet()
    report("set_cells, 200,000 pairs (with recalculation)",
           best_of(3, lambda: sheet.set_cells(pairs)), len(pairs), "pairs")
    report("get_all, 200,000 values", best_of(5, sheet.get_all), len(pairs), "values")
    report("get_all_typed, 200,000 values", best_of(5, sheet.get_all_typed), len(pairs), "values")

    formulas = [f"={i}*2+1" for i in range(100_000)]
    evaluate = orvel.evaluate
    report("evaluate, 100,000 one-shot calls",
           best_of(3, lambda: [evaluate(f) for f in formulas]), len(formulas), "calls")

    formulas = [f'=SUM(A{i}:B{i + 9})*$C$3+IF(D{i}>0,"x"&E{i},F{i}/2)' for i in range(100_000)]
    tokens = orvel.formula_tokens
    report("formula_tokens, 100,000 formulas",
           best_of(3, lambda: [tokens(f) for f in formulas]), len(formulas), "formulas")
    refs = orvel.extract_refs
    report("extract_refs, 100,000 formulas",
           best_of(3, lambda: [refs(f) for f in formulas]), len(formulas), "formulas")
    insert = orvel.adjust_refs_for_insertion
    report("adjust_refs_for_insertion, 100,000 formulas",
           best_of(3, lambda: [insert(f, [1], [2]) for f in formulas]), len(formulas), "formulas")


if __name__ == "__main__":
    main()
