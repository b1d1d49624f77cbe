// The explorer page: the scenario's fields, the chart the core draws, the
// figures, the read-out, downloads and the shared link (sweeps: sweep.js).
// The fields, their labels, ranges and help, the figures and every message
// come from the core; the page only lays them out.
"use strict";

const timings = { start: performance.now(), firstChart: null, repaints: [] };
window.morbilexTimings = timings;

const $ = (id) => document.getElementById(id);
// Filled from the core's field table at start.
const FIELD_NAMES = [];
const CARE_NAMES = [];  // the care layer's fields: typed only while it is on
const FIELD_DEFAULTS = new Map();
const SCALE_NAMES = ["xmin", "xmax", "ymin", "ymax"];
const SKIPPED_COLUMNS = new Set(["status"]);

let core = null, page = 0, api = null;
let lastRun = { ok: false, drawn: false };

// The text of a field goes to the core whole, through its heap rather than
// the stack a string argument takes (a pasted field may be long).
function setField(name, value) {
  const bytes = new TextEncoder().encode(value);
  const pointer = api.inputBuffer(page, bytes.length);
  core.HEAPU8.set(bytes, pointer);
  api.setField(page, name, pointer);
}

// Fields: grouped as the core groups them, a slider and a text box each
// where the core has a slider, a text box alone elsewhere; the text is what
// the dialogs get.
function buildFields(table) {
  const form = $("controls");
  for (const group of table.groups) {
    const set = document.createElement("fieldset");
    if (group.mode !== 0) set.dataset.mode = String(group.mode);
    const legend = document.createElement("legend");
    legend.textContent = group.title;
    set.append(legend);
    if (group.fields.some((field) => SCALE_NAMES.includes(field.name))) set.append($("fit-controls"));
    if (group.capacity) set.append($("capacity-controls"));
    if (group.care) {
      set.append($("care-controls"));
      CARE_NAMES.push(...group.fields.map((field) => field.name));
    }
    for (const field of group.fields) set.append(fieldControl(field));
    form.append(set);
  }
}

function fieldControl(field) {
  FIELD_NAMES.push(field.name);
  FIELD_DEFAULTS.set(field.name, field.default);
  const div = document.createElement("div");
  div.className = "field";
  div.dataset.field = field.name;
  const label = document.createElement("label");
  label.textContent = field.label;
  const help = `${field.help}${field.unit && field.unit !== "-" ? ` (${field.unit})` : ""}`;
  label.title = help;
  const text = document.createElement("input");
  text.id = "f-" + field.name;
  text.name = field.name;
  text.inputMode = "decimal";
  text.autocomplete = "off";
  text.defaultValue = field.default;
  text.title = help;
  label.htmlFor = text.id;
  div.append(label);
  if (field.slider) {
    const slider = document.createElement("input");
    slider.type = "range";
    slider.id = "s-" + field.name;
    slider.min = String(field.min);
    slider.max = String(field.max);
    slider.step = String(field.step);
    slider.value = field.default === "" ? String(field.min) : field.default;  // empty: off, at the start
    slider.title = help;
    slider.setAttribute("aria-label", field.label + " slider");
    slider.addEventListener("input", () => { text.value = slider.value; changed(); });
    text.addEventListener("input", () => { if (isFinite(parseFloat(text.value))) slider.value = parseFloat(text.value); changed(); });
    div.append(slider);
    if (api.rangeable(field.name)) div.append(rangeControl(field, slider));
  } else {
    text.addEventListener("input", changed);
  }
  // Left, the field shows what the run used (the desktop's dialog does too).
  text.addEventListener("blur", showFieldsUsed);
  div.append(text);
  return div;
}

