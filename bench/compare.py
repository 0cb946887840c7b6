"""orvel side by side with other formula engines: the five workloads of bench/workloads.py in
every engine that is installed, one table of median times and ratios to orvel, a check that the
engines computed the same results, and the figures of orvel's goals.

    .venv-bench/bin/python bench/compare.py [--plot FILE.png] [--markdown FILE.md]

`make bench` sets up the engines (scripts/setup-bench) and runs this. Each (engine, workload,
size) runs in its own process under the interpreter that has the engine: orvel under .venv, the
PyPI peers under .venv-bench, ixion under the system Python. A step that crashes, overruns its
time budget or needs what the engine lacks is shown as such in the table.
"""

import argparse
import json
import os
import queue
import resource
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)

from compare_report import (Footnotes, goals, machine_text, markdown_table,  # noqa: E402
                            plot, table_rows)
from workloads import ENGINES, PLAN, WORKLOADS  # noqa: E402

MEMORY_CAP_BYTES = 4 << 30  # one worker may not take the machine's memory (pycel's W2 tries)


def interpreter(engine, args):
    if engine == "orvel":
        return args.orvel_python
    if engine == "ixion":
        return args.system_python
    return args.bench_python


def installed_status(args):
    """engine -> "" when installed, else the reason; from scripts/setup-bench's record."""
    status = {engine: "" for engine in ENGINES}
    record = os.path.join(ROOT, ".venv-bench", "peer-status")
    lines = open(record).read().splitlines() if os.path.exists(record) else []
    recorded = dict(line.split("\t", 1) for line in lines if "\t" in line)
    for engine in ENGINES[1:]:
        state = recorded.get(engine)
        if state is None:
            state = "installed" if check_import(engine, args) else "not installed"
        status[engine] = "" if state == "installed" else state
    if not os.path.exists(args.orvel_python):
        status["orvel"] = "not installed: run make install"
    return status


def check_import(engine, args):
    python = interpreter(engine, args)
    if not os.path.exists(python):
        return False
    return subprocess.run([python, "-c", f"import {engine}"], capture_output=True).returncode == 0


def limit_memory():
    resource.setrlimit(resource.RLIMIT_AS, (MEMORY_CAP_BYTES, MEMORY_CAP_BYTES))


def run_case(engine, workload, n, args):
    """Runs one worker; returns (header, {step: record}, abort text or None)."""
    steps = WORKLOADS[workload][2]
    command = [interpreter(engine, args), os.path.join(HERE, "compare_worker.py"), engine,
               workload, str(n), "--runs", str(args.runs), "--budget", str(args.budget)]
    # A stuck step is ended after this long without a line from the worker.
    silence_limit = 2 * args.budget + 60
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=errors, text=True,
                                   preexec_fn=limit_memory, cwd=ROOT)
        lines = queue.Queue()

        def pump():
            for line in process.stdout:
                lines.put(line)
            lines.put(None)

        threading.Thread(target=pump, daemon=True).start()
        header, records, abort = {}, {}, None
        while True:
            try:
                line = lines.get(timeout=silence_limit)
            except queue.Empty:
                process.kill()
                process.wait()
                abort = f"timed out: no step finished in {silence_limit:.0f} s"
                break
            if line is None:
                break
            try:
                record = json.loads(line)
            except ValueError:
                continue  # an engine's own output on standard output
            if not isinstance(record, dict):
                continue
            if "version" in record:
                header = record
            elif "step" in record:
                records[record["step"]] = record
            elif "abort" in record:
                abort = record["abort"]
        code = process.wait()
        missing = [step for step in steps if step not in records]
        if abort is None and (code != 0 or missing):
            abort = describe_exit(code, errors)
    if abort and missing:
        records[missing[0]] = {"step": missing[0], "seconds": [], "failure": abort}
        later = abort if abort.startswith("no ") else (
            f"not run: the {missing[0]} step before it ended ({abort.split(':')[0]})")
        for step in missing[1:]:
            records[step] = {"step": step, "seconds": [], "failure": later}
    return header, records, abort


