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
import platform
import queue
import resource
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)

from workloads import WORKLOADS  # noqa: E402

ENGINES = ["orvel", "formualizer", "ironcalc", "ixion", "pycel", "formulas"]
PYPI_PEERS = {"formualizer", "ironcalc", "pycel", "formulas"}
NATIVE = ["orvel", "formualizer", "ironcalc", "ixion"]
PURE_PYTHON = {"pycel", "formulas"}

# (workload, N, engines). The native engines run the sizes of the issue; the pure-Python
# engines run smaller sizes where the would take minutes a run, and orvel runs every size
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


def median_ms(record):
    seconds = record.get("seconds") or []
    return statistics.median(seconds) * 1e3 if seconds else None


def same(a, b):
    if isinstance(a, float) and isinstance(b, float):
        return abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))
    if isinstance(a, str) and isinstance(b, str) and a.startswith("="):
        return a.replace(" ", "").upper() == b.replace(" ", "").upper()
    return a == b


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
            steps = WORKLOADS[workload][2]
            if status[engine]:
                outcome = {s: {"step": s, "seconds": [], "failure": status[engine]}
                           for s in steps}
            elif (engine, workload) in given_up:
                reason = given_up[(engine, workload)]
                outcome = {s: {"step": s, "seconds": [], "failure": reason} for s in steps}
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


class Footnotes:
    def __init__(self):
        self.texts = []

    def mark(self, text):
        if text not in self.texts:
            self.texts.append(text)
        return f"[{self.texts.index(text) + 1}]"


SHORT_FAILURES = ("no spills", "no tokenizer", "no row insertion", "not installed")


def failure_cell(text, notes):
    for short in SHORT_FAILURES:
        if text == short:
            return short
    label = text.split(":")[0]
    return f"{label} {notes.mark(text)}"


MULTI_CORE = ("more processor time than wall time: the engine calculated on several cores "
              "(orvel uses one)")


def uses_cores(record):
    cpu, wall = record.get("cpu_seconds") or [], record.get("seconds") or []
    return bool(cpu and wall) and statistics.median(cpu) > 1.3 * statistics.median(wall)


def format_ms(ms):
    if ms >= 100:
        return f"{ms:,.0f} ms"
    if ms >= 1:
        return f"{ms:.1f} ms"
    return f"{ms:.3f} ms"


def format_ratio(ratio):
    if ratio >= 10:
        return f"{ratio:,.0f}x"
    if ratio >= 0.1:
        return f"{ratio:.1f}x"
    return f"{ratio:.2f}x"


def table_rows(engines, results, notes):
    """Rows of cell texts: workload, N, step, then one text per engine."""
    rows = []
    mismatches = []
    order = [(workload, n) for workload, n, _ in PLAN]
    for (workload, n) in sorted(results, key=order.index):
        per_engine = results[(workload, n)]
        for step in WORKLOADS[workload][2]:
            base = per_engine.get("orvel", {}).get(step)
            base_ms = median_ms(base) if base else None
            cells = []
            for engine in engines:
                record = per_engine.get(engine, {}).get(step)
                if record is None:
                    cells.append("")
                    continue
                ms = median_ms(record)
                if ms is None:
                    cells.append(failure_cell(record.get("failure") or "no result", notes))
                    continue
                text = format_ms(ms)
                if engine != "orvel" and base_ms:
                    text += f" ({format_ratio(ms / base_ms)})"
                if record.get("note"):
                    text += " " + notes.mark(f"{engine}: {record['note']}")
                if uses_cores(record):
                    text += " " + notes.mark(MULTI_CORE)
                wrong = check(record, base)
                if wrong:
                    mismatches.append(f"{engine} {workload} N={n:,} {step}: {wrong}")
                    text += " " + notes.mark(f"{engine} {workload} N={n:,} {step}: "
                                             f"result differs: {wrong}")
                cells.append(text)
            rows.append([f"{workload} {WORKLOADS[workload][0]}", f"{n:,}", step] + cells)
    return rows, mismatches


def check(record, orvel_record):
    """Why the record's result is wrong, or "" when it matches the expected value and orvel."""
    result, expected = record.get("result"), record.get("expected")
    if expected is not None and not same(result, expected):
        return f"got {result!r}, expected {expected!r}"
    if orvel_record and orvel_record.get("seconds") and record is not orvel_record:
        theirs = orvel_record.get("result")
        if theirs is not None and not same(result, theirs):
            return f"got {result!r}, orvel {theirs!r}"
    return ""