// A slider turns into a range with one click: two more sliders, its low and
// high ends, about the value; the core draws the bands and tells the intervals.
function rangeControl(field, slider) {
  const span = document.createElement("span");
  span.className = "range";
  const toggle = document.createElement("button");
  toggle.type = "button";
  toggle.id = "r-" + field.name;
  toggle.textContent = "\u00B1";
  toggle.title = "Give " + field.label + " a range: bands and intervals";
  toggle.setAttribute("aria-pressed", "false");
  const ends = ["low", "high"].map((end) => {
    const input = document.createElement("input");
    input.type = "range";
    input.id = `r${end[0]}-${field.name}`;
    input.min = slider.min;
    input.max = slider.max;
    input.step = slider.step;
    input.hidden = true;
    input.setAttribute("aria-label", `${field.label} range, ${end} end`);
    input.addEventListener("input", () => { setRange(field.name); changed(); });
    return input;
  });
  toggle.addEventListener("click", () => {
    const on = toggle.getAttribute("aria-pressed") !== "true";
    if (on) {
      const reach = (Number(slider.max) - Number(slider.min)) / 10;
      ends[0].value = String(Math.max(Number(slider.value) - reach, Number(slider.min)));
      ends[1].value = String(Math.min(Number(slider.value) + reach, Number(slider.max)));
    }
    showRange(field.name, on);
    changed();
  });
  span.append(toggle, ...ends);
  return span;
}

function showRange(name, on) {
  $("r-" + name).setAttribute("aria-pressed", on ? "true" : "false");
  $("rl-" + name).hidden = !on;
  $("rh-" + name).hidden = !on;
  if (on) setRange(name); else api.clearRange(page, name);
}

function setRange(name) {
  const low = Number($("rl-" + name).value), high = Number($("rh-" + name).value);
  api.setRange(page, name, String(Math.min(low, high)), String(Math.max(low, high)));
}

// The ranges' intervals and the fields' ranking under the figures.
function showUncertainty() {
  const lines = core.UTF8ToString(api.uncertainty(page)).split("\n").filter((line) => line !== "");
  let box = $("uncertainty");
  if (!box) {
    box = document.createElement("div");
    box.id = "uncertainty";
    box.className = "uncertainty";
    $("peak-change").after(box);
  }
  box.replaceChildren();
  for (const line of lines) {
    const p = document.createElement("p");
    const cells = line.split("\t");
    p.textContent = cells[0] === "tornado" ? `${cells[1]}: peak ${Number(cells[2]).toFixed(2)} / ${Number(cells[3]).toFixed(2)} at its low / high end` : line;
    box.append(p);
  }
  drawTornado();
}

// The tornado under the ranking, painted by the core; shown only with ranges.
function drawTornado() {
  let canvas = $("tornado");
  if (!canvas) {
    canvas = document.createElement("canvas");
    canvas.id = "tornado";
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", "Effect of each range on the peak");
    $("uncertainty").after(canvas);
  }
  const ratio = window.devicePixelRatio || 1, font = 16 * ratio;  // the ranking's own size
  const height = api.tornadoHeight(page, font);
  canvas.hidden = height === 0;
  if (canvas.hidden) return;
  canvas.style.height = `${height / ratio}px`;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const pointer = api.tornadoPaint(page, width, height, font);
  ChartCommands.paintCanvas(canvas, width, height,
                            coreDrawing(pointer, api.tornadoCommandsSize(page), api.tornadoCommandsText(page)));
}

// The drawing commands the core painted (size of them at pointer) and their
// text (at textPointer).
function coreDrawing(pointer, size, textPointer) {
  return { commands: core.HEAP32.slice(pointer >> 2, (pointer >> 2) + size), text: core.UTF8ToString(textPointer) };
}

// A scenario's values ("mode" and fields, as a scenario document's lines)
// typed into the page: the scale left alone while the axes are fitted.
function typeScenarioValues(values) {
  document.querySelector(`input[name="mode"][value="${values.get("mode") || "0"}"]`).checked = true;
  for (const [name, value] of values) {
    if (FIELD_NAMES.includes(name) && !(fitting() && SCALE_NAMES.includes(name))) setFieldText(name, value);
  }
}

function setFieldText(name, value) {
  $("f-" + name).value = value;
  const slider = $("s-" + name);
  if (slider && isFinite(parseFloat(value))) slider.value = parseFloat(value);
}

for (const radio of document.querySelectorAll('input[name="mode"]')) radio.addEventListener("change", changed);
$("fit").addEventListener("change", changed);
$("care").addEventListener("change", changed);
$("fit-now").addEventListener("click", () => { if (lastRun.drawn) { showScale(api.fit(page)); $("fit").checked = false; changed(); } });

function mode() {
  return Number(document.querySelector('input[name="mode"]:checked').value);
}
function fitting() {
  return $("fit").checked;
}

