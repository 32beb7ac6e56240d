#!/usr/bin/env python3
"""Start-up cost of the program beside a bare Qt MDI window (see bench_browserstart.cpp).

browserstart.py [--runs N] NAME=COMMAND... : runs each command N times in turn (interleaved,
so that a busy machine weighs on all alike) and prints the median time from starting the
process to its first painted main window, its resident size then and, for commands that open
a browser window, the time and resident size once the start page has loaded. Each command has
a HOME and data folder of its own, kept over its runs after one start that is not counted
(the first start registers the file types and writes the settings, as a usual start does
not); the environment (display, platform) is otherwise the caller's.
"""
import argparse
import os
import shlex
import statistics
import subprocess
import tempfile
import time


def run_once(command, home):
    env = dict(os.environ, HOME=home, KEYSTOW_DATA_DIR=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local/share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"))
    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               env=env, text=True)
    result = {}
    for line in process.stdout:
        fields = line.split()
        if fields and fields[0] == "shown":
            result["shown_s"] = time.monotonic() - start
            result["shown_kb"] = int(fields[1])
        elif fields and fields[0] == "browser":
            result["browser_ms"] = int(fields[1])
            result["browser_kb"] = int(fields[2])
    process.wait(timeout=120)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("commands", nargs="+")
    args = parser.parse_args()
    named = [(c.split("=", 1)[0], shlex.split(c.split("=", 1)[1])) for c in args.commands]
    results = {name: [] for name, _ in named}
    homes = {name: tempfile.TemporaryDirectory() for name, _ in named}
    for name, command in named:
        run_once(command, homes[name].name)
    for _ in range(args.runs):
        for name, command in named:
            results[name].append(run_once(command, homes[name].name))
    print(f"{'command':24} {'shown s':>8} {'RSS MB':>7} {'browser s':>9} {'RSS MB':>7}  runs")
    for name, runs in results.items():
        def median(key, scale=1.0):
            values = [r[key] for r in runs if key in r]
            return statistics.median(values) * scale if values else float("nan")
        print(f"{name:24} {median('shown_s'):8.3f} {median('shown_kb', 1 / 1024):7.1f} "
              f"{median('browser_ms', 1 / 1000):9.3f} {median('browser_kb', 1 / 1024):7.1f}"
              f"  {len([r for r in runs if 'shown_s' in r])}")


if __name__ == "__main__":
    main()
