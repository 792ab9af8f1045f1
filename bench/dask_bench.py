#!/usr/bin/env python3
"""qrtzdb.dask on a LocalCluster: two worker processes against one, side by side in one run
(figures in bench/README.md).

1. thermo() of 16 result files, computed to one pandas DataFrame.
2. records() of a 20,000-record SD file, the atoms of every record counted on the workers.
3. positions(...).mean(axis=0) over a trajectory larger than a worker's memory limit: the
   workers' peak resident memory against the file's size and that limit.

Cases 1 and 2 alternate a 1-worker and a 2-worker cluster (one thread per worker) REPEATS
times and keep each side's best wall-clock time; the workers' caches of opened files are
emptied before every run. Usage:
    PYTHONPATH=build/python /usr/bin/python3 bench/dask_bench.py
"""

import pathlib
import struct
import sys
import tempfile
import threading
import time

import numpy as np
import psutil
from dask.distributed import Client, LocalCluster

import qrtzdb
import qrtzdb.dask as qd

REPEATS = 3
SOURCE = pathlib.Path(__file__).resolve().parents[1]


def record(data):
    return struct.pack("<i", len(data)) + data + struct.pack("<i", len(data))


def write_run(path, atoms, frames, seed=1):
    """A result file of the oldest layout: argon atoms at random positions in a 50 Å box."""
    header = b"".join([
        record(b"dask bench".ljust(20)), record(b" " * 46), record(b" " * 80),
        record(struct.pack("<5i", 0, frames, 1, frames, 1)),
        record(struct.pack("<fi3if", 1.0, 0, 0, 0, 0, 0.0)),
        record(struct.pack("<2i", atoms, 1)),
        record(b"Ar".ljust(16) + struct.pack("<5i", 18, atoms, 1, 0, 1)),
        record(struct.pack("<i", 18) + b"Ar\0\0" + struct.pack("<2f", 39.948, 0.0)),
        record(np.zeros(3 * atoms, "<f4").tobytes()),
        record(np.diag([50.0] * 3).astype("<f4").tobytes()),
    ])
    rng = np.random.default_rng(seed)
    cell = record(np.diag([50.0] * 3).astype("<f4").tobytes())
    rest = record(np.zeros(3 * atoms, "<f4").tobytes()) + record(np.zeros(atoms, "<f4").tobytes())
    xyz = (rng.random(3 * atoms, dtype=np.float32) - 0.5).astype("<f4")
    with open(path, "wb") as out:
        out.write(header)
        for f in range(frames):
            out.write(record(np.full(6, f, "<f4").tobytes()) + cell +
                      record(np.roll(xyz, f).tobytes()) + rest)
    return path


def write_sd(path, count):
    texts = [p.read_text() for p in sorted((SOURCE / "tests" / "data").glob("ob-*.sdf"))]
    texts = [t.replace("$$$$", "> <id>\n%d\n\n$$$$" % k) for k, t in enumerate(texts)]
    with open(path, "w") as out:
        for k in range(count):
            out.write(texts[k % len(texts)])
    return path


def cluster(workers, **options):
    c = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                     dashboard_address=":0", **options)
    return c, Client(c)


def forget(client):
    client.run(lambda: qd._open.cache_clear())


def side_by_side(name, job):
    best = {1: float("inf"), 2: float("inf")}
    clients = {n: cluster(n) for n in (1, 2)}
    try:
        for _ in range(REPEATS):
            for n, (_, client) in clients.items():
                forget(client)
                with client.as_current():
                    start = time.perf_counter()
                    job()
                    best[n] = min(best[n], time.perf_counter() - start)
    finally:
        for c, client in clients.values():
            client.close()
            c.close()
    print("%-44s 1 worker %.2f s, 2 workers %.2f s: %.2fx" %
          (name, best[1], best[2], best[1] / best[2]))


def rss(client):
    return max(client.run(lambda: psutil.Process().memory_info().rss).values())


def sampled(client, job):
    """job()'s result and the largest resident memory of a worker seen while it ran, sampled
    every 50 ms (ru_maxrss would also count the peak of the worker's start-up)."""
    peak, done = [0], threading.Event()

    def sample():
        while not done.is_set():
            peak[0] = max(peak[0], rss(client))
            time.sleep(0.05)

    watcher = threading.Thread(target=sample)
    watcher.start()
    try:
        return job(), peak[0]
    finally:
        done.set()
        watcher.join()


def bench_reduction(folder):
    atoms, frames = 10_000, 1500
    path = write_run(folder / "long.sim", atoms, frames)
    size = path.stat().st_size
    limit = 300 << 20
    c, client = cluster(2, memory_limit=limit)
    try:
        before = rss(client)
        with client.as_current():
            mean, after = sampled(client,
                                  lambda: qd.positions(path, chunk=100).mean(axis=0).compute())
    finally:
        client.close()
        c.close()
    sim = qrtzdb.Simulation(path)
    serial = np.zeros((atoms, 3))
    for i in range(len(sim)):
        serial += sim.positions(i)
    assert np.allclose(mean, serial / len(sim), atol=1e-4)
    print("mean over %d frames x %d atoms: file %.0f MB, worker memory limit %.0f MB, "
          "largest worker RSS during it %.0f MB (%.0f MB before)"
          % (frames, atoms, size / 2**20, limit / 2**20, after / 2**20, before / 2**20))


def main():
    with tempfile.TemporaryDirectory(prefix="qrtz-daskbench-") as folder:
        folder = pathlib.Path(folder)
        runs = [str(write_run(folder / ("run%02d.sim" % k), 10, 20_000, k)) for k in range(16)]
        rows = sum(len(qrtzdb.Simulation(p)) for p in runs)
        side_by_side("thermo of 16 result files (%d rows)" % rows,
                     lambda: qd.thermo(runs).compute())
        sd = write_sd(folder / "screen.sdf", 20_000)
        size = sd.stat().st_size
        counted = []
        side_by_side("records of a 20,000-record SD file (%.0f MB)" % (size / 2**20),
                     lambda: counted.append(qd.records(sd, blocksize=size // 8 + 1)
                                            .map(len).sum().compute()))
        atoms = sum(len(m) for m in qrtzdb.iter_records(sd))
        assert set(counted) == {atoms}, (counted, atoms)
        if "--no-reduction" not in sys.argv:
            bench_reduction(folder)


if __name__ == "__main__":
    main()
