"""Many result files and large SD files through Dask, on a laptop or a cluster.

Each function builds a lazy Dask collection; nothing is read until it is computed, and then
by whatever scheduler is active (a ``distributed.Client`` when one is connected, the local
threads otherwise). The workers open the files themselves, so they must see the same paths::

    from dask.distributed import Client
    import qrtzdb.dask as qd

    client = Client()                                # or Client("tcp://host:8786")
    series = qd.thermo(sorted(glob.glob("runs/*.sim")))
    series.groupby("run").volume.mean().compute()
    mean = qd.positions("long.sim", chunk=100).mean(axis=0).compute()
    names = qd.records("screen.sdf").map(lambda m: m.name).compute()
"""

import functools
import os
import re
import tempfile
import warnings

import numpy as np

from . import _qrtzdb as _core
from ._errors import FormatError
from .simulation import Simulation

__all__ = ["thermo", "positions", "records"]


def _dask():
    try:
        import dask
    except ImportError as e:  # dask is optional for the rest of the package
        raise ImportError("qrtzdb.dask needs Dask (Debian: python3-dask, "
                          "python3-distributed)") from e
    return dask


@functools.lru_cache(maxsize=8)
def _open(path, stamp):
    # A worker reading many chunks of one file scans it for its frame index once; the stamp
    # (modification time and size) makes a rewritten file be opened again.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return Simulation(path)


def _simulation(path):
    st = os.stat(path)
    return _open(path, (st.st_mtime_ns, st.st_size))


# --- thermodynamic series ------------------------------------------------------------------

def _thermo_part(path, errors, runs):
    """(DataFrame, None) of one file, or (None, (path, message)) when it is skipped."""
    import pandas as pd

    try:
        series = dict(_simulation(path).thermo)
    except (OSError, ValueError) as e:
        if errors == "skip":
            return None, (path, str(e))
        if isinstance(e, OSError) or getattr(e, "path", None):
            raise  # the message names the file already
        if isinstance(e, FormatError):
            raise FormatError("%s: %s" % (path, e), path, e.code) from e
        raise ValueError("%s: %s" % (path, e)) from e
    n = len(series["time"])
    # A categorical run column travels as codes, not as a string per row.
    columns = {"run": pd.Categorical.from_codes(np.full(n, runs.categories.get_loc(path)),
                                                dtype=runs),
               "frame": np.arange(n, dtype=np.int64)}
    columns.update(series)
    return pd.DataFrame(columns), None


def _columns(path, errors, runs):
    frame = _thermo_part(path, errors, runs)[0]
    return None if frame is None else frame.iloc[:0]


def _frame_of(part, meta):
    frame = part[0]
    if frame is None:
        return meta.copy()
    # Files with more or fewer series than the first take its columns (missing ones NaN).
    return frame.reindex(columns=meta.columns)


def _skipped(*parts):
    return [part[1] for part in parts if part[1] is not None]


def thermo(paths, errors="raise"):
    """The thermodynamic series of many result files as one Dask DataFrame, one partition per
    file: the columns "run" (the file's path, a categorical), "frame" (0-based), "time" (ps)
    and the other series of ``Simulation.thermo``, those of the first readable file.

    errors="raise": computing it raises the error of the first unreadable file, its message
    naming the file (FormatError keeps ``path``). errors="skip": unreadable files give empty
    partitions, and ``frame.skipped`` is a Dask delayed list of (path, message) of the files
    left out; ``dask.compute(frame, frame.skipped)`` reads every file once for both.
    """
    dask = _dask()
    import dask.dataframe as dd
    import pandas as pd

    if errors not in ("raise", "skip"):
        raise ValueError('errors must be "raise" or "skip", not %r' % (errors,))
    paths = [os.fspath(p) for p in paths]
    if not paths:
        raise ValueError("thermo needs at least one result file")
    runs = pd.CategoricalDtype(list(dict.fromkeys(paths)))
    # Not pure: a file rewritten between two computations is read again.
    parts = [dask.delayed(_thermo_part)(p, errors, runs) for p in paths]
    # The columns come from the first file that reads, on the workers (the client may not
    # see the files).
    meta = None
    for p in paths:
        # Raises the error of an unreadable file when errors is "raise".
        meta = dask.compute(dask.delayed(_columns)(p, errors, runs))[0]
        if meta is not None:
            break
    if meta is None:
        raise FormatError("none of the %d result files could be read" % len(paths))
    out = dd.from_delayed([dask.delayed(_frame_of)(part, meta) for part in parts], meta=meta,
                          divisions=None, verify_meta=False)
    out.skipped = dask.delayed(_skipped)(*parts)
    return out


