#!/usr/bin/env python3
"""The Python package against plain C++, side by side in one run (figures in bench/README.md).

1. Simulation.positions(i) over every frame of a large result file, against a C++ loop that
   preads the same position records: bytes of position records per second, and their ratio.
2. qrtzdb.read() of a 10^6-atom .mcr plus .positions, against the library's read alone.

Each case alternates the two sides, best of REPEATS, warm page cache. Times are CPU times
(user + system) of the timed loops, which other work on a shared machine disturbs far less
than wall-clock time. Usage:
    PYTHONPATH=build-bench/python /usr/bin/python3 bench/python_bench.py build-bench
"""

import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

import qrtzdb

REPEATS = 5


def record(data):
    return struct.pack("<i", len(data)) + data + struct.pack("<i", len(data))


def write_run(path, atoms, frames):
    """A result file of the oldest layout: one atom type, `atoms` atoms, `frames` frames.
    Returns (header bytes, frame bytes, offset of the position record in a frame)."""
    n = atoms
    header = b"".join([
        record(b"python bench".ljust(20)),
        record(b" " * 46),
        record(b" " * 80),
        record(struct.pack("<5i", 0, frames, 1, frames, 1)),
        record(struct.pack("<fi3if", 1.0, 0, 0, 0, 0, 0.0)),
        record(struct.pack("<2i", n, 1)),
        record(b"Ar".ljust(16) + struct.pack("<5i", 18, n, 1, 0, 1)),
        record(struct.pack("<i", 18) + b"Ar\0\0" + struct.pack("<2f", 39.948, 0.0)),
        record(np.zeros(3 * n, "<f4").tobytes()),
        record(np.diag([50.0, 50.0, 50.0]).astype("<f4").tobytes()),
    ])
    rng = np.random.default_rng(1)
    cell = record(np.diag([50.0, 50.0, 50.0]).astype("<f4").tobytes())
    rest = record(np.zeros(3 * n, "<f4").tobytes()) + record(np.zeros(n, "<f4").tobytes())
    with open(path, "wb") as out:
        out.write(header)
        for f in range(frames):
            xyz = (rng.random(3 * n, dtype=np.float32) - 0.5).astype("<f4")
            frame = record(np.full(6, f, "<f4").tobytes()) + cell + record(xyz.tobytes()) + rest
            out.write(frame)
    thermo_and_cell = (6 * 4 + 8) + (36 + 8)
    return len(header), len(frame), thermo_and_cell


def best(times):
    return min(times)


def bench_frames(baseline, folder, atoms, frames):
    path = folder / ("run-%d.sim" % atoms)
    head, frame, offset = write_run(path, atoms, frames)
    sim = qrtzdb.Simulation(path)
    assert len(sim) == frames
    record_bytes = frames * (12 * atoms + 8)
    plain, python = [], []
    for _ in range(REPEATS):
        done = subprocess.run([baseline, "frames", str(path), str(head), str(frame), str(offset),
                               str(atoms), str(frames)], capture_output=True, text=True,
                              check=True)
        plain.append(float(done.stdout.split()[0]))
        start = time.process_time()
        for i in range(frames):
            sim.positions(i)
        python.append(time.process_time() - start)
    rate = lambda t: record_bytes / best(t) / 1e6
    print("positions  %7d atoms x %4d frames (%4.0f MB of position records): plain C++ %6.0f MB/s,"
          " sim.positions(i) %6.0f MB/s = %3.0f %%"
          % (atoms, frames, record_bytes / 1e6, rate(plain), rate(python),
             100 * best(plain) / best(python)))
    os.remove(path)


def bench_read(baseline, folder):
    water = qrtzdb.Molecule(["O", "H", "H"], [[0, 0, 0.1173], [0, 0.7572, -0.4692],
                                              [0, -0.7572, -0.4692]], name="Water",
                            bonds=[[0, 1], [0, 2]])
    crystal = qrtzdb.MolCrystal.fcc(water, 44, random_orientation=True, seed=3)
    path = folder / "big.mcr"
    qrtzdb.write(path, crystal)
    atoms = len(crystal)
    del crystal
    done = subprocess.run([baseline, "mcr", str(path), str(REPEATS)], capture_output=True,
                          text=True, check=True)
    plain = [float(done.stdout.split()[0])]
    read, both = [], []
    for _ in range(REPEATS):
        start = time.process_time()
        obj = qrtzdb.read(path)
        middle = time.process_time()
        positions = obj.positions
        end = time.process_time()
        assert positions.shape == (atoms, 3)
        read.append(middle - start)
        both.append(end - start)
        del obj, positions
    print("read .mcr  %7d atoms (%3.0f MB): C++ read %.3f s; qrtzdb.read %.3f s = %.2fx; "
          "read + .positions %.3f s = %.2fx"
          % (atoms, path.stat().st_size / 1e6, best(plain), best(read),
             best(read) / best(plain), best(both), best(both) / best(plain)))
    os.remove(path)


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    baseline = str(build / "bench" / "qrtz_python_baseline")
    with tempfile.TemporaryDirectory(prefix="qrtz-pybench-") as folder:
        folder = pathlib.Path(folder)
        bench_frames(baseline, folder, 10_000, 1000)
        bench_frames(baseline, folder, 100_000, 200)
        bench_read(baseline, folder)


if __name__ == "__main__":
    main()
