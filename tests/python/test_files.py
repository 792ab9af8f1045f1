"""Structure files through Python: every format against the qrtz tool's output, the arrays
against the library's own numbers, the builders, the tables, and the error paths."""

import os

import numpy as np
import pytest

import qrtzdb
from conftest import DATA, EXAMPLES

# Each source read by Python and written in the target format must give the bytes that
# `qrtz convert` gives for the same conversion.
CONVERSIONS = [
    (EXAMPLES / "water.mol", ".mol"),
    (EXAMPLES / "benzene.mol", ".sdf"),
    (EXAMPLES / "methane.mol", ".mop"),
    (DATA / "h2o2.mol", ".qsf"),
    (DATA / "formyl-chloride.sdf", ".mol"),
    (DATA / "formyl-chloride.qsf", ".sdf"),
    (DATA / "ob-naphthalene.sdf", ".sdf"),
    (DATA / "nacl.cry", ".cry"),
    (EXAMPLES / "mixture.mcr", ".mcr"),
    (EXAMPLES / "mixture.mcr", ".bdl"),
    (DATA / "mixture.bdl", ".mcr"),
]


@pytest.mark.parametrize("source,ext", CONVERSIONS, ids=lambda v: getattr(v, "name", v))
def test_every_format_writes_what_the_tool_writes_and_reads_back(tmp_path, qrtz, source, ext):
    obj = qrtzdb.read(source)
    ours, theirs = tmp_path / ("py" + ext), tmp_path / ("tool" + ext)
    qrtzdb.write(ours, obj)
    qrtz("convert", source, theirs)
    assert ours.read_bytes() == theirs.read_bytes()
    again = qrtzdb.read(ours)
    assert type(again) is type(obj)
    # Imported atoms are named by element ("C"), native ones may carry a type ("C R").
    assert [n.split()[0] for n in again.names] == [n.split()[0] for n in obj.names]
    np.testing.assert_allclose(again.positions, obj.positions, atol=1e-3)  # QSF: 3 decimals
    np.testing.assert_allclose(again.masses, obj.masses, atol=1e-3)
    assert not [p for p in tmp_path.iterdir() if ".tmp" in p.name]


def test_arrays_agree_with_the_library(qrtz):
    mcr = qrtzdb.read(EXAMPLES / "mixture.mcr")
    info = qrtz("info", EXAMPLES / "mixture.mcr", "--json")
    import json

    report = json.loads(info)
    assert len(mcr) == report["atoms"]
    assert len(mcr.molecules) == report["molecules"]
    assert mcr.density == pytest.approx(report["density"], abs=1e-4)
    assert mcr.volume == pytest.approx(report["volume"])
    # Cartesian positions are the fractional ones through the cell matrix, molecule by molecule.
    frac = np.concatenate([m.positions for m in mcr.molecules])
    np.testing.assert_allclose(mcr.fractional_positions, frac)
    np.testing.assert_allclose(mcr.positions, frac @ mcr.matrix.T)
    assert mcr.volume == pytest.approx(abs(np.linalg.det(mcr.matrix)))

    mol = qrtzdb.read(DATA / "h2o2.mol")
    refs, values = mol.zmatrix()
    lines = [l.split() for l in qrtz("zmat", DATA / "h2o2.mol").splitlines() if l.strip()]
    assert len(lines) == len(mol)
    for line, ref, value in zip(lines, refs, values):
        np.testing.assert_allclose([float(v) for v in line[1::2]], value, atol=1e-4)
        np.testing.assert_array_equal([int(r) - 1 for r in line[2::2]], ref)
    com = (mol.masses[:, None] * mol.positions).sum(0) / mol.mass
    np.testing.assert_allclose(mol.center_of_mass(), com)
    np.testing.assert_allclose(mol.GetCenterOfMass(), com)


