#!/usr/bin/env python3
"""The guide benchmark's reference: Python's streaming XML parser over a guide file,
taking each programme's channel, start, stop and title as the viewer's reader does.
    guide_iterparse.py FILE [ROUNDS]
prints the median milliseconds of the rounds, wall clock and CPU"""
import statistics
import sys
import time
import xml.etree.ElementTree as ET


def read(path):
    kept = []
    for _, element in ET.iterparse(path):
        if element.tag == "programme":
            kept.append((element.get("channel"), element.get("start"), element.get("stop"),
                         element.findtext("title")))
            element.clear()
    return kept


def main():
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    times, cpu_times = [], []
    for _ in range(rounds):
        start, cpu = time.perf_counter(), time.process_time()
        read(sys.argv[1])
        times.append((time.perf_counter() - start) * 1000)
        cpu_times.append((time.process_time() - cpu) * 1000)
    print(f"{statistics.median(times):.1f} {statistics.median(cpu_times):.1f}")


main()