def describe_exit(code, errors):
    errors.seek(0, os.SEEK_END)
    size = errors.tell()
    errors.seek(max(0, size - 2000))
    tail = errors.read().decode("utf-8", "replace").strip().splitlines()
    last = tail[-1].strip() if tail else ""
    if code < 0:
        name = signal.Signals(-code).name
        reason = {"SIGSEGV": "segmentation fault", "SIGABRT": "abort",
                  "SIGKILL": "killed"}.get(name, name)
        text = f"crashed: {reason} ({name})"
        if last and name == "SIGABRT":
            text += f": {last[:80]}"
        return text
    if code == 0:
        return "crashed: the process ended without reporting the step"
    return f"crashed: exit status {code}" + (f": {last[:80]}" if last else "")


def collect(args):
    status = installed_status(args)
    engines = [e for e in ENGINES if not args.engines or e in args.engines]
    results = {}  # (workload, n) -> engine -> {step: record}
    headers = {}
    given_up = {}  # (engine, workload) -> reason larger sizes are skipped
    started = time.monotonic()
    for workload, n, runners in sorted(PLAN, key=lambda case: (case[0], case[1])):
        if args.workloads and workload not in args.workloads:
            continue
        for engine in runners:
            if engine not in engines:
                continue
            not_run = status[engine] or given_up.get((engine, workload))
            if not_run:
                outcome = {s: {"step": s, "seconds": [], "failure": not_run}
                           for s in WORKLOADS[workload][2]}
            else:
                print(f"  {workload} N={n:,} {engine} ...", file=sys.stderr, flush=True)
                header, outcome, abort = run_case(engine, workload, n, args)
                if header:
                    headers[engine] = header
                if abort and "MemoryError" in abort:
                    note = f"; the worker's memory is capped at {MEMORY_CAP_BYTES >> 30} GiB"
                    for record in outcome.values():
                        if record.get("failure") == abort:
                            record["failure"] += note
                if abort and abort.startswith(("crashed", "too slow", "timed out")):
                    given_up[(engine, workload)] = (f"skipped: {abort.split(':')[0]} "
                                                    f"at N={n:,}")
            results.setdefault((workload, n), {})[engine] = outcome
    return engines, status, headers, results, time.monotonic() - started


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--plot", metavar="FILE.png", help="also draw the table as a bar chart")
    parser.add_argument("--markdown", metavar="FILE.md", help="also write the table and figures")
    parser.add_argument("--json", metavar="FILE.json", help="also write every run's seconds")
    parser.add_argument("--runs", type=int, default=5, help="runs per step (median; default 5)")
    parser.add_argument("--budget", type=float, default=60.0,
                        help="seconds one step of one engine may take in all (default 60)")
    parser.add_argument("--engines", nargs="*", help="only these engines")
    parser.add_argument("--workloads", nargs="*", help="only these workloads (W1 .. W5)")
    parser.add_argument("--orvel-python", default=os.path.join(ROOT, ".venv", "bin", "python"))
    parser.add_argument("--bench-python",
                        default=os.path.join(ROOT, ".venv-bench", "bin", "python"))
    parser.add_argument("--system-python", default="/usr/bin/python3")
    args = parser.parse_args()
    if args.runs < 5:
        print("note: fewer than 5 runs per step; not a result to publish", file=sys.stderr)

    engines, status, headers, results, elapsed = collect(args)
    notes = Footnotes()
    rows, mismatches = table_rows(engines, results, notes)
    text = [machine_text(headers), "",
            f"Median of {args.runs} runs per step in ms; (Nx) = the engine's median over "
            f"orvel's at the same N (above 1: orvel is faster).", "",
            markdown_table(engines, rows), ""]
    text += [f"[{i + 1}] {note}" for i, note in enumerate(notes.texts)]
    text += ["", "Results: " + ("every engine that finished a step agrees with the expected "
                                "value and with orvel" if not mismatches else
                                f"{len(mismatches)} step(s) differ, marked in the table"), ""]
    text += ["Goals:"] + [f"- {line}" for line in goals(results)]
    text += ["", f"Comparison took {elapsed:.0f} s."]
    output = "\n".join(text)
    print(output)
    if args.markdown:
        with open(args.markdown, "w") as out:
            out.write(output + "\n")
    if args.json:
        with open(args.json, "w") as out:
            json.dump({f"{w} {n}": v for (w, n), v in results.items()}, out, indent=1,
                      default=str)
    if args.plot:
        plot(engines, results, args.plot)
        print(f"Plot written to {args.plot}")


if __name__ == "__main__":
    main()