def test_editing_a_molecule_writes_through(tmp_path):
    mol = qrtzdb.read(DATA / "h2o2.mol")
    moved = mol.positions + [1.0, -2.0, 0.5]
    mol.positions = moved
    np.testing.assert_allclose(mol.positions, moved)
    mol.euler_angles = (30, 40, 50)
    np.testing.assert_allclose(mol.euler_angles, (30, 40, 50), atol=1e-6)
    axes = mol.principal_axes()
    np.testing.assert_allclose(axes @ axes.T, np.eye(3), atol=1e-12)
    copy = mol.copy()
    copy.positions = np.zeros((4, 3))
    assert np.abs(mol.positions).max() > 0
    with pytest.raises(ValueError):
        mol.positions = np.zeros((3, 3))
    qrtzdb.write(tmp_path / "m.sdf", mol)
    np.testing.assert_allclose(qrtzdb.read(tmp_path / "m.sdf").positions, mol.positions,
                               atol=1e-4)

    built = qrtzdb.Molecule(["O", "H", "H"], [[0, 0, 0], [0.96, 0, 0], [-0.24, 0.93, 0]],
                            name="water", bonds=[[0, 1], [0, 2]])
    assert built.masses[0] == pytest.approx(qrtzdb.elements["O"].mass)
    qrtzdb.write(tmp_path / "w.mol", built)
    back = qrtzdb.read(tmp_path / "w.mol")
    assert back.name == "water"
    np.testing.assert_array_equal(back.bonds, [[0, 1], [0, 2]])
    assert list(back.bond_types) == ["1", "1"]


def test_builders_and_supercells():
    argon = qrtzdb.MolCrystal.fcc("Ar", 2, constant=5.26)
    assert len(argon) == 32 and argon.cell[0] == pytest.approx(10.52)
    frac = argon.fractional_positions
    assert np.all((frac >= 0) & (frac < 1))
    bigger = argon.supercell(2, 1, 1)
    assert len(bigger) == 64 and bigger.volume == pytest.approx(2 * argon.volume)

    water = qrtzdb.read(EXAMPLES / "water.mol")
    a = qrtzdb.MolCrystal.bcc(water, 2, random_orientation=True, seed=7)
    b = qrtzdb.MolCrystal.bcc(water, 2, random_orientation=True, seed=7)
    c = qrtzdb.MolCrystal.bcc(water, 2, random_orientation=True, seed=8)
    assert len(a.molecules) == 16
    np.testing.assert_array_equal(a.positions, b.positions)
    assert not np.allclose(a.positions, c.positions)
    # Every copy keeps the molecule's shape.
    first = a.molecules[0].positions @ a.matrix.T
    assert np.linalg.norm(first[1] - first[0]) == pytest.approx(
        np.linalg.norm(water.positions[1] - water.positions[0]))

    nacl = qrtzdb.read(DATA / "nacl.cry")
    big = nacl.supercell(2, 2, 2)
    assert len(big) == 8 * len(nacl) and big.density == pytest.approx(nacl.density)


def test_elements_and_clipboard():
    carbon = qrtzdb.elements["C"]
    assert carbon.mass == pytest.approx(12.011) and carbon.number == 6
    old = carbon.radius
    carbon.radius = 0.9
    assert qrtzdb.elements["C"].radius == 0.9
    carbon.radius = old
    assert "Cl" in qrtzdb.elements and len(qrtzdb.elements) > 100
    with pytest.raises(KeyError):
        qrtzdb.elements["Qq"]

    mol = qrtzdb.read(DATA / "ob-benzene.sdf")
    qrtzdb.clipboard.copy(mol)
    for fmt in ("kel", "mdl", "mopac"):
        pasted = qrtzdb.clipboard.paste(format=fmt)
        assert list(pasted.names) == list(mol.names)
        np.testing.assert_allclose(pasted.positions, mol.positions, atol=1e-4)
    mcr = qrtzdb.read(EXAMPLES / "mixture.mcr")
    qrtzdb.clipboard.copy(mcr)
    pasted = qrtzdb.clipboard.paste()
    assert isinstance(pasted, qrtzdb.MolCrystal) and len(pasted) == len(mcr)


