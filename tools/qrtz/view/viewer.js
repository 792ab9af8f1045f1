// Glue between the page's data (the JSON in #qrtz-data, see README.md), 3Dmol.js and uPlot.
(function () {
  "use strict";
  const data = JSON.parse(document.getElementById("qrtz-data").textContent);
  const sim = data.simulation || null;
  const $ = (id) => document.getElementById(id);

  const state = { record: 0, frame: 0, topology: null, playing: null, size: 0.5, cellShapes: [] };
  // A browser under automation (the page tests, headless with a software renderer) draws
  // without multisampling, which costs such a renderer several times the drawing.
  const viewer = $3Dmol.createViewer($("viewer"), { backgroundColor: "white",
                                                   antialias: !navigator.webdriver });

  const bondOrder = { "1": 1, "2": 2, "3": 3, "AR": 1.5 };
  const bondNames = { "1": "single", "2": "double", "3": "triple", "AR": "aromatic", "C": "coordinate",
                      "PL": "planar", "R": "ring" };
  const colourOf = (hex) => parseInt(hex.slice(1), 16);

  function el(tag, text, attrs) {
    const e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    Object.assign(e, attrs || {});
    return e;
  }

  // The atoms and bonds drawn now; positions come from xyz (a frame's flat list) when given.
  function drawAtoms(atoms, bonds, xyz) {
    viewer.removeAllModels();
    const scale = data.radiusScale * state.size;
    const specs = atoms.map((a, i) => {
      const p = xyz ? [xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]] : a.xyz;
      return {
        elem: a.symbol, atom: a.symbol, x: p[0], y: p[1], z: p[2], color: colourOf(a.color),
        bonds: [], bondOrder: [],
        style: { sphere: { radius: a.radius * scale }, stick: { radius: 0.12 } },
      };
    });
    for (const b of bonds) {
      const [i, j] = b.atoms, order = bondOrder[b.type] || 1;
      specs[i].bonds.push(j); specs[i].bondOrder.push(order);
      specs[j].bonds.push(i); specs[j].bondOrder.push(order);
    }
    viewer.addModel().addAtoms(specs);
  }

  function add(p, v, k) { return { x: p.x + v[0] * k, y: p.y + v[1] * k, z: p.z + v[2] * k }; }

  // The twelve edges of the box spanned by the vectors a, b, c from the origin.
  function drawBox(o, a, b, c, colour, radius) {
    const corners = [o, add(o, a, 1), add(o, b, 1), add(o, c, 1), add(add(o, a, 1), b, 1),
                     add(add(o, a, 1), c, 1), add(add(o, b, 1), c, 1), add(add(add(o, a, 1), b, 1), c, 1)];
    const edges = [[0, 1], [0, 2], [0, 3], [1, 4], [1, 5], [2, 4], [2, 6], [3, 5], [3, 6], [4, 7], [5, 7], [6, 7]];
    for (const [i, j] of edges)
      state.cellShapes.push(viewer.addCylinder({ start: corners[i], end: corners[j], radius: radius,
                                                 color: colour, fromCap: 1, toCap: 1 }));
  }

  function drawCell(cell, origin, supercell) {
    viewer.removeAllShapes();
    viewer.removeAllLabels();
    state.cellShapes = [];
    if (!cell || !$("cellToggle").checked) return;
    const [a, b, c] = cell;
    const o = { x: origin[0], y: origin[1], z: origin[2] };
    const n = supercell || [1, 1, 1];
    if (n[0] * n[1] * n[2] > 1)
      drawBox(o, a.map((v) => v * n[0]), b.map((v) => v * n[1]), c.map((v) => v * n[2]), "#9aa5b1", 0.03);
    drawBox(o, a, b, c, "#34495e", 0.06);
    ["a", "b", "c"].forEach((name, i) =>
      viewer.addLabel(name, { position: add(o, cell[i], 1.04), fontSize: 14, fontColor: "#34495e",
                              backgroundOpacity: 0, inFront: true }));
  }

  function record() { return data.records[state.record]; }

  // A frame's atoms and bonds are those of the latest frame up to it that brings its own (a run
  // whose population changes), else the record's; found once for every frame.
  const topologies = [];
  if (sim) {
    let current = { atoms: data.records[0].atoms, bonds: data.records[0].bonds };
    for (const f of sim.frames) {
      if (f.atoms) current = { atoms: f.atoms, bonds: f.bonds };
      topologies.push(current);
    }
  }
  function topologyOf(i) { return topologies[i]; }

  // What the picked record or frame shows; the camera stays where the user left it.
  function show(zoom) {
    const r = record();
    if (sim) {
      const f = sim.frames[state.frame];
      const topology = topologyOf(state.frame);
      if (topology !== state.topology) {
        state.topology = topology;
        composition(topology.atoms, topology.bonds);
      }
      drawAtoms(topology.atoms, topology.bonds, f.xyz);
      drawCell(f.cell, f.origin, null);
    } else {
      drawAtoms(r.atoms, r.bonds, null);
      drawCell(r.cell, r.origin, r.supercell);
    }
    if (zoom) {
      // Tilted, so a flat molecule or a cell face does not meet the eye edge-on.
      viewer.zoomTo();
      viewer.rotate(-25, "x");
      viewer.rotate(30, "y");
    }
    viewer.render();
  }

  function factsTable(value) {
    if (Array.isArray(value) && value.every((v) => typeof v !== "object")) return el("span", value.join(" "));
    if (typeof value !== "object" || value === null) return el("span", String(value));
    const t = el("table");
    for (const [key, v] of Object.entries(value)) {
      const tr = t.insertRow();
      tr.appendChild(el("th", Array.isArray(value) ? "" : key));
      tr.insertCell().appendChild(factsTable(v));
    }
    return t;
  }

  function composition(atoms, bonds) {
    const box = $("composition");
    box.replaceChildren();
    const r = record();
    if (r.molecules.length) {
      const t = el("table");
      t.createTHead().insertRow().append(el("th", "molecule type"), el("th", "count"), el("th", "atoms each"));
      for (const m of r.molecules) {
        const tr = t.insertRow();
        tr.append(el("td", m.name || "(unnamed)"), el("td", m.count), el("td", m["atoms each"]));
      }
      box.appendChild(t);
    }
    const elements = new Map();
    for (const a of atoms) {
      const e = elements.get(a.symbol) || { colour: a.color, radius: a.radius, count: 0 };
      e.count++;
      elements.set(a.symbol, e);
    }
    const t = el("table", undefined, { id: "elements" });
    t.createTHead().insertRow().append(el("th", ""), el("th", "element"), el("th", "atoms"), el("th", "radius Å"));
    for (const [symbol, e] of elements) {
      const tr = t.insertRow();
      tr.className = "element";
      const sw = el("span", undefined, { className: "swatch", title: e.colour });
      sw.style.background = e.colour;
      tr.insertCell().appendChild(sw);
      tr.append(el("td", symbol), el("td", e.count), el("td", e.radius));
    }
    box.appendChild(t);
    const kinds = new Map();
    for (const b of bonds) kinds.set(b.type, (kinds.get(b.type) || 0) + 1);
    if (kinds.size) {
      const bt = el("table");
      bt.createTHead().insertRow().append(el("th", "bond type"), el("th", "bonds"));
      for (const [type, count] of kinds) bt.insertRow().append(el("td", type + " " + (bondNames[type] || "")), el("td", count));
      box.appendChild(bt);
    }
  }

  function pickRecord(i) {
    state.record = i;
    const r = record();
    $("facts").replaceChildren(factsTable(r.info));
    if (!sim) composition(r.atoms, r.bonds);
    show(true);
  }

  // Thermodynamic series: one small chart per series, with a line at the current frame.
  const plots = [];
  function currentTime() { return sim.time[sim.frames[state.frame].frame - 1]; }
  function marker(u) {
    const t = currentTime();
    if (t === null || t === undefined) return;
    const x = Math.round(u.valToPos(t, "x", true));
    const ctx = u.ctx;
    ctx.save();
    ctx.strokeStyle = "#e74c3c";
    ctx.lineWidth = 2 * devicePixelRatio;
    ctx.beginPath();
    ctx.moveTo(x, u.bbox.top);
    ctx.lineTo(x, u.bbox.top + u.bbox.height);
    ctx.stroke();
    ctx.restore();
  }
  // Large and tiny values in powers of ten, so a tick label keeps within its axis.
  function tickText(v) {
    if (v === null) return "";
    const a = Math.abs(v);
    return a >= 1e5 || (a > 0 && a < 1e-3) ? v.toExponential(2) : String(+v.toPrecision(6));
  }
  function buildPlots() {
    const colours = ["#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"];
    sim.series.forEach((s, i) => {
      const box = el("div");
      $("plots").appendChild(box);
      plots.push(new uPlot({
        title: s.label, width: 420, height: 220,
        scales: { x: { time: false } },
        legend: { show: false },
        series: [{ label: "time (ps)" },
                 { label: s.label, stroke: colours[i % colours.length], width: 2,
                   points: { show: sim.time.length <= 200 } }],
        axes: [{ label: "time (ps)" }, { size: 80, values: (u, ticks) => ticks.map(tickText) }],
        hooks: { draw: [marker] },
      }, [sim.time, s.values], box));
    });
  }

  function pickFrame(i) {
    state.frame = Math.max(0, Math.min(sim.frames.length - 1, i));
    $("frameSlider").value = state.frame;
    const f = sim.frames[state.frame];
    const t = sim.time[f.frame - 1];
    $("frameLabel").textContent = "frame " + f.frame + " of " + sim.frameCount +
      (t === null || t === undefined ? "" : ", " + t + " ps");
    show(false);
    for (const u of plots) u.redraw(false);
  }

  function togglePlay() {
    if (state.playing) {
      clearInterval(state.playing);
      state.playing = null;
      $("playButton").textContent = "Play";
      return;
    }
    $("playButton").textContent = "Pause";
    state.playing = setInterval(() => pickFrame((state.frame + 1) % sim.frames.length), 200);
  }

  // Set-up.
  $("title").textContent = data.title;
  $("kind").textContent = data.kind;
  document.title = data.title + " · QrtzDB view";
  const first = data.records[0];
  state.size = 0.5;
  $("sizeSlider").value = state.size;
  $("sizeSlider").addEventListener("input", (e) => { state.size = parseFloat(e.target.value); show(false); });
  $("cellToggle").addEventListener("change", () => show(false));
  $("cellToggle").parentElement.hidden = !sim && !data.records.some((r) => r.cell);
  if (data.records.length > 1) {
    $("recordBar").hidden = false;
    data.records.forEach((r, i) => $("recordPicker").appendChild(el("option", r.name || "record " + (i + 1), { value: i })));
    $("recordPicker").value = data.initial;
    $("recordPicker").addEventListener("change", (e) => pickRecord(parseInt(e.target.value, 10)));
  }
  if (sim) {
    state.frame = sim.first;
    $("player").hidden = false;
    $("frameSlider").max = sim.frames.length - 1;
    $("frameSlider").addEventListener("input", (e) => pickFrame(parseInt(e.target.value, 10)));
    $("playButton").addEventListener("click", togglePlay);
    $("frameNote").textContent = sim.stride > 1
      ? "Showing every " + sim.stride + "th frame of " + sim.frameCount + " (a page holds at most " +
        sim.embedLimit + " atom positions); the plots show every frame."
      : "All " + sim.frameCount + " frames.";
    if (sim.stride > 1) $("frameNote").className = "note";
    buildPlots();
  }
  pickRecord(data.initial);
  if (sim) pickFrame(state.frame);

  // For tests and the curious: what is drawn now.
  window.qrtzView = { data, state, viewer, plots, pickRecord, pickFrame, ready: true };
})();
