#!/usr/bin/python3
"""Loads the pages `qrtz view` writes in headless Chromium, with no network, and checks what a
person would see: no console error, nothing fetched, a drawing in the 3D canvas, a record
picker and a frame slider that change the drawing, plots with a point per frame.

    view_pages.py GROUP --qrtz PATH --out DIR

GROUP is one of molecules, records, crystals, simulation, settings. Pages and screenshots of
the last run stay in DIR/GROUP/. Runs itself in a network namespace of its own when it can."""
import argparse
import io
import json
import os
import shutil
import subprocess
import sys
import time

from PIL import Image, ImageChops
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
EXAMPLES = os.path.join(ROOT, "examples")
DATA = os.path.join(ROOT, "tests", "data")


def isolate():
    """Re-runs this script with only a loopback device, which chromedriver needs."""
    if os.environ.get("QRTZ_VIEW_NETNS") or not shutil.which("unshare"):
        return
    env = dict(os.environ, QRTZ_VIEW_NETNS="1")
    inner = "ip link set lo up && exec \"$0\" \"$@\""
    probe = subprocess.run(["unshare", "-n", "sh", "-c", "ip link set lo up"], capture_output=True)
    if probe.returncode != 0:
        print("note: no network namespace here; relying on Chromium's resolver rules")
        return
    sys.exit(subprocess.call(["unshare", "-n", "sh", "-c", inner, sys.executable] + sys.argv, env=env))


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Pages:
    def __init__(self, qrtz, out):
        self.qrtz = qrtz
        self.out = out
        self.home = os.path.join(out, "home")
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(self.home)
        self.env = dict(os.environ, HOME=self.home, QRTZ_REGISTRY=os.path.join(out, "registry"),
                        QRTZ_CLIPBOARD=os.path.join(out, "clipboard"))
        self.env.pop("QRTZ_SYSTEM_DIR", None)  # the tool finds its page beside itself
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ["--headless=new", "--no-sandbox", "--disable-gpu-sandbox",
                     "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--window-size=1280,1000", "--host-resolver-rules=MAP * ~NOTFOUND",
                     "--disable-background-networking", "--disable-component-update",
                     "--no-first-run", "--disable-dev-shm-usage",
                     "--allow-file-access-from-files", f"--user-data-dir={out}/chromium"]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_page_load_timeout(60)

    def close(self):
        self.driver.quit()
        shutil.rmtree(os.path.join(self.out, "chromium"), ignore_errors=True)

    def run(self, *args):
        done = subprocess.run([self.qrtz, *args], env=self.env, capture_output=True, text=True)
        check(done.returncode == 0, f"qrtz {' '.join(args)}: {done.returncode}: {done.stderr}")
        return done.stdout

    def page(self, source, name, *extra):
        path = os.path.join(self.out, name + ".html")
        self.run("view", source, "-o", path, *extra)
        return path

    def load(self, path):
        """Opens a page and waits for its viewer; fails on a console error or a request that is
        not for the page itself."""
        self.driver.get_log("performance")
        self.driver.get("file://" + path)
        for _ in range(100):
            if self.driver.execute_script("return !!(window.qrtzView && window.qrtzView.ready)"):
                break
            time.sleep(0.1)
        time.sleep(0.5)  # a few frames for WebGL
        self.expect_quiet(path)
        name = os.path.splitext(os.path.basename(path))[0]
        self.driver.save_screenshot(os.path.join(self.out, "page-" + name + ".png"))

    def expect_quiet(self, what):
        errors = [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]
        check(not errors, f"{what}: console errors: {errors}")
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] != "Network.requestWillBeSent":
                continue
            url = message["params"]["request"]["url"]
            # Chromium's own chrome:// resources are no network; anything that is, fails.
            check(url.split(":", 1)[0] not in ("http", "https", "ws", "wss", "ftp"),
                  f"{what}: fetched {url}")
        check(self.driver.execute_script("return !!(window.qrtzView && window.qrtzView.ready)"),
              f"{what}: the viewer did not start")

    def shot(self, name, element="viewer"):
        target = self.driver.find_element(By.ID, element)
        self.driver.execute_script("arguments[0].scrollIntoView()", target)
        png = target.screenshot_as_png
        with open(os.path.join(self.out, name + ".png"), "wb") as f:
            f.write(png)
        return Image.open(io.BytesIO(png)).convert("RGB")

    def js(self, script):
        return self.driver.execute_script("return " + script)