# --- positions ----------------------------------------------------------------------------

def _shape(path):
    sim = _simulation(path)
    return len(sim), int(sim.header["atoms"])


def _positions_chunk(path, frames, atoms):
    sim = _simulation(path)
    out = np.empty((len(frames), atoms, 3), dtype=np.float32)
    for k, i in enumerate(frames):
        p = sim.positions(i)
        if p.shape[0] != atoms:
            raise FormatError("frame %d holds %d atoms, not the %d of the header" %
                              (i + 1, p.shape[0], atoms), path)
        out[k] = p
    return out


def _selected(frames, count):
    if frames is None:
        return list(range(count))
    if isinstance(frames, slice):
        return list(range(*frames.indices(count)))
    out = []
    for i in frames:
        i = int(i)
        if not -count <= i < count:
            raise IndexError("frame %d of a simulation of %d frames" % (i, count))
        out.append(i % count)
    return out


def positions(path_or_paths, frames=None, chunk=64):
    """The positions of the frames of one result file (or of several, one after the other) as
    a Dask array of shape (frames, atoms, 3), float32 Cartesian ångström as
    ``Simulation.positions`` gives them.

    frames: None for all, a slice or a sequence of 0-based indexes (negative from the end),
    applied to each file. chunk: frames per chunk; each chunk is one task that reads exactly
    its frames through the frame index, so reductions (``.mean(axis=0)``, sums of squared
    deviations) run with a few chunks in memory at a time. Every frame must hold all the atoms
    of the header.
    """
    dask = _dask()
    import dask.array as da

    if isinstance(path_or_paths, (str, bytes, os.PathLike)):
        paths = [os.fspath(path_or_paths)]
    else:
        paths = [os.fspath(p) for p in path_or_paths]
    if chunk < 1:
        raise ValueError("chunk must be at least 1 frame")
    shapes = dask.compute(*[dask.delayed(_shape)(p) for p in paths])
    if len({atoms for _, atoms in shapes}) > 1:
        raise ValueError("the files hold different numbers of atoms: %s" %
                         ", ".join("%s %d" % (p, s[1]) for p, s in zip(paths, shapes)))
    pieces = []
    for path, (count, atoms) in zip(paths, shapes):
        chosen = _selected(frames, count)
        for at in range(0, len(chosen), chunk):
            part = chosen[at:at + chunk]
            task = dask.delayed(_positions_chunk)(path, part, atoms)
            pieces.append(da.from_delayed(task, (len(part), atoms, 3), dtype=np.float32))
    if not pieces:
        atoms = shapes[0][1] if shapes else 0
        return da.zeros((0, atoms, 3), dtype=np.float32)
    return da.concatenate(pieces, axis=0)


# --- SD records ---------------------------------------------------------------------------

def _is_end(line):
    return line.strip() == b"$$$$"


