"""Runs one workload at one size in one engine and writes one JSON line per finished step to
standard output. compare.py starts one such process per (engine, workload, size), under the
interpreter that has the engine, so that a crash, a hang or a deep recursion in one engine costs
only that case.

    python bench/compare_worker.py ENGINE WORKLOAD N [--runs 5] [--budget 60]

Lines: {"version": ...} first, then {"step": ..., "seconds": [...], "result": ..., ...} per step,
and {"abort": reason} when the workload stops early.
"""

import argparse
import importlib
import json
import logging
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from workloads import WORKLOADS, Runner, TooSlow, Unsupported  # noqa: E402


def emit(record):
    print(json.dumps(record, default=str), flush=True)


def engine_version(module_name):
    try:
        from importlib import metadata
        return metadata.version(module_name)
    except Exception:
        module = sys.modules.get(module_name)
        return getattr(module, "__version__", "") if module else ""


def exception_chain(error):
    """The names of the exceptions chained below `error`, innermost first: pycel wraps a
    RecursionError in its own errors."""
    names, seen = [], set()
    while error is not None and id(error) not in seen:
        seen.add(id(error))
        names.append(type(error).__name__)
        error = error.__cause__ or error.__context__
    return list(dict.fromkeys(reversed(names)))


def crash_text(error):
    names = exception_chain(error)
    # An engine may fold an earlier failure into its message instead of chaining it.
    if "RecursionError" not in names and "maximum recursion depth" in str(error):
        names.insert(0, "RecursionError")
    if len(names) == 1:
        return f"crashed: {names[0]}"
    return f"crashed: {names[-1]} (after {', '.join(names[:-1])})"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine")
    parser.add_argument("workload", choices=sorted(WORKLOADS))
    parser.add_argument("n", type=int)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--budget", type=float, default=60.0)
    args = parser.parse_args()
    # Engines that log every failing cell (pycel does, once per cell of a failed chain) would
    # spend the run writing logs.
    logging.disable(logging.CRITICAL)

    try:
        module = importlib.import_module(f"engines.{args.engine}_engine")
    except ImportError as missing:
        emit({"abort": f"not installed: {missing}"})
        return
    engine = module.ENGINE()
    emit({"version": engine.version() or engine_version(args.engine), "python": sys.version.split()[0],
          "how": engine.how})

    function = WORKLOADS[args.workload][1]
    runner = Runner(args.runs, args.budget)
    try:
        for step in function(engine, args.n, runner):
            cpu, runner.cpu_seconds = runner.cpu_seconds, []
            if step.cpu_seconds is not None:
                cpu = step.cpu_seconds
            emit({"step": step.step, "seconds": step.seconds, "cpu_seconds": cpu,
                  "result": step.result,
                  "expected": step.expected, "note": step.note, "failure": step.failure})
    except Unsupported as missing:
        emit({"abort": str(missing), "kind": "unsupported"})
    except TooSlow as slow:
        emit({"abort": str(slow), "kind": "too slow"})
    except RecursionError as error:
        emit({"abort": crash_text(error), "kind": "crashed"})
    except Exception as error:  # any engine failure is a result to report, not to hide
        emit({"abort": crash_text(error), "kind": "crashed", "message": str(error)[:200]})


if __name__ == "__main__":
    main()