// The scenario as the address holds it: the mode and every field whose text
// differs from its default (morbilex-batch's option names), fit=0 when the
// scale is typed.
function scenarioParams() {
  const params = new URLSearchParams();
  if (mode() !== 0) params.set("mode", String(mode()));
  for (const name of FIELD_NAMES) {
    if (fitting() && SCALE_NAMES.includes(name)) continue;
    if (!$("care").checked && CARE_NAMES.includes(name)) continue;
    const value = $("f-" + name).value;
    if (value !== FIELD_DEFAULTS.get(name)) params.set(name, value);
  }
  if (!fitting()) params.set("fit", "0");
  for (const range of core.UTF8ToString(api.ranges(page)).split(" ").filter((r) => r !== "")) params.append("range", range);
  if ($("care").checked) params.set("care", "1");
  chartOptionParams(params);
  capacityParams(params);
  return params;
}

function restoreFromAddress() {
  const params = new URLSearchParams(location.hash.length > 1 ? location.hash.slice(1) : location.search);
  const m = params.get("mode");
  if (m === "1" || m === "2") document.querySelector(`input[name="mode"][value="${m}"]`).checked = true;
  $("fit").checked = params.get("fit") !== "0";
  $("care").checked = params.get("care") === "1";
  restoreCapacity(params);
  for (const name of FIELD_NAMES) {
    if (params.has(name)) setFieldText(name, params.get(name));
  }
  // NAME=low:high, as morbilex-batch's --range.
  for (const range of params.getAll("range")) {
    const [name, ends] = range.split("=");
    const [low, high] = (ends || "").split(":");
    if (!$("r-" + name) || low === undefined || high === undefined) continue;
    $("rl-" + name).value = low;
    $("rh-" + name).value = high;
    showRange(name, true);
  }
  restoreChartOptions(params);
}

function showModeFieldsets() {
  for (const set of document.querySelectorAll("fieldset[data-mode]")) {
    set.hidden = Number(set.dataset.mode) !== mode();
  }
}

function typeFields(params) {
  api.clearFields(page);
  for (const [name, value] of params) {
    if (name === "mode" || name === "fit" || chartOptionNames().includes(name)) continue;
    setField(name, value);
  }
}

// Run statuses of page_run.
const RAN = 0, OVERFLOWED = 3;
// One run, its axes fitted when asked (the fitted scale is shown, not typed).
function run() {
  const params = scenarioParams();
  typeFields(params);
  const status = api.run(page, mode());
  const drawn = status === RAN || status === OVERFLOWED;
  if (drawn && fitting()) showScale(api.fit(page));
  lastRun = { ok: status === RAN, drawn, message: status === RAN ? "" : core.UTF8ToString(api.refusal(page)), status };
  return params;
}

// A field whose text is not what the run used (a T_max beyond the longest
// run, a repaired value) shows what it used, unless it is being typed in.
function showFieldsUsed() {
  if (!lastRun.drawn) return;
  let shown = false;
  for (const name of FIELD_NAMES) {
    const text = $("f-" + name);
    if (document.activeElement === text) continue;
    const used = core.UTF8ToString(api.fieldUsed(page, name));
    if (used === "") continue;
    setFieldText(name, used);
    shown = true;
  }
  if (shown) replaceAddress(scenarioParams());
}

function showScale(pointer) {
  const scale = new Float64Array(core.HEAPF64.buffer, pointer, 4);
  SCALE_NAMES.forEach((name, k) => { $("f-" + name).value = String(scale[k]); });
}

function chartSize() {
  const canvas = $("chart");
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  return { canvas, ratio, width, height };
}

// The commands of the chart for width x height device pixels; a picture
// (saved as PNG or SVG) leaves out the read-out.
function commands(width, height, ratio, picture = false) {
  // The page's own text size, smaller on narrow screens, where the chart's
  // text would otherwise cover its curves, but never below 11 CSS pixels.
  const font = Math.min(16, Math.max(11, width / ratio / 60)) * ratio;
  document.body.dataset.chartFontPx = String(font / ratio);
  const pointer = (picture ? api.paintPicture : api.paint)(page, width, height, font);
  return coreDrawing(pointer, api.commandsSize(page), api.commandsText(page));
}

function draw() {
  const { canvas, ratio, width, height } = chartSize();
  ChartCommands.paintCanvas(canvas, width, height, commands(width, height, ratio));
}

