"""qrtzdb.dask on a local cluster of two worker processes: the series, positions and SD records
computed there equal the serial reads, errors cross the process boundary with their file, and
the structures pickle."""

import pickle
import struct

import numpy as np
import pytest

import qrtzdb
from conftest import DATA, EXAMPLES

distributed = pytest.importorskip("distributed")
import dask  # noqa: E402
import qrtzdb.dask as qd  # noqa: E402

RUN = EXAMPLES / "water-argon.sim"


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster, timeout=60) as c:
        yield c


def record(data):
    return struct.pack("<i", len(data)) + data + struct.pack("<i", len(data))


def write_run(path, atoms, frames, seed):
    """A result file of the oldest layout: argon atoms at random positions in a 50 Å box."""
    header = b"".join([
        record(b"dask test".ljust(20)), record(b" " * 46), record(b" " * 80),
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
    with open(path, "wb") as out:
        out.write(header)
        for f in range(frames):
            xyz = (rng.random(3 * atoms, dtype=np.float32) - 0.5).astype("<f4")
            out.write(record(np.full(6, f + seed, "<f4").tobytes()) + cell +
                      record(xyz.tobytes()) + rest)
    return path


def test_structures_and_errors_pickle(tmp_path):
    mol = qrtzdb.read(DATA / "h2o2.mol")
    mol.data = {"score": "1.5"}
    again = pickle.loads(pickle.dumps(mol))
    assert list(again.names) == list(mol.names) and again.name == mol.name
    assert again.data == mol.data
    np.testing.assert_array_equal(again.positions, mol.positions)
    np.testing.assert_array_equal(again.bonds, mol.bonds)
    assert list(again.bond_types) == list(mol.bond_types)
    for path in [EXAMPLES / "mixture.mcr", DATA / "nacl.cry"]:
        obj = qrtzdb.read(path)
        again = pickle.loads(pickle.dumps(obj))
        assert type(again) is type(obj) and list(again.names) == list(obj.names)
        np.testing.assert_allclose(again.positions, obj.positions, atol=1e-5)
        np.testing.assert_allclose(again.cell, obj.cell, rtol=1e-6)
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.Simulation(_cut(tmp_path))
    again = pickle.loads(pickle.dumps(e.value))
    assert (str(again), again.path, again.code) == (str(e.value), e.value.path, e.value.code)


def _cut(folder):
    bad = folder / "cut.sim"
    bad.write_bytes(RUN.read_bytes()[:700])
    return bad


def test_series_and_positions_equal_the_serial_reads(client, tmp_path):
    runs = [RUN] + [write_run(tmp_path / ("g%d.sim" % k), 40, 25, k) for k in (1, 2)]
    paths = [str(p) for p in runs]
    series = qd.thermo(paths)
    assert series.npartitions == 3
    got = series.compute()
    for path in paths:
        mine = got[got.run == path]
        serial = qrtzdb.Simulation(path).thermo
        np.testing.assert_array_equal(mine.frame, np.arange(len(serial["time"])))
        for name, values in serial.items():
            np.testing.assert_array_equal(mine[name], values)

    # A corrupt file in the set: an error naming it, or left out and reported.
    bad = str(_cut(tmp_path))
    with pytest.raises(qrtzdb.FormatError) as e:
        qd.thermo(paths[:1] + [bad] + paths[1:]).compute()
    assert e.value.path == bad
    skipping = qd.thermo([bad] + paths, errors="skip")
    frame, skipped = dask.compute(skipping, skipping.skipped)
    assert [p for p, _ in skipped] == [bad] and "count record" in skipped[0][1]
    plain = lambda f: f.astype({"run": str}).reset_index(drop=True)
    assert plain(frame).equals(plain(got))

    # Positions in chunks through the frame index, one file and several.
    serial = qrtzdb.Simulation(RUN)
    stack = np.stack([serial.positions(i) for i in range(len(serial))])
    whole = qd.positions(RUN, chunk=6)
    assert whole.chunks[0] == (6, 6, 6, 2)
    np.testing.assert_array_equal(whole.compute(), stack)
    np.testing.assert_allclose(whole.mean(axis=0).compute(), stack.mean(axis=0), rtol=1e-5)
    picked = qd.positions(RUN, frames=[-1, 3, 0], chunk=2).compute()
    np.testing.assert_array_equal(picked, stack[[19, 3, 0]])
    both = qd.positions(paths[1:], frames=slice(None, None, 4), chunk=3)
    expected = np.concatenate([np.stack([qrtzdb.Simulation(p).positions(i)
                                         for i in range(0, 25, 4)]) for p in paths[1:]])
    np.testing.assert_array_equal(both.compute(), expected)
    with pytest.raises(ValueError, match="different numbers of atoms"):
        qd.positions(paths)


def _same_records(got, expected):
    assert [m.name for m in got] == [m.name for m in expected]
    for mine, theirs in zip(got, expected):
        assert list(mine.names) == list(theirs.names) and mine.data == theirs.data
        np.testing.assert_array_equal(mine.positions, theirs.positions)
        np.testing.assert_array_equal(mine.bonds, theirs.bonds)


def test_sd_records_split_across_byte_ranges_equal_a_plain_read(client, tmp_path):
    texts = [p.read_text() for p in sorted(DATA.glob("ob-*.sdf"))]
    texts = [t.replace("$$$$", "> <score>\n%d.5\n\n> <note>\ntwo\nlines\n\n$$$$" % k)
             if k % 3 == 0 else t for k, t in enumerate(texts * 8)]
    many = tmp_path / "many.sdf"
    many.write_text("".join(texts))
    expected = list(qrtzdb.iter_records(many))
    size = many.stat().st_size
    # Ranges smaller than a record, about one, and larger; a range may begin inside a "$$$$".
    for blocksize in [97, 700, size // 3 + 1, size]:
        bag = qd.records(many, blocksize=blocksize)
        assert bag.npartitions == -(-size // blocksize)
        got = bag.compute()
        _same_records(got, expected)
    offsets = [m.offset for m in got]
    assert offsets[0] == 0 and offsets == sorted(offsets) and len(set(offsets)) == len(got)
    assert qd.records([many, many], blocksize=size // 2).count().compute() == 2 * len(expected)

    # A bad record: the worker's error names the file, the record and the line as iter_records.
    lines = texts[5].splitlines(keepends=True)
    lines[3] = "abc" + lines[3][3:]
    texts[5] = "".join(lines)
    many.write_text("".join(texts))
    with pytest.raises(qrtzdb.FormatError) as plain:
        list(qrtzdb.iter_records(many))
    with pytest.raises(qrtzdb.FormatError) as e:
        qd.records(many, blocksize=500).compute()
    assert str(e.value) == str(plain.value)
    assert (e.value.path, e.value.record, e.value.line) == \
        (str(many), plain.value.record, plain.value.line)
    with pytest.warns(UserWarning):
        kept = list(qrtzdb.iter_records(many, skip_bad=True))
    _same_records(qd.records(many, blocksize=500, skip_bad=True).compute(), kept)
