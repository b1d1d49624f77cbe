// Sweeps, in workers so that the page keeps answering: as many workers as
// the machine has processors, each a shard of the scenarios, sum each
// scenario's summary into the picture's cell it falls in (a cell per pixel
// at most) and hand the page the sums of the cells they touched; the page
// adds them up and has the core draw the picture from the cells' means. The
// rows, when asked for, come from one worker in run_id order, in pieces
// that go straight into the download's Blob.
"use strict";

const sweep = {
  workers: [], definition: null, page: 0, cells: 0, sums: null, counts: null,
  done: [], total: 0, began: 0, finished: 0, columns: [],
};
// The page itself only adds up and draws, so every processor takes a shard.
const WORKERS = Math.max(1, Math.min(8, navigator.hardwareConcurrency || 2));
// Beyond this many rows the CSV belongs to morbilex-batch, not a browser's download.
const LARGEST_ROWS = 4000000;
let sweepApi = null;

function sweepCore() {
  if (sweepApi === null) {
    const wrap = (name, ret, types) => core.cwrap(name, ret, types);
    sweepApi = {
      create: wrap("page_sweep_create", "number", []),
      free: wrap("page_sweep_free", null, ["number"]),
      inputBuffer: wrap("page_sweep_input_buffer", "number", ["number", "number"]),
      setField: wrap("page_sweep_set_field", "number", ["number", "string"]),
      begin: wrap("page_sweep_begin", null, ["number", "number"]),
      axis: wrap("page_sweep_axis", "number", ["number", "string"]),
      refusal: wrap("page_sweep_refusal", "number", ["number"]),
      size: wrap("page_sweep_size", "number", ["number"]),
      columns: wrap("page_sweep_columns", "number", []),
      cells: wrap("page_sweep_cells", "number", ["number", "number", "number", "number"]),
      values: wrap("page_sweep_values", "number", ["number"]),
      paint: wrap("page_sweep_paint", "number", ["number", "number", "number", "number", "string"]),
      commandsSize: wrap("page_sweep_commands_size", "number", ["number"]),
      commandsText: wrap("page_sweep_commands_text", "number", ["number"]),
      hover: wrap("page_sweep_hover", "number", ["number", "number", "number"]),
      scenarioAt: wrap("page_sweep_scenario_at", "number", ["number", "number", "number"]),
    };
  }
  return sweepApi;
}

function fillSweepSelects(columns) {
  sweep.columns = columns;
  for (const id of ["ax1-name", "ax2-name"]) {
    const select = $(id);
    for (const name of ["mode", ...FIELD_NAMES.filter((field) => !CARE_NAMES.includes(field))]) select.add(new Option(name, name));
  }
  $("ax1-name").value = "R_0";
  for (const column of columns) if (!SKIPPED_COLUMNS.has(column)) $("metric").add(new Option(column, column));
  $("metric").value = "peak_infectious";
}

function axisText(k) {
  const name = $(`ax${k}-name`).value;
  if (!name) return null;
  return `${name}=${$(`ax${k}-from`).value}:${$(`ax${k}-to`).value}:${$(`ax${k}-step`).value}`;
}

// The sweep picture's canvas in device pixels, and the page's text size on it.
function sweepCanvasSize() {
  return ChartCommands.canvasSize($("sweep-chart"));
}

function sweepWorker(shard, rows, onMessage) {
  const worker = new Worker("sweep-worker.js");
  worker.onmessage = (event) => onMessage(event.data);
  worker.postMessage({ ...sweep.definition, shard, rows });
  sweep.workers.push(worker);
  return worker;
}

function endWorkers() {
  for (const worker of sweep.workers) worker.terminate();
  sweep.workers = [];
}

function setRunning(running) {
  $("sweep-run").disabled = running;
  $("sweep-stop").disabled = !running;
  $("sweep-rows").disabled = running || sweep.definition === null;
}

function sweepDone() {
  return sweep.done.reduce((a, b) => a + b, 0);
}

function showSweepProgress(done) {
  $("sweep-progress").value = sweep.total > 0 ? done / sweep.total : 0;
  $("sweep-status").textContent = `${done} of ${sweep.total} scenarios`;
}

function startSweep() {
  endWorkers();
  const api = sweepCore();
  const { width, height, font } = sweepCanvasSize();
  sweep.definition = {
    fields: [...scenarioParams()].filter(([name]) => name !== "mode" && name !== "fit" && name !== CAPACITY_SERIES),
    mode: mode(), axes: [axisText(1), axisText(2)].filter((text) => text !== null), width, height, font,
  };
  // The page's own copy of the sweep knows the cells and draws them.
  if (sweep.page) api.free(sweep.page);
  sweep.page = api.create();
  sweep.sums = null;
  const refused = () => {
    sweep.definition = null;
    setRunning(false);
    $("sweep-status").textContent = "Not run: " + core.UTF8ToString(api.refusal(sweep.page));
  };
  for (const [name, value] of sweep.definition.fields) {
    // The text goes through the core's heap: a pasted field may be long.
    const bytes = new TextEncoder().encode(value);
    core.HEAPU8.set(bytes, api.inputBuffer(sweep.page, bytes.length));
    if (!api.setField(sweep.page, name)) return refused();
  }
  api.begin(sweep.page, sweep.definition.mode);
  for (const axis of sweep.definition.axes) {
    if (!api.axis(sweep.page, axis)) return refused();
  }
  sweep.total = api.size(sweep.page);
  sweep.cells = api.cells(sweep.page, width, height, font);
  const values = sweep.cells * api.columns();
  sweep.sums = new Float64Array(values);
  sweep.counts = new Float64Array(values);
  sweep.done = new Array(WORKERS).fill(0);
  sweep.finished = 0;
  sweep.began = performance.now();
  for (let k = 0; k < WORKERS; ++k) sweepWorker([k + 1, WORKERS], false, (message) => sweepMessage(k, message));
  setRunning(true);
  showSweepProgress(0);
  $("sweep-status").textContent = "Starting…";
}

