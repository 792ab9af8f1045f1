"""Looking at results from Python: plot_thermo's figures and the pages behind _repr_html_."""

import io
import json

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


def page_document(text):
    start = text.index('<script type="application/json" id="qrtz-data">') + 47
    return json.loads(text[start:text.index("</script>", start)])


@pytest.mark.parametrize("name", ["mixture.mcr", "benzene.mol", "water-argon.sim"])
def test_page_matches_the_tool(name, qrtz, tmp_path):
    """The page filled from Python holds what `qrtz view` puts in its page for the same file."""
    source = EXAMPLES / name
    qrtz("view", source, "-o", tmp_path / "tool.html")
    tool = page_document((tmp_path / "tool.html").read_text(encoding="utf-8"))
    obj = qrtzdb.Simulation(source) if name.endswith(".sim") else qrtzdb.read(source)
    text = qrtzdb.view.write(tmp_path / "python.html", obj).read_text(encoding="utf-8")
    ours = page_document(text)
    assert "qrtz:" not in text and "3Dmol" in text and "uPlot" in text
    assert '<iframe srcdoc="' in obj._repr_html_()

    for key in ["format", "kind", "radiusScale", "bondStyles"]:
        assert ours[key] == tool[key], key
    ours_r, tool_r = ours["records"][0], tool["records"][0]
    assert ours_r["molecules"] == tool_r["molecules"]
    assert ours_r["bonds"] == tool_r["bonds"]
    strip = [{k: v for k, v in a.items() if k != "xyz"} for a in tool_r["atoms"]]
    assert [{k: v for k, v in a.items() if k != "xyz"} for a in ours_r["atoms"]] == strip
    if "simulation" in tool:
        ours_s, tool_s = ours["simulation"], tool["simulation"]
        for key in ["frameCount", "stride", "embedLimit"]:
            assert ours_s[key] == tool_s[key], key
        np.testing.assert_allclose(ours_s["time"], tool_s["time"], rtol=1e-6)
        assert [s["name"] for s in ours_s["series"]] == [s["name"] for s in tool_s["series"]]
        assert [s["label"] for s in ours_s["series"]] == [s["label"] for s in tool_s["series"]]
        for o, t in zip(ours_s["series"], tool_s["series"]):
            np.testing.assert_allclose(o["values"], t["values"], rtol=1e-5, err_msg=o["name"])
        assert [f["frame"] for f in ours_s["frames"]] == [f["frame"] for f in tool_s["frames"]]
    else:
        np.testing.assert_allclose([a["xyz"] for a in ours_r["atoms"]],
                                   [a["xyz"] for a in tool_r["atoms"]], atol=2e-4)
        assert ours_r["cell"] == tool_r["cell"]


def test_page_refuses_what_it_cannot_draw():
    with pytest.raises(TypeError, match="nothing to draw for a dict"):
        qrtzdb.view.page({})
    with pytest.raises(TypeError, match="list of Molecules"):
        qrtzdb.view.page([])