def drawn(image, what):
    """The canvas shows something: many colours, and a good part of it not background."""
    colours = image.getcolors(maxcolors=1 << 20) or []
    background = max(colours)[1] if colours else None
    covered = sum(n for n, c in colours if c != background) / (image.width * image.height)
    check(len(colours) > 20 and covered > 0.01,
          f"{what}: blank canvas ({len(colours)} colours, {covered:.1%} drawn)")
    return covered


def differ(a, b, what):
    box = ImageChops.difference(a, b).getbbox()
    check(box is not None, f"{what}: the drawing did not change")


def info(pages, path):
    return json.loads(pages.run("info", "--json", path))


def molecules(pages):
    for name in ["water.mol", "benzene.mol", "methane.mol"]:
        source = os.path.join(EXAMPLES, name)
        pages.load(pages.page(source, name.split(".")[0]))
        drawn(pages.shot(name.split(".")[0]), name)
        facts = info(pages, source)
        shown = pages.js("[...document.querySelectorAll('#elements tr.element')]"
                         ".reduce((n, tr) => n + Number(tr.cells[2].textContent), 0)")
        check(shown == facts["atoms"], f"{name}: the element table counts {shown} atoms, not {facts['atoms']}")
        facts_text = pages.driver.find_element(By.ID, "facts").text
        check(f"{facts['mass']}" in facts_text, f"{name}: the facts lack the mass {facts['mass']}")


def records(pages):
    # One SD file of several records, each a different molecule.
    sources = ["ob-benzene.sdf", "ob-lactate.sdf", "ob-naphthalene.sdf"]
    sd = os.path.join(pages.out, "three.sdf")
    with open(sd, "w") as out:
        for s in sources:
            with open(os.path.join(DATA, s)) as f:
                out.write(f.read())
    count = len(info(pages, sd))
    check(count == 3, f"three.sdf: qrtz info shows {count} records")
    pages.load(pages.page(sd, "three", "--frame", "2"))
    picker = Select(pages.driver.find_element(By.ID, "recordPicker"))
    check(len(picker.options) == 3, f"three.sdf: the picker offers {len(picker.options)} records")
    check(picker.first_selected_option.text.startswith("2"), "--frame 2 did not open the second record")
    before = pages.shot("three-record2")
    drawn(before, "three.sdf record 2")
    picker.select_by_index(2)
    time.sleep(0.4)
    after = pages.shot("three-record3")
    drawn(after, "three.sdf record 3")
    differ(before, after, "picking another record")
    check("record" in pages.driver.find_element(By.ID, "facts").text and
          pages.js("qrtzView.state.record") == 2, "the facts do not follow the picked record")
    pages.expect_quiet("three.sdf after picking")


def crystals(pages):
    cases = [("argon.mcr", os.path.join(EXAMPLES, "argon.mcr"), [], 12),
             ("mixture.mcr", os.path.join(EXAMPLES, "mixture.mcr"), [], 12),
             ("nacl-2x2x2", os.path.join(DATA, "nacl.cry"), ["--supercell", "2", "2", "2"], 24)]
    for name, source, extra, edges in cases:
        pages.load(pages.page(source, name.split(".")[0], *extra))
        with_cell = pages.shot(name.split(".")[0])
        drawn(with_cell, name)
        shapes = pages.js("qrtzView.state.cellShapes.length")
        check(shapes == edges, f"{name}: {shapes} cell edges drawn, not {edges}")
        atoms = pages.js("qrtzView.data.records[0].atoms.length")
        repeat = 8 if extra else 1
        expected = info(pages, source)["atoms"] * repeat
        check(atoms == expected, f"{name}: the page holds {atoms} atoms, not {expected}")
        pages.driver.find_element(By.ID, "cellToggle").click()
        time.sleep(0.3)
        differ(with_cell, pages.shot(name.split(".")[0] + "-nocell"), f"{name}: hiding the cell")
        pages.expect_quiet(name)