def markdown_table(engines, rows):
    header = ["workload", "N", "step"] + engines
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    lines = ["| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |",
             "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
    for row in rows:
        lines.append("| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |")
    return "\n".join(lines)


def cpu_model():
    """The model name of /proc/cpuinfo, with family and model numbers (a virtual machine may
    show only the brand)."""
    fields = {}
    try:
        for line in open("/proc/cpuinfo"):
            key, _, value = line.partition(":")
            fields.setdefault(key.strip(), value.strip())
    except OSError:
        return platform.processor() or "unknown"
    name = fields.get("model name", "unknown")
    if "cpu family" in fields:
        name += f" (family {fields['cpu family']}, model {fields.get('model', '?')})"
    return name


def machine_text(headers):
    versions = ", ".join(f"{engine} {headers[engine].get('version') or '?'} "
                         f"(Python {headers[engine].get('python')})"
                         for engine in ENGINES if engine in headers)
    return (f"Machine: {os.cpu_count()} cores (nproc), CPU {cpu_model()}, "
            f"{platform.system()} {platform.release()}.\nEngines: {versions}.")


def goals(results):
    """orvel's goals from the issue, computed from this run's medians."""
    lines = []

    def ms(workload, n, engine, step):
        record = results.get((workload, n), {}).get(engine, {}).get(step)
        return median_ms(record) if record else None

    edit = ms("W1", 100_000, "orvel", "edit")
    peers = {e: ms("W1", 100_000, e, "edit") for e in ENGINES[1:]}
    peers = {e: v for e, v in peers.items() if v is not None}
    if edit is not None and peers:
        fastest = min(peers, key=peers.get)
        verdict = "met" if edit <= peers[fastest] else "not met"
        lines.append(f"W1 edit: orvel {format_ms(edit)} (full recalculation) vs the fastest "
                     f"peer, {fastest}, {format_ms(peers[fastest])}: {verdict} "
                     f"(orvel/peer = {edit / peers[fastest]:.2f})")
    load = ms("W1", 100_000, "orvel", "load")
    loads = {e: ms("W1", 100_000, e, "load") for e in ENGINES[1:]}
    loads = {e: v for e, v in loads.items() if v is not None}
    if load is not None and loads:
        slowest_ratio = min(v / load for v in loads.values())
        closest = min(loads, key=loads.get)
        verdict = "met" if slowest_ratio >= 5 else "not met"
        lines.append(f"W1 load: orvel {format_ms(load)}; the closest peer, {closest}, takes "
                     f"{slowest_ratio:.1f}x as long (goal: at least 5x): {verdict}")
    chain = ms("W2", 100_000, "orvel", "edit")
    if chain is not None and edit is not None:
        verdict = "met" if chain <= 2 * edit else "not met"
        lines.append(f"W2 at 100,000: no crash; edit {format_ms(chain)} = {chain / edit:.2f}x "
                     f"W1's edit (goal: within 2x): {verdict}")
    elif chain is not None:
        lines.append(f"W2 at 100,000: no crash; edit {format_ms(chain)} (W1 not run)")
    elif ("W2", 100_000) in results:
        record = results[("W2", 100_000)].get("orvel", {}).get("edit") or {}
        lines.append(f"W2 at 100,000: not met: {record.get('failure') or 'no result'}")
    tokens = ms("W5", 100_000, "orvel", "tokens")
    if tokens is not None:
        rate = 100_000 / (tokens / 1e3)
        verdict = "met" if rate >= 1_000_000 else "not met"
        lines.append(f"W5 formula_tokens: {rate:,.0f} formulas/s (goal: 1,000,000): {verdict}")
    return lines


def plot(engines, results, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    labels, values, wrong = [], [], []
    order = [(workload, n) for workload, n, _ in PLAN]
    for (workload, n) in sorted(results, key=order.index):
        for step in WORKLOADS[workload][2]:
            labels.append(f"{workload} N={n:,} {step}")
            records = [results[(workload, n)].get(e, {}).get(step) or {} for e in engines]
            base = results[(workload, n)].get("orvel", {}).get(step)
            values.append([median_ms(record) for record in records])
            wrong.append([bool(median_ms(record) and check(record, base)) for record in records])
    height = 0.8 / len(engines)
    figure, axes = plt.subplots(figsize=(11, 0.55 * len(labels) + 1.5))
    for index, engine in enumerate(engines):
        positions = [row + index * height for row in range(len(labels))]
        widths = [v[index] if v[index] else 0 for v in values]
        bars = axes.barh(positions, widths, height=height, label=engine)
        for bar, flags in zip(bars, wrong):
            if flags[index]:
                bar.set_hatch("xxx")
    axes.set_xscale("log")
    axes.set_yticks([row + 0.4 - height / 2 for row in range(len(labels))])
    axes.set_yticklabels(labels, fontsize=8)
    axes.invert_yaxis()
    axes.set_xlabel("median ms (log scale). No bar: the engine did not run the step; "
                    "hatched: its result was wrong. See the table.")
    axes.set_title("orvel and other formula engines, median of the runs")
    axes.legend(loc="lower right", fontsize=8)
    figure.tight_layout()
    figure.savefig(path, dpi=110)


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
