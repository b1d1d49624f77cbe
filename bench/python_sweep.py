#!/usr/bin/env python3
"""morbilex.sweep against morbilex-batch writing the same sweep's CSV.

    PYTHONPATH=build/src/python python3 bench/python_sweep.py \
        build/src/batch/morbilex-batch [SCENARIOS] [JOBS]

SCENARIOS (default 1000000, a square grid of R_0 x On_threshold in mode 2)
run once in each, on JOBS threads (default 2); the best of three of each is
taken and the ratio printed (above 1: the module is faster). The CSV goes to
a temporary file; the module's rows stay in memory as a DataFrame.
"""

import math
import os
import subprocess
import sys
import tempfile
import time

import numpy

import morbilex


def timed(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def main():
    batch = sys.argv[1]
    scenarios = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    jobs = int(sys.argv[3]) if len(sys.argv) > 3 else 2
    side = math.isqrt(scenarios)
    axes = {"R_0": numpy.linspace(1.0, 5.0, side), "On_threshold": numpy.linspace(5.0, 200.0, side)}
    options = ["--sweep=%s=%s" % (name, ",".join(repr(float(v)) for v in values))
               for name, values in axes.items()]
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "rows.csv")
        command = [batch, *options, "--mode=2", "--off-ratio=0.5", "--jobs=%d" % jobs,
                   "--output=" + output]
        tool = min(timed(lambda: subprocess.run(command, check=True)) for _ in range(3))
        size = os.path.getsize(output)
    module = min(timed(lambda: morbilex.sweep(axes, mode=2, off_ratio=0.5, jobs=jobs))
                 for _ in range(3))
    print("%d scenarios on %d threads" % (side * side, jobs))
    print("morbilex-batch (CSV, %.0f MB): %.2f s" % (size / 1e6, tool))
    print("morbilex.sweep (DataFrame):    %.2f s" % module)
    print("ratio batch / module:          %.2f" % (tool / module))


if __name__ == "__main__":
    main()
