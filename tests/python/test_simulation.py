"""The simulation example frame by frame: positions read alone against the frames' molecular
crystals and the qrtz tool, the series, cut and corrupt files, and the exports to ASE and
MDAnalysis."""

import csv
import io
import json
import shutil

import numpy as np
import pytest

import qrtzdb
from conftest import EXAMPLES

RUN = EXAMPLES / "water-argon.sim"


def test_positions_read_alone_match_every_frame():
    sim = qrtzdb.Simulation(RUN)
    assert len(sim) == 20
    for i in range(len(sim)):
        p = sim.positions(i)
        frame = sim.frame(i)
        assert p.shape == (sim.header["atoms"], 3) and p.dtype == np.float32
        np.testing.assert_allclose(frame.positions, p, atol=2e-5)
        np.testing.assert_allclose(sim.fractional_positions(i) @ frame.matrix.T, p, atol=2e-5)
        np.testing.assert_allclose(sim.cell(i), frame.cell, rtol=1e-6)
    np.testing.assert_array_equal(sim.positions(-1), sim.positions(19))
    np.testing.assert_array_equal(sim.positions(-20), sim.positions(0))
    with pytest.raises(IndexError):
        sim.positions(20)
    np.testing.assert_allclose(sim.initial_frame().positions, sim.initial_positions(), atol=2e-5)
    # Wrapped frames keep every molecule whole inside the cell.
    wrapped = sim.frame(5, wrap="xyz")
    for mol in wrapped.molecules:
        assert np.all(np.abs(mol.center_of_mass()) <= 0.5 + 1e-9)
    assert [f.positions.shape for f in sim[18:]] == [(124, 3)] * 2


def test_header_and_series_match_the_tool(qrtz):
    seen = []
    sim = qrtzdb.Simulation(RUN, progress=lambda done, total: seen.append((done, total)))
    assert seen[-1] == (20, 20) and len(seen) == 20
    info = json.loads(qrtz("sim", "info", RUN, "--json"))
    assert sim.header["atoms"] == info["atoms"] and len(sim) == info["frames"]
    assert [t["name"] for t in sim.header["types"]] == [t["name"] for t in info["molecule types"]]
    rows = list(csv.DictReader(io.StringIO(qrtz("sim", "thermo", RUN, "--csv"))))
    for name, column in [("time", "time_ps"), ("volume", "volume"), ("a", "a"),
                         ("gamma", "gamma"), ("q0", "q0"), ("density", "density_g_cm3")]:
        np.testing.assert_allclose(sim.thermo[name], [float(r[column]) for r in rows], rtol=1e-6)
    frame = sim.thermo_frame()
    assert list(frame.columns) == list(sim.thermo) and len(frame) == 20


def test_trajectory_matches_the_tool(tmp_path, qrtz):
    sim = qrtzdb.Simulation(RUN)
    traj = sim.trajectory(0, 20, 5, wrap="xyz")
    assert len(traj) == 8 + 100 and traj.positions.shape == (108, 5, 3)
    qrtz("sim", "traj", RUN, "--first", 0, "--last", 20, "--count", 5, "--wrap", "xyz",
         "-o", tmp_path / "t.csv")
    rows = list(csv.DictReader(open(tmp_path / "t.csv")))
    assert len(rows) == 108 * 5
    ours = traj.positions.reshape(-1, 3)
    theirs = np.array([[float(r["fx"]), float(r["fy"]), float(r["fz"])] for r in rows])
    np.testing.assert_allclose(ours, theirs, atol=1e-6)
    np.testing.assert_array_equal(traj.images[:, :, 0].ravel(), [int(r["image_a"]) for r in rows])


def test_cut_and_corrupt_files(tmp_path):
    data = RUN.read_bytes()
    cut = tmp_path / "cut.sim"
    cut.write_bytes(data[:-100])
    with pytest.warns(qrtzdb.SimulationWarning, match="19 of the 20"):
        sim = qrtzdb.Simulation(cut)
    assert len(sim) == 19 and len(sim.thermo["time"]) == 19
    np.testing.assert_array_equal(sim.positions(-1), qrtzdb.Simulation(RUN).positions(18))

    short = tmp_path / "short.sim"
    short.write_bytes(data[:700])
    with pytest.raises(qrtzdb.FormatError, match="count record") as e:
        qrtzdb.Simulation(short)
    assert e.value.path == str(short)
    short.write_bytes(data[:3000])  # the header whole, the first frame not
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.Simulation(short)
    assert (e.value.frame, e.value.byte) == (1, 2234)

    bad = bytearray(data)
    bad[0:4] = (7).to_bytes(4, "little")  # the first record's length
    (tmp_path / "bad.sim").write_bytes(bytes(bad))
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.Simulation(tmp_path / "bad.sim")
    assert e.value.code == 3

    # A file cut after it was opened: the frame is gone, the error names it.
    live = tmp_path / "live.sim"
    shutil.copy(RUN, live)
    sim = qrtzdb.Simulation(live)
    live.write_bytes(data[: len(data) // 2])
    with pytest.raises(qrtzdb.FormatError) as e:
        sim.positions(-1)
    assert e.value.frame == 20
    with pytest.raises(FileNotFoundError):
        qrtzdb.Simulation(tmp_path / "none.sim")


def test_exports_to_ase_and_mdanalysis(tmp_path, qrtz):
    import ase.io

    sim = qrtzdb.Simulation(RUN)
    qrtz("sim", "export", RUN, "-o", tmp_path / "run.xyz")
    read_back = ase.io.read(tmp_path / "run.xyz", index=":")
    frames = sim.to_ase()
    assert len(read_back) == len(frames) == 20
    for i in (0, 7, 19):
        np.testing.assert_allclose(read_back[i].positions, sim.positions(i), atol=1e-5)
        np.testing.assert_allclose(frames[i].positions, sim.positions(i), atol=1e-5)
        np.testing.assert_allclose(read_back[i].cell.cellpar(), sim.cell(i), atol=1e-5)
    assert read_back[0].get_chemical_symbols()[:3] == ["O", "H", "H"]
    ase.io.write(tmp_path / "run.pdb", frames)

    u = sim.to_mdanalysis()
    assert u.atoms.n_atoms == 124 and len(u.residues) == 108 and len(u.bonds) == 16
    assert len(u.trajectory) == 20
    u.trajectory[11]
    np.testing.assert_allclose(u.atoms.positions, sim.positions(11), atol=1e-4)
    np.testing.assert_allclose(u.dimensions, sim.cell(11), rtol=1e-6)
    waters = u.select_atoms("resname Water")
    assert waters.n_atoms == 24
    np.testing.assert_allclose(waters.total_mass(), 8 * sim.header["types"][0]["mass_each"],
                               rtol=1e-6)