// The core's figure lines: label, value, and after an intervention the value
// without one and the change.
function showFigures() {
  const lines = core.UTF8ToString(api.figureLines(page)).split("\n").filter((line) => line !== "")
    .map((line) => line.split("\t"));
  const baseline = lines.some((cells) => cells[3] !== "");
  const table = $("figures");
  table.tHead.replaceChildren();
  table.tBodies[0].replaceChildren();
  if (lines.length) {
    const head = table.tHead.insertRow();
    for (const title of baseline ? ["", "run", "none", "change"] : ["", "run"]) {
      const th = document.createElement("th");
      th.scope = "col";
      th.textContent = title;
      head.append(th);
    }
  }
  for (const [name, label, value, none, change] of lines) {
    const row = table.tBodies[0].insertRow();
    row.dataset.name = name;
    const th = document.createElement("th");
    th.scope = "row";
    th.textContent = label;
    row.append(th);
    for (const [cell, words] of baseline ? [["value", value], ["none", none], ["change", change]] : [["value", value]]) {
      const td = row.insertCell();
      td.className = cell;
      td.textContent = words;
    }
  }
  $("peak-change").textContent = core.UTF8ToString(api.peakChange(page));
}

// The read-out's text, the core's; its step is marked on the next paint.
function showReadout(pointer) {
  const words = core.UTF8ToString(pointer);
  $("readout").textContent = words === "" ? "Point at the chart to read its values." : words;
}

let pending = false;
function changed() {
  showModeFieldsets();
  if (pending || !api) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; update(); });
}

function replaceAddress(params) {
  const query = params.toString();
  history.replaceState(null, "", query ? "?" + query : location.pathname);
}

function update() {
  const began = performance.now();
  const params = run();
  showReadout(api.readoutShown(page));
  draw();
  showFigures();
  showUncertainty();
  showCountsFigures();
  showRunNotes();
  $("message").textContent = lastRun.ok ? "" : lastRun.status === OVERFLOWED ? lastRun.message : "Not run: " + lastRun.message;
  replaceAddress(params);
  showFieldsUsed();
  const took = performance.now() - began;
  timings.repaints.push(took);
  if (timings.repaints.length > 200) timings.repaints.shift();
  if (timings.firstChart === null) timings.firstChart = performance.now();
  document.body.dataset.runs = String((Number(document.body.dataset.runs) || 0) + 1);
}

// Read-out under the pointer or finger, and from the keyboard: the core's
// keys (ReadOutKey), the same as the desktop programs'.
const chartCanvas = $("chart");
function pointAt(event) {
  if (!lastRun.drawn) return;
  const rect = chartCanvas.getBoundingClientRect();
  const { width, height, ratio } = chartSize();
  showReadout(api.readout(page, Math.round((event.clientX - rect.left) * ratio), width, height));
  draw();
}
chartCanvas.addEventListener("pointermove", pointAt);
chartCanvas.addEventListener("pointerdown", pointAt);
const READ_OUT_KEYS = { ArrowLeft: [0, 2], ArrowRight: [1, 3], PageUp: [4, 4], PageDown: [5, 5], Home: [6, 6], End: [7, 7] };
chartCanvas.addEventListener("keydown", (event) => {
  const key = READ_OUT_KEYS[event.key];
  if (!key || !lastRun.drawn) return;
  event.preventDefault();
  const { width, height } = chartSize();
  showReadout(api.readoutKey(page, key[event.shiftKey ? 1 : 0], width, height));
  draw();
});
window.addEventListener("resize", () => { if (api) { draw(); if ($("tornado")) drawTornado(); } });

