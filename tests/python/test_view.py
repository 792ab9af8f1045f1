"""Looking at results from Python: plot_thermo's figures and the pages behind _repr_html_."""

import io

import numpy as np
import pytest

import qrtzdb
from conftest import EXAMPLES

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")
from PIL import Image  # noqa: E402  (after the backend is chosen)


@pytest.fixture(scope="module")
def sim():
    return qrtzdb.Simulation(EXAMPLES / "water-argon.sim")


def test_plot_thermo_draws_every_frame_of_every_series(sim):
    import matplotlib.pyplot as plt

    fig, axes = qrtzdb.plot_thermo(sim)
    drawn = [ax.get_ylabel() for ax in axes]
    assert "q0: temperature (K)" in drawn and "density (g/cm³)" in drawn
    for ax in axes:
        (line,) = ax.get_lines()
        assert len(line.get_xdata()) == len(sim)
    assert axes[-1].get_xlabel() == "time (ps)"
    np.testing.assert_allclose(axes[0].get_lines()[0].get_xdata(), sim.thermo["time"])

    png = io.BytesIO()
    fig.savefig(png, format="png")
    plt.close(fig)
    image = Image.open(io.BytesIO(png.getvalue())).convert("RGB")
    colours = image.getcolors(maxcolors=1 << 20)
    background = max(colours)[1]
    covered = sum(n for n, c in colours if c != background) / (image.width * image.height)
    assert len(colours) > 20 and covered > 0.01, (len(colours), covered)

    # On a given axis, the series picked; a name the run lacks is refused with the known ones.
    fig, ax = plt.subplots()
    assert qrtzdb.plot_thermo(sim, ax=ax, series=["a", "q0"])[1] == [ax]
    assert [line.get_label() for line in ax.get_lines()] == ["a (Å)", "q0: temperature (K)"]
    with pytest.raises(KeyError, match="no series 'temperature'.*q0, q1"):
        qrtzdb.plot_thermo(sim, ax=ax, series=["temperature"])
    plt.close(fig)
