"""Simulation result files: header, series, frames and trajectories."""

import os
import types
import warnings

import numpy as np

from . import _qrtzdb as _core
from ._errors import SimulationWarning

__all__ = ["Simulation", "Trajectory"]


class Trajectory:
    """Sampled paths of molecules (their centres of mass) and of unbonded atoms.

    names: one per line (a molecule type's name, or "atom(type)" for an atom);
    positions: (lines, points, 3) fractional positions put back into the cell along the wrapped
    axes; images: (lines, points, 3) the periodic image each point came from; segments:
    (lines, points) 1 where the segment from the previous point is drawn; matrices:
    (points, 3, 3) the cell matrix of every point (columns the cell vectors).
    """

    def __init__(self, data):
        self.names = data["names"]
        self.positions = data["positions"]
        self.images = data["images"]
        self.segments = data["segments"]
        self.matrices = data["matrices"]

    def __len__(self):
        return len(self.names)

    def __repr__(self):
        return "<qrtzdb.Trajectory: %d lines of %d points>" % self.segments.shape


class Simulation:
    """A simulation result file, read as a sequence of frames.

    ``Simulation(path, progress=None)`` reads the header and scans every frame once for the
    thermodynamic series and an index of the frames; progress, when given, is called as
    ``progress(scanned, total)`` during that scan. A file cut short (a run killed while writing)
    loads the frames it holds completely, with a SimulationWarning.

    ``len(sim)`` is the number of recorded frames; frame ``i`` (0-based, negative from the end)
    is recorded step ``i + 1``. ``sim.positions(i)`` reads only that frame's positions,
    ``sim.frame(i)`` builds its molecular crystal; iterating yields the frames' molecular
    crystals. Positions are Cartesian ångström (float32, as the file stores them) in the cell
    orientation of the frame's lattice constants (a along x, b in the xy-plane), where the file
    puts them: centred on the cell's origin, not wrapped.
    """

    def __init__(self, path, progress=None):
        self.path = os.fspath(path)
        self._file = _core.SimFile(self.path, progress)
        for message in self._file.warnings:
            warnings.warn("%s: %s" % (self.path, message), SimulationWarning, stacklevel=2)
        self.header = self._file.header()
        """The header's fields as a dict: title, steps, time step, atoms, molecule types..."""
        self._thermo = None

    def __len__(self):
        return self._file.frames

    def __repr__(self):
        return "<qrtzdb.Simulation %r: %d frames, %d atoms>" % (
            self.path, len(self), self.header["atoms"])

    def _step(self, i):
        n = len(self)
        i = int(i)
        if i < 0:
            i += n
        if not 0 <= i < n:
            raise IndexError("frame %d of a simulation of %d frames" % (i, n))
        return i + 1

    @property
    def thermo(self):
        """The per-frame series, a read-only mapping from name to float64 arrays: "time" (ps),
        the quantities q0, q1, "volume" (q2), ..., the lattice constants "a", "b", "c",
        "alpha", "beta", "gamma" (q6 to q11), any further q12..., "extra0"... and "density"
        (g/cm³)."""
        if self._thermo is None:
            self._thermo = types.MappingProxyType(self._file.thermo())
        return self._thermo

    def thermo_frame(self):
        """The series as a pandas DataFrame indexed by frame (needs pandas)."""
        import pandas as pd

        frame = pd.DataFrame(dict(self.thermo))
        frame.index.name = "frame"
        return frame

    def positions(self, i):
        """The (n, 3) Cartesian positions in ångström of frame i, read through the frame index
        without building the molecular crystal: the file's float32 record goes straight into
        the array and is turned into ångström in place, so the result is float32 (as stored)
        and a transposed view of a (3, n) array (``np.ascontiguousarray`` makes it
        row-major)."""
        return self._file.frame_positions(i)

    def fractional_positions(self, i):
        """The (n, 3) fractional coordinates of frame i as the file stores them."""
        return self._file.positions(self._step(i), False)[0]

    def cell(self, i):
        """The lattice constants (a, b, c, alpha, beta, gamma) of frame i."""
        return tuple(self._file.positions(self._step(i), False)[1])

    def initial_positions(self):
        """The positions of the initial structure in the header (before the first frame)."""
        return self._file.positions(0, True)[0]

    def frame(self, i, wrap=""):
        """The MolCrystal of frame i; wrap names the axes ("xyz", "xy", ...) along which
        molecules are put back into the cell as a whole, and lone atoms one by one."""
        return self._file.frame(self._step(i), wrap)

    def initial_frame(self, wrap=""):
        """The MolCrystal of the initial structure in the header."""
        return self._file.frame(0, wrap)

    def __getitem__(self, i):
        if isinstance(i, slice):
            return [self.frame(k) for k in range(*i.indices(len(self)))]
        return self.frame(i)

    def __iter__(self):
        for i in range(len(self)):
            yield self.frame(i)

    def trajectory(self, first=0, last=None, count=None, wrap=""):
        """Sample count points of every molecule's and lone atom's path from step first to
        step last (steps: 0 the initial structure, 1 to len(sim) the frames; last defaults to
        the last frame, count to one point per step up to len(sim)). Returns a Trajectory."""
        last = len(self) if last is None else last
        if count is None:
            count = min(abs(last - first) + 1, len(self))
        return Trajectory(self._file.trajectory(first, last, count, wrap))

    def topology(self):
        """The atoms in the file's order: a dict of names, masses, charges, molecule (the
        molecule index of each atom), molecule_types and bonds ((m, 2) 0-based)."""
        return self._file.topology()

    def to_ase(self, frames=None):
        """The frames as a list of ase.Atoms (cell and periodic flags set), for ase.io.write
        to extended XYZ, PDB and the other formats ASE writes. frames: the frame indexes,
        all by default."""
        from .interop import _ase_atoms

        top = self.topology()
        images = []
        for i in range(len(self)) if frames is None else frames:
            positions, cell = self._file.positions(self._step(i), True)
            if len(positions) != len(top["names"]):
                raise ValueError("frame %d holds %d atoms, not the %d of the header: ASE frames "
                                 "need them all" % (i, len(positions), len(top["names"])))
            images.append(_ase_atoms(top["names"], positions, cell, top["masses"],
                                     top["charges"]))
        return images

    def to_mdanalysis(self):
        """An MDAnalysis Universe over the frames: atom names, types (elements), masses,
        charges, one residue per molecule named after its type, the bonds, and per frame the
        positions and cell. The coordinates are read into memory once."""
        import MDAnalysis as mda
        from MDAnalysis.coordinates.memory import MemoryReader
        from .interop import element_symbol

        top = self.topology()
        n = len(top["names"])
        frames = len(self)
        coordinates = np.empty((frames, n, 3), dtype=np.float32)
        dimensions = np.empty((frames, 6), dtype=np.float32)
        for i in range(frames):
            positions, cell = self._file.positions(self._step(i), True)
            if len(positions) != n:
                raise ValueError("frame %d holds %d atoms, not the %d of the header: an "
                                 "MDAnalysis Universe needs them all" % (i, len(positions), n))
            coordinates[i] = positions
            dimensions[i] = cell
        molecules = len(top["molecule_types"])
        u = mda.Universe.empty(n, n_residues=molecules, atom_resindex=top["molecule"],
                               trajectory=False)
        u.add_TopologyAttr("names", [str(s) for s in top["names"]])
        u.add_TopologyAttr("types", [element_symbol(s) for s in top["names"]])
        u.add_TopologyAttr("masses", top["masses"])
        u.add_TopologyAttr("charges", top["charges"])
        u.add_TopologyAttr("resnames", top["molecule_types"])
        u.add_TopologyAttr("resids", np.arange(1, molecules + 1))
        u.add_TopologyAttr("bonds", [tuple(b) for b in top["bonds"].tolist()])
        dt = float(self.header["time_step_fs"]) * max(self.header["interval"], 1) * 1e-3
        u.load_new(coordinates, format=MemoryReader, dimensions=dimensions, dt=dt)
        return u
