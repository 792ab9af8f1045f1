"""The `qrtz view` page filled from Python: the same template, scripts and document, built from
the arrays the structures already expose, so a notebook draws what the tool's page draws.

    qrtzdb.view.write("water.html", qrtzdb.read("water.mol"))

In Jupyter, Molecule, Crystal, MolCrystal and Simulation show the page through _repr_html_.
"""

import html
import json
import math
import os
import pathlib

import numpy as np

from . import _qrtzdb as _core
from .plot import series_label

__all__ = ["page", "write", "view_folder", "EMBED_LIMIT"]

EMBED_LIMIT = 500_000
"""The most atom positions a page holds over all its frames, as the tool's default."""

_HERE = pathlib.Path(__file__).resolve().parent


def view_folder():
    """The folder of page.html and its scripts: view/ of $QRTZ_SYSTEM_DIR, else share/qrtz/view
    of the prefix the package is installed under, else the build or source tree's copy."""
    candidates = []
    if os.environ.get("QRTZ_SYSTEM_DIR"):
        candidates.append(pathlib.Path(os.environ["QRTZ_SYSTEM_DIR"]) / "view")
    for parent in _HERE.parents:
        candidates += [parent / "share" / "qrtz" / "view", parent / "tools" / "qrtz" / "view"]
    for folder in candidates:
        if (folder / "page.html").is_file():
            return folder
    raise FileNotFoundError("the page template view/page.html is in none of: " +
                            ", ".join(str(c) for c in candidates))


def _hex(rgba):
    return "#%02x%02x%02x" % tuple(min(max(round(float(c) * 255), 0), 255) for c in rgba[:3])


class _Styles:
    """Colour and radius per symbol from the element table, looked up once each."""

    def __init__(self):
        self._seen = {}

    def atom(self, symbol):
        if symbol not in self._seen:
            colour, radius = _core.view_atom_style(symbol)
            self._seen[symbol] = {"color": _hex(colour),
                                  "radius": round(radius if radius > 0 else 1.0, 3)}
        return self._seen[symbol]


def _atoms(names, xyz, styles):
    out = []
    for name, p in zip(names, np.asarray(xyz, dtype=float).tolist()):
        symbol = str(name).strip()
        out.append({"symbol": symbol, "xyz": [round(v, 4) for v in p], **styles.atom(symbol)})
    return out


def _bonds(molecules, bond_counts):
    """The bonds of the molecules in order, their atom indexes counted over all of them."""
    out, first = [], 0
    for mol in molecules:
        for (i, j), code in zip(mol.bonds.tolist(), mol.bond_types):
            code = str(code).strip()
            out.append({"atoms": [first + i, first + j], "type": code})
            bond_counts[code] = bond_counts.get(code, 0) + 1
        first += len(mol)
    return out


def _cell(matrix, fractional):
    """The cell vectors and the box corner: the half-cell step nearest below the atoms' mean,
    so a cell kept from 0 to 1 and one centred on the origin are both drawn around them."""
    matrix = np.asarray(matrix, dtype=float)
    mean = np.asarray(fractional, dtype=float).mean(axis=0) if len(fractional) else np.full(3, .5)
    corner = np.floor(2 * mean + 0.5) / 2 - 0.5
    return ([[round(v, 4) for v in matrix[:, k]] for k in range(3)],
            [round(v, 4) for v in (matrix @ corner).tolist()])


def _mol_types(molecules):
    types = {}
    for mol in molecules:
        entry = types.setdefault(mol.name, {"name": mol.name, "count": 0, "atoms each": len(mol)})
        entry["count"] += 1
    return list(types.values())


def _cell_facts(obj):
    a, b, c, alpha, beta, gamma = obj.cell
    return {"a": a, "b": b, "c": c, "alpha": alpha, "beta": beta, "gamma": gamma,
            "volume": obj.volume, "density": obj.density}


def _record(obj, styles, bond_counts):
    if isinstance(obj, _core.KelDbMolecule):
        info = {"name": obj.name, "atoms": len(obj), "bonds": len(obj.bonds), "mass": obj.mass}
        if getattr(obj, "record", None):
            info["record"] = obj.record
        return {"name": obj.name, "info": info, "cell": None, "origin": None,
                "atoms": _atoms(obj.names, obj.positions, styles),
                "bonds": _bonds([obj], bond_counts), "supercell": [1, 1, 1],
                "molecules": _mol_types([obj])}
    cell, origin = _cell(obj.matrix, obj.fractional_positions)
    record = {"name": obj.name, "cell": cell, "origin": origin, "supercell": [1, 1, 1],
              "atoms": _atoms(obj.names, obj.positions, styles)}
    if isinstance(obj, _core.KelDbMolCrystal):
        molecules = obj.molecules
        record["info"] = {"name": obj.name, "molecules": len(molecules), "atoms": len(obj),
                          **_cell_facts(obj)}
        record["bonds"] = _bonds(molecules, bond_counts)
        record["molecules"] = _mol_types(molecules)
    else:
        record["info"] = {"name": obj.name, "atoms": len(obj), **_cell_facts(obj)}
        record["bonds"], record["molecules"] = [], []
    return record


def _plain(value):
    """Header values as JSON: arrays as lists, numpy scalars as numbers."""
    if isinstance(value, dict):
        return {str(k): _plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple, np.ndarray)):
        return [_plain(v) for v in (value.tolist() if isinstance(value, np.ndarray) else value)]
    if isinstance(value, np.generic):
        return value.item()
    if isinstance(value, float) and not math.isfinite(value):
        return None
    return value


