// The explorer page: the scenario's fields, the chart the core draws, the
// figures, the read-out, downloads, the shared link and sweeps in a worker.
"use strict";

const timings = { start: performance.now(), firstChart: null, repaints: [] };
window.morbilexTimings = timings;

const $ = (id) => document.getElementById(id);
const fieldDivs = [...document.querySelectorAll(".field")];
const FIELD_NAMES = fieldDivs.map((div) => div.dataset.field);
const SCALE_NAMES = ["xmin", "xmax", "ymin", "ymax"];
const SKIPPED_COLUMNS = new Set(["status"]);

let core = null, page = 0, api = null;
let lastRun = { ok: false };
let pointerX = null;  // device x of the read-out, or null

// Fields: a slider and a text box each; the text is what the dialogs get.
for (const div of fieldDivs) {
  const name = div.dataset.field;
  const label = div.querySelector("label");
  const text = document.createElement("input");
  text.id = "f-" + name;
  text.name = name;
  text.inputMode = "decimal";
  text.autocomplete = "off";
  text.value = div.dataset.default;
  label.htmlFor = text.id;
  if (!("plain" in div.dataset)) {
    const slider = document.createElement("input");
    slider.type = "range";
    slider.id = "s-" + name;
    slider.min = div.dataset.min;
    slider.max = div.dataset.max;
    slider.step = div.dataset.step;
    slider.value = div.dataset.default;
    slider.setAttribute("aria-label", label.textContent + " slider");
    slider.addEventListener("input", () => { text.value = slider.value; changed(); });
    text.addEventListener("input", () => { if (isFinite(parseFloat(text.value))) slider.value = parseFloat(text.value); changed(); });
    div.append(slider);
  } else {
    text.addEventListener("input", changed);
  }
  div.append(text);
}
for (const radio of document.querySelectorAll('input[name="mode"]')) radio.addEventListener("change", changed);
$("fit").addEventListener("change", changed);
$("fit-now").addEventListener("click", () => { if (lastRun.ok) { showScale(api.fit(page)); $("fit").checked = false; changed(); } });

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
  for (const div of fieldDivs) {
    const name = div.dataset.field;
    if (fitting() && SCALE_NAMES.includes(name)) continue;
    const value = $("f-" + name).value;
    if (value !== div.dataset.default) params.set(name, value);
  }
  if (!fitting()) params.set("fit", "0");
  return params;
}

function restoreFromAddress() {
  const params = new URLSearchParams(location.hash.length > 1 ? location.hash.slice(1) : location.search);
  const m = params.get("mode");
  if (m === "1" || m === "2") document.querySelector(`input[name="mode"][value="${m}"]`).checked = true;
  $("fit").checked = params.get("fit") !== "0";
  for (const name of FIELD_NAMES) {
    if (!params.has(name)) continue;
    const value = params.get(name);
    $("f-" + name).value = value;
    const slider = $("s-" + name);
    if (slider && isFinite(parseFloat(value))) slider.value = parseFloat(value);
  }
}

function showModeFieldsets() {
  for (const set of document.querySelectorAll("fieldset[data-mode]")) {
    set.hidden = Number(set.dataset.mode) !== mode();
  }
}

function typeFields(params) {
  api.clearFields(page);
  for (const [name, value] of params) {
    if (name === "mode" || name === "fit") continue;
    api.setField(page, name, value);
  }
}

