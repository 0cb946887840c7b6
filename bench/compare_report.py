"""The comparison's report: the table of median times and ratios to orvel with its footnotes,
the check of every result against the expected value and orvel's, the machine it ran on, orvel's
goal figures, and the bar chart."""

import os
import platform
import statistics

from workloads import ENGINES, PLAN, WORKLOADS


def median_ms(record):
    seconds = record.get("seconds") or []
    return statistics.median(seconds) * 1e3 if seconds else None


def same(a, b):
    if isinstance(a, float) and isinstance(b, float):
        return abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))
    if isinstance(a, str) and isinstance(b, str) and a.startswith("="):
        return a.replace(" ", "").upper() == b.replace(" ", "").upper()
    return a == b


class Footnotes:
    def __init__(self):
        self.texts = []

    def mark(self, text):
        if text not in self.texts:
            self.texts.append(text)
        return f"[{self.texts.index(text) + 1}]"


SHORT_FAILURES = ("no spills", "no tokenizer", "no row insertion", "not installed")


def failure_cell(text, notes):
    if text in SHORT_FAILURES:
        return text
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


def steps_in_plan_order(results):
    """(workload, N, step) of every step in `results`, in the order of the plan."""
    order = [(workload, n) for workload, n, _ in PLAN]
    for workload, n in sorted(results, key=order.index):
        for step in WORKLOADS[workload][2]:
            yield workload, n, step


def table_rows(engines, results, notes):
    """Rows of cell texts: workload, N, step, then one text per engine."""
    rows = []
    mismatches = []
    for workload, n, step in steps_in_plan_order(results):
        per_engine = results[(workload, n)]
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
    """orvel's goals, computed from this run's medians."""
    lines = []

    def ms(workload, n, engine, step):
        record = results.get((workload, n), {}).get(engine, {}).get(step)
        return median_ms(record) if record else None

    def peers_ms(workload, n, step):
        """peer -> median ms, for the peers that finished the step."""
        found = {e: ms(workload, n, e, step) for e in ENGINES[1:]}
        return {e: v for e, v in found.items() if v is not None}

    edit = ms("W1", 100_000, "orvel", "edit")
    peers = peers_ms("W1", 100_000, "edit")
    if edit is not None and peers:
        fastest = min(peers, key=peers.get)
        verdict = "met" if edit <= peers[fastest] else "not met"
        lines.append(f"W1 edit: orvel {format_ms(edit)} (full recalculation) vs the fastest "
                     f"peer, {fastest}, {format_ms(peers[fastest])}: {verdict} "
                     f"(orvel/peer = {edit / peers[fastest]:.2f})")
    load = ms("W1", 100_000, "orvel", "load")
    loads = peers_ms("W1", 100_000, "load")
    if load is not None and loads:
        closest = min(loads, key=loads.get)
        ratio = loads[closest] / load
        verdict = "met" if ratio >= 5 else "not met"
        lines.append(f"W1 load: orvel {format_ms(load)}; the closest peer, {closest}, takes "
                     f"{ratio:.1f}x as long (goal: at least 5x): {verdict}")
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
    for workload, n, step in steps_in_plan_order(results):
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