def _series(sim):
    out = []
    for name, values in sim.thermo.items():
        if name == "time" or name.startswith("extra"):
            continue
        if not np.any(np.isfinite(values) & (values != 0)):
            continue  # 0 throughout: nothing to see
        out.append({"name": "density_g_cm3" if name == "density" else name,
                    "label": series_label(name),
                    "values": [v if math.isfinite(v) else None for v in values.tolist()]})
    return out


def _simulation(sim, styles, bond_counts, embed_limit):
    frames = len(sim)
    if frames == 0:
        raise ValueError("%s: holds no frames" % sim.path)
    atoms = max(int(sim.header["atoms"]), 1)
    stride = max(1, math.ceil(frames * atoms / embed_limit))
    while math.ceil(frames / stride) * atoms > embed_limit and stride < frames:
        stride += 1
    time = sim.thermo["time"]
    embedded, record, topology = [], None, None
    for i in range(0, frames, stride):
        mcr = sim.frame(i, wrap="xyz")
        cell, origin = _cell(mcr.matrix, mcr.fractional_positions)
        xyz = np.asarray(mcr.positions, dtype=float)
        frame = {"frame": i + 1, "time": float(time[i]), "cell": cell, "origin": origin,
                 "xyz": [round(v, 4) for v in xyz.ravel().tolist()]}
        names = [str(n).strip() for n in mcr.names]
        if record is None:
            record = _record(mcr, styles, bond_counts)
            record["name"] = os.path.basename(sim.path)
            record["info"] = {"file": sim.path, "frames": frames, **_plain(sim.header)}
            topology = names
        elif names != topology:  # a variable population: this frame brings its own atoms
            frame["atoms"] = _atoms(names, xyz, styles)
            frame["bonds"] = _bonds(mcr.molecules, bond_counts)
            topology = names
        embedded.append(frame)
    document = {"frameCount": frames, "stride": stride, "embedLimit": embed_limit, "first": 0,
                "time": [float(t) for t in time], "series": _series(sim), "frames": embedded}
    return record, document


def document(obj, embed_limit=EMBED_LIMIT):
    """The page's JSON document (as a dict) for a Molecule, Crystal, MolCrystal or Simulation,
    or a list of Molecules (the records of an SD file, with a picker)."""
    from .simulation import Simulation

    styles, bond_counts = _Styles(), {}
    simulation = None
    if isinstance(obj, Simulation):
        kind, title, path = "simulation", os.path.basename(obj.path), obj.path
        record, simulation = _simulation(obj, styles, bond_counts, embed_limit)
        records = [record]
    elif isinstance(obj, (list, tuple)):
        if not obj or not all(isinstance(m, _core.KelDbMolecule) for m in obj):
            raise TypeError("a page of records takes a non-empty list of Molecules")
        kind, title, path = "molecule", obj[0].name, ""
        records = [_record(m, styles, bond_counts) for m in obj]
        for n, r in enumerate(records, 1):
            r["name"] = "%d: %s" % (n, r["name"])
    else:
        kinds = {_core.KelDbMolecule: "molecule", _core.KelDbCrystal: "crystal",
                 _core.KelDbMolCrystal: "molecular crystal"}
        kind = next((k for cls, k in kinds.items() if isinstance(obj, cls)), None)
        if kind is None:
            raise TypeError("nothing to draw for a %s" % type(obj).__name__)
        title, path = obj.name or kind, ""
        records = [_record(obj, styles, bond_counts)]
    bond_styles = {}
    for code in sorted(bond_counts):
        colour, width = _core.view_bond_style(code)
        bond_styles[code] = {"color": _hex(colour), "width": round(width, 2),
                             "count": bond_counts[code]}
    out = {"format": "qrtz-view 1", "title": title, "file": path, "kind": kind,
           "radiusScale": _core.view_radius_scale(), "bondStyles": bond_styles, "initial": 0,
           "records": records}
    if simulation is not None:
        out["simulation"] = simulation
    return out


def page(obj, embed_limit=EMBED_LIMIT):
    """The whole page, one self-contained HTML text that needs no network."""
    folder = view_folder()
    data = json.dumps(document(obj, embed_limit), ensure_ascii=False, allow_nan=False,
                      separators=(",", ":")).replace("<", "\\u003c")
    out = []
    for line in (folder / "page.html").read_text(encoding="utf-8").splitlines():
        marker = line.strip()
        if marker.startswith("<!-- qrtz:") and marker.endswith("-->"):
            what, _, file = marker[len("<!-- qrtz:"):-len("-->")].strip().partition(" ")
            if what == "data":
                out.append('<script type="application/json" id="qrtz-data">%s</script>' % data)
                continue
            if what in ("style", "script"):
                text = (folder / file).read_text(encoding="utf-8")
                out.append("<%s>%s</%s>" % (what, text, what))
                continue
        out.append(line)
    return "\n".join(out) + "\n"


def write(path, obj, embed_limit=EMBED_LIMIT):
    """Write the page of obj to path; returns the path as a pathlib.Path."""
    path = pathlib.Path(path)
    path.write_text(page(obj, embed_limit), encoding="utf-8")
    return path


def notebook_html(obj, height=None):
    """The page in an iframe of its own (srcdoc), so its scripts run apart from the notebook's."""
    from .simulation import Simulation

    if height is None:
        height = 1100 if isinstance(obj, Simulation) else 640
    return ('<iframe srcdoc="%s" style="width:100%%;min-width:980px;height:%dpx;border:0" '
            'sandbox="allow-scripts"></iframe>' % (html.escape(page(obj), quote=True), height))