// Downloads.
function download(name, blob) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}
function coreText(pointer) {
  return core.UTF8ToString(pointer, api.textSize(page));
}
$("get-trace").addEventListener("click", () => {
  if (lastRun.drawn) download("temp.dat", new Blob([coreText(api.trace(page))], { type: "text/plain" }));
});
$("get-bands").addEventListener("click", () => {
  const text = coreText(api.bandsCsv(page));
  if (text) download("bands.csv", new Blob([text], { type: "text/csv" }));
});
$("get-figures").addEventListener("click", () => {
  if (lastRun.ok) download("figures.csv", new Blob([coreText(api.figuresCsv(page))], { type: "text/csv" }));
});
$("get-png").addEventListener("click", () => {
  const { width, height, ratio } = chartSize();
  const drawing = commands(width, height, ratio, true);
  const canvas = document.createElement("canvas");
  canvas.width = width;
  canvas.height = height;
  ChartCommands.drawOnCanvas(canvas.getContext("2d"), width, height, drawing.commands, drawing.text);
  canvas.toBlob((blob) => download("chart.png", blob), "image/png");
  draw();  // the page's own drawing again
});
$("get-svg").addEventListener("click", () => {
  const { width, height, ratio } = chartSize();
  const drawing = commands(width, height, ratio, true);
  draw();  // the page's own drawing again
  const ctx = document.createElement("canvas").getContext("2d");
  const measure = (font, string) => { ctx.font = font; return ctx.measureText(string).width; };
  const svg = ChartCommands.toSvg(width, height, drawing.commands, drawing.text, measure);
  download("chart.svg", new Blob([svg], { type: "image/svg+xml" }));
});
// The scenario file: the last run's, written by the core as the desktop
// writes it.
$("get-scenario").addEventListener("click", () => {
  if (!lastRun.drawn) {
    showFileStatus("not saved: the scenario is not run (" + lastRun.message + ")", true);
    return;
  }
  const text = coreText(api.scenarioDocument(page));
  download("scenario.morbilex", new Blob([text], { type: "text/plain" }));
});

function showFileStatus(words, refused) {
  $("scenario-status").textContent = words;
  $("scenario-status").parentElement.classList.toggle("refused", refused);
}

// Opening a scenario file: the core reads it, all or nothing; what it read
// comes back as shortest "name = value" lines, typed into the fields with the
// mode and the file's scale (the axes then stay as the file has them).
const LARGEST_SCENARIO_FILE = 16 << 20;  // as the core reads, counts kept in it included
// The "name = value" lines of a scenario the core hands out.
function documentValues(text) {
  const values = new Map();
  for (const line of text.split("\n")) {
    const equals = line.indexOf(" = ");
    if (line.startsWith("#") || equals < 0) continue;
    values.set(line.slice(0, equals), line.slice(equals + 3));
  }
  return values;
}
async function openScenario(file) {
  if (!api) return;
  if (file.size > LARGEST_SCENARIO_FILE) {
    showFileStatus(`${file.name} not opened: larger than 16 MB, not a scenario file`, true);
    return;
  }
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    showFileStatus(`${file.name} not opened: ${error.message}`, true);
    return;
  }
  core.HEAPU8.set(bytes, api.inputBuffer(page, bytes.length));
  const read = api.openScenario(page);
  if (!read) {
    showFileStatus(`${file.name} not opened: ${core.UTF8ToString(api.refusal(page))}`, true);
    return;
  }
  const text = coreText(read);
  const values = documentValues(text);
  const missing = [...values.keys()].filter((name) => name !== "mode" && !FIELD_NAMES.includes(name) &&
                                                      name !== CAPACITY_SERIES && !countsLinkNames().includes(name));
  if (missing.length) {
    showFileStatus(`${file.name} not opened: this page has no field ${missing.join(", ")}`, true);
    return;
  }
  const m = values.get("mode") || "0";
  document.querySelector(`input[name="mode"][value="${m}"]`).checked = true;
  $("fit").checked = false;
  for (const name of FIELD_NAMES) setFieldText(name, values.has(name) ? values.get(name) : FIELD_DEFAULTS.get(name));
  openedCountsLink(values, keptCountsRows(text));
  setCapacitySeries(values.get(CAPACITY_SERIES));
  showFileStatus(`${file.name} opened`, false);
  $("print-title").textContent = `Scenario: ${file.name}`;
  changed();
}
$("open-scenario").addEventListener("change", (event) => {
  const file = event.target.files[0];
  event.target.value = "";  // the same file again is a new choice
  if (file) openScenario(file);
});
document.addEventListener("dragover", (event) => {
  if (![...event.dataTransfer.types].includes("Files")) return;
  event.preventDefault();
  document.body.classList.add("dropping");
});
document.addEventListener("dragleave", (event) => {
  if (event.relatedTarget === null) document.body.classList.remove("dropping");
});
// Dropped files: a scenario, observed counts (told apart by counts.js), or
// both, the scenario first.
document.addEventListener("drop", async (event) => {
  document.body.classList.remove("dropping");
  if (!event.dataTransfer.files.length) return;
  event.preventDefault();
  const files = [...event.dataTransfer.files];
  const isCounts = await Promise.all(files.map(isCountsFile));
  for (const file of files.filter((_, k) => !isCounts[k])) await openScenario(file);
  for (const file of files.filter((_, k) => isCounts[k])) await openCounts(file);
});
$("copy-link").addEventListener("click", async () => {
  try {
    await navigator.clipboard.writeText(location.href);
    $("message").textContent = "Link copied.";
  } catch (error) {
    $("message").textContent = "Copy this page's address to share the scenario.";
  }
});

