"""qrtzdb: molecules, crystals, molecular crystals and simulation results from Python.

The structures are the library's own, with their atoms as numpy arrays::

    import qrtzdb
    mol = qrtzdb.read("water.mol")           # Molecule, Crystal or MolCrystal by extension
    mol.positions                            # (n, 3) float64 array in ångström
    sim = qrtzdb.Simulation("run.sim")
    sim.positions(-1)                        # the last frame's positions, read alone

Files are known by their extension, as the qrtz tool knows them: .mol (molecular database),
.cry (crystal), .mcr (molecular crystal), .bdl (bundle), .sdf (MDL SD file), .mop (MOPAC-style
geometry), .qsf (QSF object tables); ``format="mdl"`` reads or writes an MDL molfile.

Malformed input raises :class:`FormatError` (a ``ValueError``) with the path and line; files
that cannot be opened raise the usual ``OSError`` subclasses.
"""

import os as _os

from . import _qrtzdb as _core
from ._errors import FormatError, SimulationWarning
from ._qrtzdb import Crystal, Element, MolCrystal, Molecule
from ._qrtzdb import KelDbCrystal, KelDbMolCrystal, KelDbMolecule  # the library's names
from .interop import from_ase, from_rdkit, to_ase, to_rdkit
from .plot import plot_thermo
from .simulation import Simulation, Trajectory
from .tables import clipboard, elements
from . import _pickle, view

_pickle.register()


def _repr_html_(self):
    """Drawn in a notebook: the `qrtz view` page of this structure."""
    return view.notebook_html(self)


for _cls in (Molecule, Crystal, MolCrystal, Simulation):
    _cls._repr_html_ = _repr_html_

__all__ = [
    "read", "write", "iter_records", "formats", "Molecule", "Crystal", "MolCrystal", "Simulation",
    "Trajectory", "FormatError", "SimulationWarning", "elements", "clipboard", "Element",
    "to_ase", "from_ase", "to_rdkit", "from_rdkit", "library_version", "plot_thermo", "view",
]

library_version = _core.library_version


def read(path, format=None, *, unite=False):
    """Read the structure in a file.

    path: a file name (str or os.PathLike). format: None to go by the extension (.mol .cry
    .mcr .bdl .sdf .mop .qsf), or a format name: "mol", "cry", "mcr", "bdl", "sdf", "mdl"
    (an MDL molfile, whatever its extension), "mop", "qsf". unite: fold hydrogens into their
    carbons (united atoms) when reading MDL, MOPAC and QSF files.

    Returns a Molecule (.mol .sdf .mop .qsf; of an SD file the first record, its data fields
    as the dict ``data``; iter_records reads them all), a Crystal (.cry) or a MolCrystal
    (.mcr .bdl).

    Raises FormatError (path, line) for malformed content, OSError (FileNotFoundError, ...)
    for a file that cannot be opened, ValueError for an unknown extension or format.
    """
    return _core.read(_os.fspath(path), format, unite)


def write(path, obj, format=None):
    """Write a structure to a file of the format its extension (or format) names.

    A Molecule goes to .mol .sdf .mop .qsf (or format="mdl"), a Crystal to .cry, a MolCrystal
    to .mcr and .bdl; an SD file also takes a sequence of molecules, one record each. The file
    is written to a temporary file beside it and renamed over it at the end, so a failed write
    leaves any old file whole.

    Raises TypeError when obj does not fit the format, FormatError when the writer refuses the
    content (for example more than 999 atoms in an MDL record), OSError when the file cannot be
    written.
    """
    _core.write(_os.fspath(path), obj, format)


def iter_records(path, *, unite=False, skip_bad=False):
    """Yield the molecules of an SD file one record at a time, without reading the whole file
    first (only the record being read is held).

    Each Molecule carries ``data``, the record's data fields as a dict (name to text, in file
    order; written back by write() to an .sdf file), and ``record``, its 1-based number.
    A malformed record raises FormatError naming the record and the line; with skip_bad it is
    passed over with a warning instead. The iterator is also a context manager that closes
    the file early.
    """
    return _core.SdRecords(_os.fspath(path), unite, skip_bad)


def formats():
    """The formats as (name, extension, description, structure type) tuples."""
    return [tuple(f) for f in _core.formats()]
