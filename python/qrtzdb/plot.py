"""Thermodynamic series of a simulation drawn with matplotlib, labelled as `qrtz sim plot`
labels them."""

import re

import numpy as np

__all__ = ["plot_thermo", "series_label"]

_NAMED = {"volume": 2, "a": 6, "b": 7, "c": 8, "alpha": 9, "beta": 10, "gamma": 11}


def series_label(name):
    """The label of a series for people: the quantity and unit where the reader fixes them
    (pressures in atm, energies in J/mol: the reader converts those quantities)."""
    if name == "density":
        return "density (g/cm³)"
    match = re.fullmatch(r"q(\d+)", name)
    q = int(match.group(1)) if match else _NAMED.get(name)
    if q == 0:
        return name + ": temperature (K)"
    if q == 1 or (q is not None and 15 <= q <= 20):
        return name + ": pressure (atm)"
    if q in (3, 4, 12, 13, 14):
        return name + ": energy (J/mol)"
    if q == 2:
        return "volume (Å³)"
    if q is not None and 6 <= q <= 8:
        return name + " (Å)"
    if q is not None and 9 <= q <= 11:
        return name + " (°)"
    return name


def _has_data(values):
    return bool(np.any(np.isfinite(values) & (values != 0)))


def plot_thermo(sim, ax=None, series=None):
    """Plot the thermodynamic series of a Simulation against time (ps), one point per frame.

    series: the names to draw (as in ``sim.thermo``: "q0", "volume", "a", ..., "density"), in
    that order; by default every series that holds a value other than 0. Without ax, a new
    figure gets one axis per series, stacked; with ax, every series goes on that one axis,
    labelled in its legend. Returns (figure, list of axes).

    Raises KeyError naming an unknown series and the ones the run has, ValueError when the run
    holds no frames or nothing to draw.
    """
    import matplotlib.pyplot as plt  # only plotting needs matplotlib

    thermo = sim.thermo
    time = thermo["time"]
    if len(time) == 0:
        raise ValueError("%s: holds no frames" % sim.path)
    known = [name for name in thermo if name != "time"]
    if series is None:
        names = [name for name in known if _has_data(thermo[name])]
        if not names:
            raise ValueError("%s: every series is 0; name some with series=" % sim.path)
    else:
        names = [series] if isinstance(series, str) else list(series)
        for name in names:
            if name not in known:
                raise KeyError("no series %r (the run has: %s)" % (name, ", ".join(known)))
    if ax is not None:
        for name in names:
            ax.plot(time, thermo[name], marker=".", label=series_label(name))
        ax.set_xlabel("time (ps)")
        ax.legend()
        return ax.figure, [ax]
    fig, axes = plt.subplots(len(names), 1, sharex=True, squeeze=False,
                             figsize=(6.4, 2.0 + 1.6 * len(names)))
    axes = list(axes[:, 0])
    for axis, name in zip(axes, names):
        axis.plot(time, thermo[name], marker=".", markersize=3)
        axis.set_ylabel(series_label(name), fontsize="small")
    axes[-1].set_xlabel("time (ps)")
    fig.suptitle(sim.header.get("title") or sim.path)
    fig.tight_layout()
    return fig, axes