// Start: the module, the fields from its table, then the scenario of the address.
// The page's other scripts (plan.js and the rest) come after this one: a
// module already compiled can be ready before they have run, so the page
// starts once the document has loaded them all.
const scriptsLoaded = new Promise((resolve) => {
  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", resolve);
  else resolve();
});
Promise.all([MorbilexCore(), scriptsLoaded]).then(([module]) => {
  core = module;
  api = {
    create: core.cwrap("page_create", "number", []),
    fields: core.cwrap("page_fields", "number", ["number"]),
    clearFields: core.cwrap("page_clear_fields", null, ["number"]),
    setField: core.cwrap("page_set_field", "number", ["number", "string", "number"]),
    run: core.cwrap("page_run", "number", ["number", "number"]),
    refusal: core.cwrap("page_refusal", "number", ["number"]),
    fieldUsed: core.cwrap("page_field_used", "number", ["number", "string"]),
    paint: core.cwrap("page_paint", "number", ["number", "number", "number", "number"]),
    paintPicture: core.cwrap("page_paint_picture", "number", ["number", "number", "number", "number"]),
    commandsSize: core.cwrap("page_commands_size", "number", ["number"]),
    commandsText: core.cwrap("page_commands_text", "number", ["number"]),
    figureLines: core.cwrap("page_figure_lines", "number", ["number"]),
    peakChange: core.cwrap("page_peak_change", "number", ["number"]),
    readout: core.cwrap("page_readout", "number", ["number", "number", "number", "number"]),
    readoutKey: core.cwrap("page_readout_key", "number", ["number", "number", "number", "number"]),
    readoutShown: core.cwrap("page_readout_shown", "number", ["number"]),
    fit: core.cwrap("page_fit", "number", ["number"]),
    trace: core.cwrap("page_trace", "number", ["number"]),
    figuresCsv: core.cwrap("page_figures_csv", "number", ["number"]),
    setRange: core.cwrap("page_set_range", "number", ["number", "string", "string", "string"]),
    clearRange: core.cwrap("page_clear_range", null, ["number", "string"]),
    rangeable: core.cwrap("page_rangeable", "number", ["string"]),
    ranges: core.cwrap("page_ranges", "number", ["number"]),
    uncertainty: core.cwrap("page_uncertainty", "number", ["number"]),
    tornadoHeight: core.cwrap("page_tornado_height", "number", ["number", "number"]),
    tornadoPaint: core.cwrap("page_tornado_paint", "number", ["number", "number", "number", "number"]),
    tornadoCommandsSize: core.cwrap("page_tornado_commands_size", "number", ["number"]),
    tornadoCommandsText: core.cwrap("page_tornado_commands_text", "number", ["number"]),
    bandsCsv: core.cwrap("page_bands_csv", "number", ["number"]),
    textSize: core.cwrap("page_text_size", "number", ["number"]),
    scenarioDocument: core.cwrap("page_scenario_document", "number", ["number"]),
    inputBuffer: core.cwrap("page_input_buffer", "number", ["number", "number"]),
    openScenario: core.cwrap("page_open_scenario", "number", ["number"]),
    columns: core.cwrap("page_summary_columns", "number", ["number"]),
  };
  page = api.create();
  buildFields(JSON.parse(core.UTF8ToString(api.fields(page))));
  setupCounts();
  restoreFromAddress();
  showModeFieldsets();
  fillSweepSelects(coreText(api.columns(page)).trim().split("\n"));
  update();
  document.body.dataset.ready = "1";
});