def test_bad_input_raises_format_error_at_the_line(tmp_path):
    lines = (DATA / "h2o2.mol").read_text().splitlines(keepends=True)
    cut = tmp_path / "cut.mol"
    cut.write_text("".join(lines[:8]))
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.read(cut)
    assert e.value.path == str(cut) and e.value.line == 9 and str(cut) in str(e.value)

    bad = tmp_path / "bad.mol"
    lines[7] = lines[7].replace("15.9994", "15.99x4")
    bad.write_text("".join(lines))
    with pytest.raises(ValueError) as e:
        qrtzdb.read(bad)
    assert isinstance(e.value, qrtzdb.FormatError) and e.value.line == 8
    assert "15.99x4" in str(e.value)

    sd = (DATA / "formyl-chloride.sdf").read_text().splitlines(keepends=True)
    sd[3] = "  x" + sd[3][3:]
    (tmp_path / "bad.sdf").write_text("".join(sd))
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.read(tmp_path / "bad.sdf")
    assert e.value.line == 4

    with pytest.raises(FileNotFoundError) as e:
        qrtzdb.read(tmp_path / "missing.mol")
    assert e.value.filename == str(tmp_path / "missing.mol")
    with pytest.raises(ValueError, match="unknown file kind"):
        qrtzdb.read(tmp_path / "x.pdb")
    with pytest.raises(TypeError):
        qrtzdb.write(tmp_path / "x.cry", qrtzdb.read(DATA / "h2o2.mol"))

    # A write the MDL writer refuses leaves the old file whole and no temporary file behind.
    target = tmp_path / "keep.sdf"
    target.write_text("old\n")
    many = qrtzdb.Molecule(["C"] * 1000, np.zeros((1000, 3)))
    with pytest.raises(qrtzdb.FormatError) as e:
        qrtzdb.write(target, many)
    assert e.value.code == 2
    assert target.read_text() == "old\n"
    assert not [p for p in tmp_path.iterdir() if ".tmp" in p.name]


@pytest.mark.parametrize("ext", [".mol", ".cry", ".mcr", ".bdl", ".sdf", ".mop", ".qsf"])
def test_garbage_never_crashes(tmp_path, ext):
    rng = np.random.default_rng(len(ext) + ord(ext[1]))
    sample = (EXAMPLES / "mixture.mcr").read_bytes()
    for k in range(30):
        data = bytearray(sample[: rng.integers(0, len(sample))])
        for _ in range(rng.integers(0, 8)):
            if data:
                data[rng.integers(0, len(data))] = int(rng.integers(0, 256))
        path = tmp_path / ("g%d%s" % (k, ext))
        path.write_bytes(bytes(data))
        try:
            qrtzdb.read(path)
        except qrtzdb.FormatError as e:
            assert e.path == str(path)


def test_sd_records_one_by_one_with_their_data_fields(tmp_path):
    sources = sorted(DATA.glob("ob-*.sdf"))
    texts = [p.read_text() for p in sources]
    texts[1] = texts[1].replace("$$$$", "> <score>\n1.5\n\n> <note>\ntwo\nlines\n\n$$$$")
    many = tmp_path / "many.sdf"
    many.write_text("".join(texts))
    records = list(qrtzdb.iter_records(many))
    assert [m.record for m in records] == list(range(1, len(sources) + 1))
    for mol, source in zip(records, sources):
        np.testing.assert_array_equal(mol.positions, qrtzdb.read(source).positions)
    assert records[1].data == {"score": "1.5", "note": "two\nlines"}

    # The fields go back out with the molecules.
    qrtzdb.write(tmp_path / "out.sdf", records)
    again = list(qrtzdb.iter_records(tmp_path / "out.sdf"))
    assert [m.data for m in again] == [m.data for m in records]

    # A bad third record: an error naming it, or passed over with a warning.
    lines = texts[2].splitlines(keepends=True)
    lines[3] = "abc" + lines[3][3:]
    texts[2] = "".join(lines)
    many.write_text("".join(texts))
    start = sum(t.count("\n") for t in texts[:2]) + 1
    with pytest.raises(qrtzdb.FormatError) as e:
        list(qrtzdb.iter_records(many))
    assert e.value.record == 3 and e.value.line == start + 3
    with pytest.warns(UserWarning, match="record 3"):
        kept = list(qrtzdb.iter_records(many, skip_bad=True))
    assert [m.record for m in kept] == [1, 2] + list(range(4, len(sources) + 1))