// One run, its axes fitted when asked (the fitted scale is shown, not typed).
function run() {
  const params = scenarioParams();
  typeFields(params);
  const status = api.run(page, mode());
  if (status === 0 && fitting()) showScale(api.fit(page));
  lastRun = { ok: status === 0, message: status === 0 ? "" : core.UTF8ToString(api.refusal(page)) };
  return params;
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

// The commands of the chart for width x height device pixels.
function commands(width, height, ratio) {
  // The page's own text size, smaller on narrow screens, where the chart's
  // text would otherwise cover its curves.
  const font = Math.min(16, Math.max(9, width / ratio / 60)) * ratio;
  const pointer = api.paint(page, width, height, font);
  const count = api.commandsSize(page);
  return { commands: core.HEAP32.slice(pointer >> 2, (pointer >> 2) + count),
           text: core.UTF8ToString(api.commandsText(page)) };
}

function draw() {
  const { canvas, ratio, width, height } = chartSize();
  if (canvas.width !== width) canvas.width = width;
  if (canvas.height !== height) canvas.height = height;
  const drawing = commands(width, height, ratio);
  const ctx = canvas.getContext("2d");
  ChartCommands.drawOnCanvas(ctx, width, height, drawing.commands, drawing.text);
}

const number = (value, digits) => (Number.isFinite(value) ? value.toFixed(digits) : "–");
const signed = (value, digits) => (Number.isFinite(value) ? (value > 0 ? "+" : "") + value.toFixed(digits) : "–");

function showFigures() {
  const rows = [0, 1].map((which) => ({
    peak: api.figure(page, which, "peak_infectious"),
    day: api.figure(page, which, "peak_infectious_day"),
    final: api.figure(page, which, "final_R"),
    attack: api.figure(page, which, "attack_rate"),
  }));
  const show = (prefix, row, format) => {
    $(prefix + "-peak").textContent = format(row.peak, 1);
    $(prefix + "-day").textContent = format(row.day, 2);
    $(prefix + "-final").textContent = format(row.final, 1);
    $(prefix + "-attack").textContent = format(row.attack * 100, 1) + " %";
  };
  if (!lastRun.ok) {
    for (const prefix of ["f0", "f1", "fd"]) show(prefix, { peak: NaN, day: NaN, final: NaN, attack: NaN }, number);
    return;
  }
  show("f0", rows[0], number);
  show("f1", rows[1], number);
  show("fd", { peak: rows[0].peak - rows[1].peak, day: rows[0].day - rows[1].day,
               final: rows[0].final - rows[1].final, attack: rows[0].attack - rows[1].attack }, signed);
}

// The read-out at the pointer's x: the core marks its step on the next paint.
function showReadout() {
  if (pointerX === null || !lastRun.ok) return;
  const { width, height } = chartSize();
  const values = new Float64Array(core.HEAPF64.buffer, api.readout(page, Math.round(pointerX), width, height), 6);
  $("readout").textContent = values[5] === 1
    ? `Day ${values[0].toFixed(2)}: S ${values[1].toFixed(2)}, E ${values[2].toFixed(2)}, I ${values[3].toFixed(2)}, R ${values[4].toFixed(2)}`
    : "Outside the run.";
}

let pending = false;
function changed() {
  showModeFieldsets();
  if (pending || !api) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; update(); });
}

function update() {
  const began = performance.now();
  const params = run();
  showReadout();
  draw();
  showFigures();
  $("message").textContent = lastRun.ok ? "" : "Not run: " + lastRun.message;
  const query = params.toString();
  history.replaceState(null, "", query ? "?" + query : location.pathname);
  const took = performance.now() - began;
  timings.repaints.push(took);
  if (timings.repaints.length > 200) timings.repaints.shift();
  if (timings.firstChart === null) timings.firstChart = performance.now();
  document.body.dataset.runs = String((Number(document.body.dataset.runs) || 0) + 1);
}