def simulation(pages):
    run = os.path.join(EXAMPLES, "water-argon.sim")
    frames = json.loads(pages.run("sim", "info", "--json", run))["frames"]
    pages.load(pages.page(run, "water-argon"))
    plots = pages.js("qrtzView.plots.map(u => u.data[0].length)")
    check(plots and all(n == frames for n in plots), f"plots hold {plots} points, not {frames} each")
    check(pages.js("qrtzView.plots.some(u => u.series[1].label.startsWith('q0'))"), "no temperature plot")
    first, plot_first = pages.shot("water-argon-frame1"), pages.shot("water-argon-plot1", "plots")
    drawn(first, "water-argon frame 1")
    slider = pages.driver.find_element(By.ID, "frameSlider")
    for _ in range(9):
        slider.send_keys(Keys.ARROW_RIGHT)
    time.sleep(0.4)
    check(pages.js("qrtzView.state.frame") == 9, "the slider did not reach frame 10")
    check("frame 10 of 20" in pages.driver.find_element(By.ID, "frameLabel").text, "the label lags")
    tenth = pages.shot("water-argon-frame10")
    differ(first, tenth, "moving the frame slider")
    differ(plot_first, pages.shot("water-argon-plot10", "plots"), "the plot marker")
    pages.driver.find_element(By.ID, "playButton").click()
    for _ in range(100):  # a loaded machine draws slowly: wait for the player, not a time
        if pages.js("qrtzView.state.frame") != 9:
            break
        time.sleep(0.1)
    pages.driver.find_element(By.ID, "playButton").click()
    check(pages.js("qrtzView.state.frame") != 9, "play did not advance the frames")
    pages.expect_quiet("water-argon after playing")

    # Beyond the embedding limit the page keeps every k-th frame and says so.
    pages.load(pages.page(run, "water-argon-sampled", "--embed-limit", "700"))
    stride = pages.js("qrtzView.data.simulation.stride")
    embedded = pages.js("qrtzView.data.simulation.frames.length")
    check(stride == 4 and embedded == 5, f"124 atoms in 700 positions: stride {stride}, {embedded} frames")
    note = pages.driver.find_element(By.ID, "frameNote").text
    check("every 4th frame of 20" in note, f"the page does not say it samples: {note!r}")
    plots = pages.js("qrtzView.plots.map(u => u.data[0].length)")
    check(all(n == frames for n in plots), "a sampled page still plots every frame")
    drawn(pages.shot("water-argon-sampled"), "the sampled page")


def settings(pages):
    """A colour set with `qrtz env element` is the colour drawn."""
    source = os.path.join(EXAMPLES, "benzene.mol")

    def blue(image):
        return sum(n for n, (r, g, b) in image.getcolors(1 << 20) if b > 150 and r < 60 and g < 60)

    pages.load(pages.page(source, "benzene-default"))
    default = pages.shot("benzene-default")
    pages.run("env", "init", os.path.join(pages.home, "work"))
    pages.run("env", "element", "C", "--color", "0,0,255")
    pages.load(pages.page(source, "benzene-blue"))
    coloured = pages.shot("benzene-blue")
    swatch = pages.js("[...document.querySelectorAll('#elements tr.element')]"
                      ".find(tr => tr.cells[1].textContent === 'C').querySelector('.swatch').title")
    check(swatch == "#0000ff", f"carbon's swatch is {swatch}, not the colour set")
    check(blue(coloured) > 20 * max(blue(default), 1),
          f"carbon is not drawn blue ({blue(coloured)} blue pixels, {blue(default)} before)")


GROUPS = {f.__name__: f for f in [molecules, records, crystals, simulation, settings]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("group", choices=sorted(GROUPS))
    parser.add_argument("--qrtz", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    isolate()
    pages = Pages(os.path.abspath(args.qrtz), os.path.join(os.path.abspath(args.out), args.group))
    try:
        GROUPS[args.group](pages)
    except Failure as e:
        print(f"FAIL {args.group}: {e}")
        print("0 passed, 1 failed")
        return 1
    finally:
        pages.close()
    print(f"ok {args.group}; screenshots in {pages.out}")
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
