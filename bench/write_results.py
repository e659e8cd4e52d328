#!/usr/bin/env python3
"""Writes bench/results.md from one scripts/bench run: the store figures with their floors and
ratios (store_bench's JSON), and the end-to-end medians of Brevicor and the bare tray program."""
import json
import os
import platform
import re
import subprocess
import sys
import time

out, target, runs = sys.argv[1], sys.argv[2], sys.argv[3]

WHAT = {
    "TrayMenu": "building the tray menu",
    "CategoryList": "loading the category list",
    "PreviewTexts": "loading the preview texts",
    "DeliverPhrase": "reading one phrase for delivery",
}


def machine():
    model = "unknown processor"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    memory = 0
    with open("/proc/meminfo") as meminfo:
        for line in meminfo:
            if line.startswith("MemTotal"):
                memory = int(line.split()[1]) // (1024 * 1024)
    system = platform.system() + " " + platform.release()
    try:
        with open("/etc/os-release") as release:
            for line in release:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"') + ", kernel " + platform.release()
    except OSError:
        pass
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        wine = "Wine (version unknown)"
    return f"{model}, {os.cpu_count()} cores, {memory} GiB of memory; {system}; {wine}"


def store_rows():
    with open(os.path.join(out, "store.json")) as f:
        data = json.load(f)
    times = {}
    for b in data["benchmarks"]:
        what, kind, size = b["name"].split("/")[:3]
        scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[b["time_unit"]]
        times[(what, kind, int(size))] = b["real_time"] * scale
    lines = [
        "| what | phrases (categories) | store, ms | floor, ms | ratio | floor without the index, ms | ratio |",
        "|---|---|---|---|---|---|---|",
    ]
    categories = {1000: 10, 10000: 250, 40000: 1000}
    for what, label in WHAT.items():
        for size in (1000, 10000, 40000):
            store = times.get((what, "store", size))
            floor = times.get((what, "floor", size))
            if store is None or floor is None:
                continue
            table = times.get((what, "table-floor", size))
            extra = f"{table:.3f} | {store / table:.2f}x" if table else "- | -"
            lines.append(
                f"| {label} | {size:,} ({categories[size]:,}) | {store:.3f} | {floor:.3f} | "
                f"{store / floor:.2f}x | {extra} |"
            )
    lines += [
        "",
        "The menu as the program opens it first looks whether the library changed since its "
        "category list and preview texts were read (the file's size, time and first bytes):",
        "",
        "| phrases | tray menu, ms | opened with the look, ms | cost |",
        "|---|---|---|---|",
    ]
    for size in (1000, 10000, 40000):
        menu = times.get(("TrayMenu", "store", size))
        opened = times.get(("TrayMenu", "opened", size))
        if menu and opened:
            lines.append(f"| {size:,} | {menu:.3f} | {opened:.3f} | {(opened / menu - 1) * 100:+.1f}% |")
    return lines


def medians(name):
    with open(os.path.join(out, name + ".txt")) as f:
        for line in f:
            if line.startswith("median:"):
                return [float(x) for x in re.findall(r"([0-9.]+) (?:ms|KiB)", line)]
    return None


def end_to_end_rows():
    brevicor, bare = medians("brevicor"), medians("bare")
    if brevicor is None or bare is None:
        return ["The end-to-end run did not finish; see the output of scripts/bench."]
    labels = [
        ("start to tray icon", "ms"),
        ("icon click to menu visible", "ms"),
        ("phrase choice to clipboard", "ms"),
        ("idle working set", "KiB"),
    ]
    lines = ["| what | Brevicor | bare Win32 program | ratio |", "|---|---|---|---|"]
    for (label, unit), ours, floor in zip(labels, brevicor, bare):
        digits = 0 if unit == "KiB" else 1
        lines.append(
            f"| {label} | {ours:,.{digits}f} {unit} | {floor:,.{digits}f} {unit} | {ours / floor:.2f}x |"
        )
    return lines


text = [
    "# Benchmark results",
    "",
    "Written by `scripts/bench` (one run) on " + time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime(os.path.getmtime(os.path.join(out, "store.json")))) + ".",
    "",
    "Machine: " + machine() + ".",
    "Its 2 cores were shared with other work while it ran, so single figures move by 10-20 %",
    "between runs.",
    "",
    "## Store level",
    "",
    "Native, optimised; through the store's own code, the unixODBC driver manager and the engine,",
    "on generated libraries (the phrases of a category spread over the whole table). The floor is",
    "the same result read straight through SQLite's C API in one ordered pass on the same file,",
    "which may use the engine's index on category; for the tray menu the second floor is that",
    "pass over the table alone (`NOT INDEXED`), what a library without the index allows. At",
    "40,000 phrases the menu holds 30,999 items: the program has identifiers for no more.",
    "",
] + store_rows() + [
    "",
    "## End to end under Wine",
    "",
    f"The 10,000-phrase library (250 categories); medians of {runs} runs each in one session of",
    "Wine on a virtual display with openbox, each run a fresh start of the program. The bare",
    "program (`bench/wine/bare_tray.cpp`) shows a menu of the same size and sets the same",
    "clipboard text, with no library behind it. Times are polled every millisecond by",
    "`bench/wine/tray_timing.cpp` from another process; the clipboard figure runs from the",
    "Return key on the phrase to the text being readable on the clipboard.",
    "",
] + end_to_end_rows() + [""]

with open(target, "w") as f:
    f.write("\n".join(text))