def _first_record(f, start):
    """Seeks f to the first record that begins at or after byte start; returns its offset.
    A record begins at the file's start or right after a "$$$$" line."""
    if start == 0:
        f.seek(0)
        return 0
    back = max(0, start - 64)
    f.seek(back)
    before = f.read(start - 1 - back)
    f.seek(start - 1)
    line = f.readline()  # the rest of the line that holds byte start - 1
    cut = before.rfind(b"\n")
    # A line longer than what we looked back over is no "$$$$" line.
    whole = before[cut + 1:] + line if cut >= 0 or back == 0 else b"x" + line
    at = start - 1 + len(line)
    while line and not _is_end(whole):
        line = f.readline()
        whole = line
        at += len(line)
    return at


def _where(path, offset):
    """(record number, line number), both 1-based, of the record at byte offset; read only when
    reporting an error."""
    record, line = 1, 1
    with open(path, "rb") as f:
        for l in iter(f.readline, b""):
            if f.tell() > offset:
                break
            line += 1
            if _is_end(l):
                record += 1
    return record, line


def _moved(message, part, path, offset):
    """The message about the range's copy part, about the file: its record and line numbers
    counted from the file's start."""
    record, line = _where(path, offset)
    message = message.replace(part, path)
    message = re.sub(r"\brecord (\d+)", lambda m: "record %d" % (record + int(m[1]) - 1),
                     message, count=1)
    return re.sub(r"\bline (\d+)", lambda m: "line %d" % (line + int(m[1]) - 1), message,
                  count=1)


_END = re.compile(rb"^[ \t]*\$\$\$\$[ \t\r]*(?:\n|\Z)", re.M)


def _read_range(path, start, end, unite, skip_bad):
    with open(path, "rb") as f:
        at = _first_record(f, start)
        if at >= end:
            return []
        data = f.read(end - at)
        # The last record that begins in the range runs on to its "$$$$" line.
        last = data[data.rfind(b"\n", 0, len(data) - 1) + 1:]
        if data and not (data.endswith(b"\n") and _is_end(last)):
            line = f.readline()
            data += line
            last += line
            while line and not _is_end(last):
                last = line = f.readline()
                data += line
    if not data.strip():
        return []
    starts = [0] + [m.end() for m in _END.finditer(data)]
    # The library's record reader reads files: it gets the range's records as one.
    with tempfile.TemporaryDirectory(prefix="qrtz-sd-") as folder:
        part = os.path.join(folder, "part.sdf")
        with open(part, "wb") as f:
            f.write(data)
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            try:
                out = list(_core.SdRecords(part, unite, skip_bad))
            except FormatError as e:
                raise FormatError(_moved(str(e), part, path, at), path, e.code) from None
    for w in caught:
        warnings.warn(_moved(str(w.message), part, path, at), w.category)
    for mol in out:
        mol.offset = at + starts[mol.record - 1]
        mol.path = path
        mol.record = None  # counting them would mean reading the file up to here
    return out


def records(paths, blocksize=8 << 20, unite=False, skip_bad=False):
    """The molecules of SD files as a Dask Bag, each file cut into byte ranges of blocksize
    bytes read by separate tasks, so that no task reads a whole large file.

    A task reads the records that begin inside its range: it seeks to the range's start, moves
    on to the first record beginning there or after (the file's start, or after a "$$$$"
    line), and reads whole records, past the range's end for the last. Each Molecule carries
    ``data`` (the data fields, name to text, as in ``iter_records``), ``path`` and ``offset``
    (the byte where its record begins; ``record`` is None, as numbering records would take
    reading the file up to them). A malformed record raises FormatError naming the file,
    the record and the line; with skip_bad it is left out with a warning on the worker.
    """
    dask = _dask()
    import dask.bag as db

    if isinstance(paths, (str, bytes, os.PathLike)):
        paths = [paths]
    if blocksize < 1:
        raise ValueError("blocksize must be at least 1 byte")
    parts = []
    for path in map(os.fspath, paths):
        size = os.path.getsize(path)
        for start in range(0, max(size, 1), blocksize):
            parts.append(dask.delayed(_read_range)(
                path, start, min(start + blocksize, size), unite, skip_bad))
    return db.from_delayed(parts)