function stopSweep() {
  endWorkers();
  setRunning(false);
  $("sweep-status").textContent = `Stopped after ${sweepDone()} of ${sweep.total} scenarios.`;
  drawSweep();
}

let sweepDrawPending = false;
function sweepMessage(k, message) {
  if (message.kind === "cells") {
    const { cells, sums, counts } = message;
    const columns = sums.length / Math.max(1, cells.length);
    for (let i = 0; i < cells.length; ++i) {
      const to = cells[i] * columns, from = i * columns;
      for (let c = 0; c < columns; ++c) {
        sweep.sums[to + c] += sums[from + c];
        sweep.counts[to + c] += counts[from + c];
      }
    }
    sweep.done[k] = message.done;
    showSweepProgress(sweepDone());
    if (!sweepDrawPending) {
      sweepDrawPending = true;
      setTimeout(() => { sweepDrawPending = false; drawSweep(); }, 250);
    }
  } else if (message.kind === "done") {
    if (++sweep.finished < WORKERS) return;
    timings.sweepMs = performance.now() - sweep.began;
    endWorkers();
    drawSweep();
    setRunning(false);
    $("sweep-progress").value = 1;
    $("sweep-status").textContent = `${sweep.total} scenarios in ${(timings.sweepMs / 1000).toFixed(2)} s (${WORKERS} worker${WORKERS > 1 ? "s" : ""})`;
    document.body.dataset.sweeps = String((Number(document.body.dataset.sweeps) || 0) + 1);
  } else if (message.kind === "refused") {
    endWorkers();
    setRunning(false);
    $("sweep-status").textContent = "Not run: " + message.message;
  }
}

// The rows of the last sweep as morbilex-batch writes them, gathered into a
// Blob piece by piece: the page never holds them as one text.
function sweepRows() {
  if (sweep.total > LARGEST_ROWS) {
    $("sweep-status").textContent = `Rows (CSV) holds at most ${LARGEST_ROWS} scenarios, this sweep has ${sweep.total}: ` +
      "morbilex-batch writes the rows of larger sweeps.";
    return;
  }
  endWorkers();
  let blob = new Blob([]), pieces = [];
  setRunning(true);
  $("sweep-status").textContent = "Writing the rows…";
  sweepWorker([1, 1], true, (message) => {
    if (message.kind === "start") pieces.push(message.header);
    else if (message.kind === "rows") {
      pieces.push(message.bytes);
      if (pieces.length >= 64) { blob = new Blob([blob, ...pieces]); pieces = []; }
      $("sweep-progress").value = message.done / message.total;
    } else if (message.kind === "done") {
      endWorkers();
      setRunning(false);
      $("sweep-status").textContent = `${sweep.total} rows written.`;
      download("sweep.csv", new Blob([blob, ...pieces], { type: "text/csv" }));
    } else if (message.kind === "refused") {
      endWorkers();
      setRunning(false);
      $("sweep-status").textContent = "Not run: " + message.message;
    }
  });
}

// The cells' means of the shown column, drawn by the core.
function drawSweep() {
  if (!sweep.sums) return;
  const api = sweepCore();
  const { canvas, width, height, font } = sweepCanvasSize();
  const metric = $("metric").value;
  const column = sweep.columns.indexOf(metric), columns = api.columns();
  const values = new Float64Array(core.HEAPF64.buffer, api.values(sweep.page), sweep.cells);
  for (let i = 0; i < sweep.cells; ++i) {
    const count = sweep.counts[i * columns + column];
    values[i] = count > 0 ? sweep.sums[i * columns + column] / count : NaN;
  }
  const pointer = api.paint(sweep.page, width, height, font, metric);
  ChartCommands.paintCanvas(canvas, width, height,
                            coreDrawing(pointer, api.commandsSize(sweep.page), api.commandsText(sweep.page)));
  document.body.dataset.sweepDrawn = String((Number(document.body.dataset.sweepDrawn) || 0) + 1);
}

// The picture's device point under the pointer.
function sweepPoint(event) {
  const { canvas, ratio } = sweepCanvasSize();
  const box = canvas.getBoundingClientRect();
  return [(event.clientX - box.left) * ratio, (event.clientY - box.top) * ratio];
}

// The read-out: the axis values and value of the cell under the pointer.
function sweepHover(event) {
  if (!sweep.page || !sweep.sums) return;
  $("sweep-readout").textContent = core.UTF8ToString(sweepCore().hover(sweep.page, ...sweepPoint(event)));
}

// A click loads the scenario under the pointer into the fields and runs it.
function sweepLoad(event) {
  if (!sweep.page || !sweep.sums) return;
  const [x, y] = sweepPoint(event);
  const values = documentValues(core.UTF8ToString(sweepCore().scenarioAt(sweep.page, x, y)));
  if (!values.has("mode")) return;
  const read = core.UTF8ToString(sweepCore().hover(sweep.page, x, y));
  typeScenarioValues(values);
  $("sweep-readout").textContent = "Loaded: " + read;
  changed();
}

$("sweep-run").addEventListener("click", startSweep);
$("sweep-stop").addEventListener("click", stopSweep);
$("sweep-rows").addEventListener("click", sweepRows);
$("metric").addEventListener("change", drawSweep);
$("sweep-chart").addEventListener("pointermove", sweepHover);
$("sweep-chart").addEventListener("click", sweepLoad);
$("sweep-chart").addEventListener("pointerleave", () => { $("sweep-readout").textContent = ""; });
window.addEventListener("resize", () => { if (core) drawSweep(); });
