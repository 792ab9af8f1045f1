"""Exchange with RDKit and ASE on the SD files written by Open Babel and the native files."""

import numpy as np
import pytest

import qrtzdb
from conftest import DATA, EXAMPLES

Chem = pytest.importorskip("rdkit.Chem")
ase_io = pytest.importorskip("ase.io")

# Molecules whose whole chemistry (bond orders, aromaticity) is in the library's model; formal
# charges and isotopes (ob-lactate, ob-methanol-13c) are not.
AROMATIC = ["benzene", "naphthalene", "phenanthrene", "biphenyl", "chlorobenzene"]


@pytest.mark.parametrize("name", AROMATIC)
def test_rdkit_sees_the_molecule_it_reads_from_the_file(name):
    path = DATA / ("ob-%s.sdf" % name)
    mol = qrtzdb.read(path)
    rd = qrtzdb.to_rdkit(mol)
    reference = Chem.MolFromMolFile(str(path), removeHs=False)
    assert Chem.MolToSmiles(rd) == Chem.MolToSmiles(reference)
    np.testing.assert_allclose(rd.GetConformer().GetPositions(), mol.positions, atol=1e-4)
    assert sum(b.GetIsAromatic() for b in rd.GetBonds()) == list(mol.bond_types).count("AR")

    back = qrtzdb.from_rdkit(rd)
    assert list(back.names) == list(mol.names)
    assert list(back.bond_types) == list(mol.bond_types)
    np.testing.assert_array_equal(back.bonds, mol.bonds)
    np.testing.assert_allclose(back.positions, mol.positions, atol=1e-4)


def test_rdkit_molecules_from_smiles_keep_their_aromatic_rings():
    phenol = Chem.AddHs(Chem.MolFromSmiles("Oc1ccccc1"))
    mol = qrtzdb.from_rdkit(phenol)
    assert len(mol) == 13 and list(mol.bond_types).count("AR") == 6
    with pytest.raises(qrtzdb.FormatError):
        qrtzdb._qrtzdb.from_mdl_block("not a molfile\n", "<text>")


def test_ase_round_trips_of_molecules_and_crystals(tmp_path):
    mol = qrtzdb.read(DATA / "ob-chlorobenzene.sdf")
    atoms = qrtzdb.to_ase(mol)
    assert atoms.get_chemical_symbols()[0] == "Cl" and not atoms.pbc.any()
    np.testing.assert_allclose(atoms.positions, mol.positions)
    back = qrtzdb.from_ase(atoms)
    assert isinstance(back, qrtzdb.Molecule)
    np.testing.assert_allclose(back.masses, mol.masses)

    for crystal in (qrtzdb.read(DATA / "nacl.cry"), qrtzdb.read(EXAMPLES / "mixture.mcr")):
        atoms = qrtzdb.to_ase(crystal)
        assert atoms.pbc.all()
        np.testing.assert_allclose(atoms.cell.cellpar(), crystal.cell)
        np.testing.assert_allclose(atoms.get_scaled_positions(wrap=False),
                                   crystal.fractional_positions, atol=1e-12)
        ase_io.write(tmp_path / "c.xyz", atoms, format="extxyz")
        again = qrtzdb.from_ase(ase_io.read(tmp_path / "c.xyz"))
        assert isinstance(again, qrtzdb.Crystal)
        np.testing.assert_allclose(again.positions, crystal.positions, atol=1e-6)
        np.testing.assert_allclose(again.cell, crystal.cell, atol=1e-6)
        qrtzdb.write(tmp_path / "c.cry", again)
        assert len(qrtzdb.read(tmp_path / "c.cry")) == len(crystal)
