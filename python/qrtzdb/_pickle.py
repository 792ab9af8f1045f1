"""Pickling of the structures, so that they cross process boundaries (multiprocessing, Dask).

Molecules and crystals are rebuilt from their arrays; a molecular crystal, whose molecules,
species and cell make a deeper tree, travels as the text of its own .mcr file."""

import copyreg
import os
import tempfile

from . import _qrtzdb as _core


def _atoms(obj):
    return dict(name=obj.name, masses=obj.masses, charges=obj.charges, radii=obj.radii)


def _extra(obj):
    # Attributes set from Python (an SD record's data fields and number) go along.
    return dict(getattr(obj, "__dict__", {}))


def _molecule(names, positions, kwargs, extra):
    mol = _core.Molecule(names, positions, **kwargs)
    mol.__dict__.update(extra)
    return mol


def _crystal(names, fractional, cell, kwargs, extra):
    cry = _core.Crystal(names, fractional, cell, **kwargs)
    if extra:
        cry.__dict__.update(extra)
    return cry


def _mol_crystal(text, extra):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "structure.mcr")
        with open(path, "wb") as f:
            f.write(text)
        mcr = _core.read(path)
    if extra:
        mcr.__dict__.update(extra)
    return mcr


def _reduce_molecule(mol):
    kwargs = _atoms(mol)
    kwargs.update(bonds=mol.bonds, bond_types=list(mol.bond_types))
    return _molecule, (list(mol.names), mol.positions, kwargs, _extra(mol))


def _reduce_crystal(cry):
    return _crystal, (list(cry.names), cry.fractional_positions, list(cry.cell), _atoms(cry),
                      _extra(cry))


def _reduce_mol_crystal(mcr):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "structure.mcr")
        _core.write(path, mcr)
        with open(path, "rb") as f:
            text = f.read()
    return _mol_crystal, (text, _extra(mcr))


def register():
    copyreg.pickle(_core.Molecule, _reduce_molecule)
    copyreg.pickle(_core.Crystal, _reduce_crystal)
    copyreg.pickle(_core.MolCrystal, _reduce_mol_crystal)