// Read-out under the pointer or finger, and from the keyboard.
const chartCanvas = $("chart");
function pointAt(event) {
  const rect = chartCanvas.getBoundingClientRect();
  pointerX = (event.clientX - rect.left) * (window.devicePixelRatio || 1);
  showReadout();
  draw();
}
chartCanvas.addEventListener("pointermove", pointAt);
chartCanvas.addEventListener("pointerdown", pointAt);
chartCanvas.addEventListener("keydown", (event) => {
  const { width, ratio } = chartSize();
  const step = (event.shiftKey ? 20 : 2) * ratio;
  if (event.key === "ArrowRight" || event.key === "ArrowLeft") {
    if (pointerX === null) pointerX = width / 2;
    pointerX = Math.min(width - 1, Math.max(0, pointerX + (event.key === "ArrowRight" ? step : -step)));
    event.preventDefault();
    showReadout();
    draw();
  }
});
window.addEventListener("resize", () => { if (api) draw(); });

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
  if (lastRun.ok) download("temp.dat", new Blob([coreText(api.trace(page))], { type: "text/plain" }));
});
$("get-figures").addEventListener("click", () => {
  if (lastRun.ok) download("figures.csv", new Blob([coreText(api.figuresCsv(page))], { type: "text/csv" }));
});
$("get-png").addEventListener("click", () => {
  $("chart").toBlob((blob) => download("chart.png", blob), "image/png");
});
$("get-svg").addEventListener("click", () => {
  const { width, height, ratio } = chartSize();
  const drawing = commands(width, height, ratio);
  const ctx = document.createElement("canvas").getContext("2d");
  const measure = (font, string) => { ctx.font = font; return ctx.measureText(string).width; };
  const svg = ChartCommands.toSvg(width, height, drawing.commands, drawing.text, measure);
  download("chart.svg", new Blob([svg], { type: "image/svg+xml" }));
});
// The scenario file: the last run's, written by the core as the desktop
// writes it.
$("get-scenario").addEventListener("click", () => {
  if (!lastRun.ok) {
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
const LARGEST_SCENARIO_FILE = 1 << 20;
async function openScenario(file) {
  if (!api) return;
  if (file.size > LARGEST_SCENARIO_FILE) {
    showFileStatus(`${file.name} not opened: larger than 1 MB, not a scenario file`, true);
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
  const values = new Map();
  for (const line of coreText(read).split("\n")) {
    const equals = line.indexOf(" = ");
    if (line.startsWith("#") || equals < 0) continue;
    values.set(line.slice(0, equals), line.slice(equals + 3));
  }
  const missing = [...values.keys()].filter((name) => name !== "mode" && !FIELD_NAMES.includes(name));
  if (missing.length) {
    showFileStatus(`${file.name} not opened: this page has no field ${missing.join(", ")}`, true);
    return;
  }
  const m = values.get("mode") || "0";
  document.querySelector(`input[name="mode"][value="${m}"]`).checked = true;
  $("fit").checked = false;
  for (const name of FIELD_NAMES) {
    const value = values.has(name) ? values.get(name) : fieldDivs[FIELD_NAMES.indexOf(name)].dataset.default;
    $("f-" + name).value = value;
    const slider = $("s-" + name);
    if (slider) slider.value = parseFloat(value);
  }
  showFileStatus(`${file.name} opened`, false);
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
document.addEventListener("drop", (event) => {
  document.body.classList.remove("dropping");
  if (!event.dataTransfer.files.length) return;
  event.preventDefault();
  openScenario(event.dataTransfer.files[0]);
});
$("copy-link").addEventListener("click", async () => {
  try {
    await navigator.clipboard.writeText(location.href);
    $("message").textContent = "Link copied.";
  } catch (error) {
    $("message").textContent = "Copy this page's address to share the scenario.";
  }
});

// Start: the module, then the scenario of the address.
restoreFromAddress();
showModeFieldsets();
MorbilexCore().then((module) => {
  core = module;
  api = {
    create: core.cwrap("page_create", "number", []),
    clearFields: core.cwrap("page_clear_fields", null, ["number"]),
    setField: core.cwrap("page_set_field", "number", ["number", "string", "string"]),
    run: core.cwrap("page_run", "number", ["number", "number"]),
    refusal: core.cwrap("page_refusal", "number", ["number"]),
    paint: core.cwrap("page_paint", "number", ["number", "number", "number", "number"]),
    commandsSize: core.cwrap("page_commands_size", "number", ["number"]),
    commandsText: core.cwrap("page_commands_text", "number", ["number"]),
    figure: core.cwrap("page_figure", "number", ["number", "number", "string"]),
    readout: core.cwrap("page_readout", "number", ["number", "number", "number", "number"]),
    fit: core.cwrap("page_fit", "number", ["number"]),
    trace: core.cwrap("page_trace", "number", ["number"]),
    figuresCsv: core.cwrap("page_figures_csv", "number", ["number"]),
    textSize: core.cwrap("page_text_size", "number", ["number"]),
    scenarioDocument: core.cwrap("page_scenario_document", "number", ["number"]),
    inputBuffer: core.cwrap("page_input_buffer", "number", ["number", "number"]),
    openScenario: core.cwrap("page_open_scenario", "number", ["number"]),
    columns: core.cwrap("page_summary_columns", "number", ["number"]),
  };
  page = api.create();
  fillSweepSelects(coreText(api.columns(page)).trim().split("\n"));
  update();
  document.body.dataset.ready = "1";
});
