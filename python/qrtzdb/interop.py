"""Exchange with ASE and RDKit; each works when that package is importable."""

import numpy as np

from . import _qrtzdb as _core
from ._errors import FormatError

__all__ = ["to_ase", "from_ase", "to_rdkit", "from_rdkit", "element_symbol"]

_SYMBOLS = None


def element_symbol(name):
    """The element symbol of an atom type name: "C" for "C", "Cl" for "Cl", "C" for a united
    atom "C 3", "X" when the name starts with no element symbol."""
    global _SYMBOLS
    if _SYMBOLS is None:
        # Elements 1 to 103 of the library's table.
        _SYMBOLS = {row.symbol for row in _core.element_rows()[:103]}
    letters = ""
    for c in str(name).strip():
        if not c.isalpha():
            break
        letters += c
    if len(letters) >= 2 and letters[0].upper() + letters[1].lower() in _SYMBOLS \
            and not letters[1].isupper():
        return letters[0].upper() + letters[1].lower()
    if letters and letters[0].upper() in _SYMBOLS:
        return letters[0].upper()
    return "X"


def _numbers(names):
    from ase.data import atomic_numbers

    return [atomic_numbers.get(element_symbol(s), 0) for s in names]


def _ase_atoms(names, positions, cell, masses, charges):
    import ase

    atoms = ase.Atoms(numbers=_numbers(names), positions=positions, cell=cell,
                      pbc=cell is not None, masses=masses, charges=charges)
    atoms.set_array("qrtz_names", np.array([str(s) for s in names], dtype="U4"))
    return atoms


def to_ase(obj):
    """An ase.Atoms of a Molecule (no cell, not periodic) or of a Crystal or MolCrystal (its
    cell, periodic along all three axes). Elements come from the atom names; masses and
    charges are carried over, and the names themselves as the array "qrtz_names"."""
    cell = None if isinstance(obj, _core.Molecule) else obj.cell
    return _ase_atoms(obj.names, obj.positions, cell, obj.masses, obj.charges)


def from_ase(atoms, name=""):
    """A Crystal of an ase.Atoms that is periodic along some axis and has a cell, else a
    Molecule; atom names are the chemical symbols, masses and charges are carried over."""
    names = [str(s) for s in atoms.get_chemical_symbols()]
    masses = atoms.get_masses()
    charges = atoms.get_initial_charges()
    if np.any(atoms.pbc) and atoms.cell.rank == 3:
        return _core.Crystal(names, atoms.get_scaled_positions(wrap=False),
                             list(atoms.cell.cellpar()), name=name, masses=masses,
                             charges=charges)
    return _core.Molecule(names, atoms.get_positions(), name=name, masses=masses,
                          charges=charges)


def to_rdkit(mol, sanitize=True):
    """An RDKit Mol of a Molecule through its MDL molfile record: coordinates as a conformer,
    bond orders, aromatic bonds (type 4) and explicit hydrogens kept."""
    from rdkit import Chem

    block = _core.to_mdl_block(mol).decode("latin-1")
    out = Chem.MolFromMolBlock(block, sanitize=sanitize, removeHs=False)
    if out is None:
        raise FormatError("RDKit refused the MDL record of molecule %r" % mol.name)
    return out


def from_rdkit(rdmol, unite=False):
    """A Molecule of an RDKit Mol through an MDL molfile record (aromatic bonds stay aromatic,
    coordinates from the first conformer, zeros without one)."""
    from rdkit import Chem

    block = Chem.MolToMolBlock(rdmol, kekulize=False)
    return _core.from_mdl_block(block, "<RDKit molecule>", unite)
