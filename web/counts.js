// Observed counts on the chart and their fit (in fit-worker.js, so that the
// page keeps answering), and the chart's options. The core reads the counts,
// checks every line of their link, fits, draws the points, the model's
// series and the residuals, and holds the options' rules; the page only
// lays them out.
"use strict";

const counts = {
  table: null,
  link: new Map(),  // the link's lines as the core took them, "data" aside
  file: null,       // { name, text } of the counts opened
  wanted: "",       // the counts file a scenario names, not opened yet
  refused: null,    // { name, text } of a file refused, tried again when a line changes
  worker: null,
  options: [],      // the chart's options: { command, label, name, on }
};
const COUNTS_LINES = ["data_series", "data_column", "population", "reporting", "data_day_zero"];

function countsApi() {
  Object.assign(api, {
    countsTable: core.cwrap("page_counts_table", "number", ["number"]),
    openCounts: core.cwrap("page_open_counts", "number", ["number", "string"]),
    setCountsLine: core.cwrap("page_set_counts_line", "number", ["number", "string", "string"]),
    closeCounts: core.cwrap("page_close_counts", null, ["number"]),
    countsStatus: core.cwrap("page_counts_status", "number", ["number"]),
    chartOptions: core.cwrap("page_chart_options", "number", ["number"]),
    switchChartOption: core.cwrap("page_switch_chart_option", "number", ["number", "number", "number"]),
    setViewSwitch: core.cwrap("page_set_view_switch", "number", ["number", "string", "number"]),
    legendAt: core.cwrap("page_legend_at", "number", ["number", "number", "number"]),
  });
}

function showCountsStatus(words, refused) {
  $("counts-status").textContent = words;
  $("counts-status").parentElement.classList.toggle("refused", refused);
}

// Called once the core is loaded, before the address is read.
function setupCounts() {
  countsApi();
  counts.table = JSON.parse(core.UTF8ToString(api.countsTable(page)));
  for (const [id, names] of [["c-data_series", counts.table.measures], ["c-fit_objective", counts.table.objectives]]) {
    for (const name of names) $(id).append(new Option(name, name));
  }
  for (const name of [...COUNTS_LINES, "fit_objective"]) {
    const control = $("c-" + name);
    control.addEventListener("change", () => setCountsLine(name, control.value));
  }
  for (const field of counts.table.fields) {
    const label = document.createElement("label");
    const box = document.createElement("input");
    box.type = "checkbox";
    box.id = "fit-" + field.name;
    box.dataset.mode = String(field.mode);
    box.addEventListener("change", () => setCountsLine("fit", fitFieldsTicked()));
    label.append(box, " " + field.name);
    $("fit-fields").append(label);
  }
  tickFitFields(counts.table.default_fit);
  $("fit-counts").addEventListener("click", fitCounts);
  $("close-counts").addEventListener("click", () => {
    api.closeCounts(page);
    counts.link.clear();
    counts.file = null;
    counts.wanted = "";
    counts.refused = null;
    for (const name of [...COUNTS_LINES, "fit_objective"]) $("c-" + name).value = name === "data_series" ? counts.table.measures[0] : name === "fit_objective" ? counts.table.objectives[0] : "";
    tickFitFields(counts.table.default_fit);
    $("fit-result").textContent = "";
    $("close-counts").disabled = true;
    $("fit-counts").disabled = true;
    showCountsStatus("none opened", false);
    changed();
  });
  $("open-counts").addEventListener("change", (event) => {
    const file = event.target.files[0];
    event.target.value = "";  // the same file again is a new choice
    if (file) openCounts(file);
  });
  setupChartOptions();
}

function tickFitFields(names) {
  const ticked = names.split(",");
  for (const field of counts.table.fields) $("fit-" + field.name).checked = ticked.includes(field.name);
}
function fitFieldsTicked() {
  const box = (field) => $("fit-" + field.name);
  return counts.table.fields.filter((field) => box(field).checked && !box(field).parentElement.hidden)
    .map((field) => field.name).join(",");
}

// A line of the link; refused, the control shows the line the core holds.
function setCountsLine(name, text) {
  if (api.setCountsLine(page, name, text)) {
    if (text === "") counts.link.delete(name); else counts.link.set(name, text);
    if (counts.file) showCountsStatus(`${counts.file.name} opened`, false);
    // A file refused (several count columns, say) is read again with the line.
    if (counts.refused && !counts.file) openCountsText(counts.refused.name, counts.refused.text);
    changed();
    return true;
  }
  showCountsStatus(`${name} = ${text} not taken: ${core.UTF8ToString(api.refusal(page))}`, true);
  const control = $("c-" + name);
  if (control && control.tagName !== "SELECT") control.value = counts.link.get(name) || "";
  return false;
}

// A dropped file is counts when it is named .csv or its first line names a
// day or date column (separated by commas, semicolons or tabs); a scenario
// otherwise.
async function isCountsFile(file) {
  if (/\.csv$/i.test(file.name)) return true;
  if (/\.morbilex$/i.test(file.name)) return false;
  const head = (await file.slice(0, 200).text()).split(/\r?\n/)[0].toLowerCase();
  const cells = head.split(/[,;\t]/).map((cell) => cell.trim().replace(/^"(.*)"$/, "$1"));
  return cells.length > 1 && cells.some((cell) => ["day", "date"].includes(cell));
}

const LARGEST_COUNTS_FILE = 1 << 22;
async function openCounts(file) {
  if (!api) return;
  if (file.size > LARGEST_COUNTS_FILE) {
    showCountsStatus(`${file.name} not opened: larger than 4 MB`, true);
    return;
  }
  openCountsText(file.name, await file.text());
}

// Counts read by the core from their CSV text, named name.
function openCountsText(name, text) {
  const bytes = new TextEncoder().encode(text);
  core.HEAPU8.set(bytes, api.inputBuffer(page, bytes.length));
  if (!api.openCounts(page, name)) {
    showCountsStatus(`${name} not opened: ${core.UTF8ToString(api.refusal(page))}`, true);
    counts.refused = { name, text };
    return;
  }
  counts.refused = null;
  counts.file = { name, text };
  counts.wanted = "";
  $("close-counts").disabled = false;
  $("fit-counts").disabled = false;
  showCountsStatus(`${name} opened`, false);
  changed();
}

// The link lines of a scenario opened (values: its "name = value" lines;
// rows: the CSV lines of the counts it keeps, if any): taken into the
// controls; counts it does not keep are asked for by their file's name.
function openedCountsLink(values, rows) {
  for (const name of [...COUNTS_LINES, "fit_objective"]) {
    const text = values.get(name) || "";
    $("c-" + name).value = text || (name === "data_series" ? counts.table.measures[0] : name === "fit_objective" ? counts.table.objectives[0] : "");
    if (text !== "" || counts.link.has(name)) setCountsLine(name, text);
  }
  tickFitFields(values.get("fit") || counts.table.default_fit);
  if (values.has("fit")) setCountsLine("fit", values.get("fit"));
  const data = values.get("data") || "";
  if (rows.length) {
    openCountsText(data.split(/[\\/]/).pop() || "counts kept in the scenario", rows.join("\n") + "\n");
  } else if (data !== "" && (!counts.file || counts.file.name !== data.split(/[\\/]/).pop())) {
    counts.wanted = data;
    showCountsStatus(`the scenario's counts are in ${data}: open or drop that file`, false);
  }
}

function countsLinkNames() {
  return counts.table ? [...counts.table.link, counts.table.row] : [];
}
// The CSV lines of the counts a scenario's "name = value" lines keep.
function keptCountsRows(text) {
  const start = counts.table.row + " = ";
  return text.split("\n").filter((line) => line.startsWith(start)).map((line) => line.slice(start.length));
}

// After every run: the counts' objective and RMSE beside the status.
// The fields of another mode are not offered.
function showCountsFigures() {
  const shown = mode();
  for (const field of counts.table.fields) {
    const box = $("fit-" + field.name);
    box.parentElement.hidden = field.mode !== 0 && field.mode !== shown;
  }
  if (!counts.file) return;
  const status = core.UTF8ToString(api.countsStatus(page));
  showCountsStatus(`${counts.file.name} opened${status ? ": " + status : ""}`, false);
}

// The fit, in a worker with its own copy of the scenario: the fitted values
// come back into the fields and are run.
function fitCounts() {
  if (!counts.file || counts.worker) return;
  const fields = [...scenarioParams()].filter(([name]) => name !== "mode" && name !== "fit" && name !== "range");
  const link = [...counts.link].filter(([name]) => name !== "fit");
  link.push(["fit", fitFieldsTicked() || counts.table.default_fit]);
  $("fit-counts").disabled = true;
  $("fit-result").textContent = "Fitting…";
  document.body.dataset.fitting = "1";
  const began = performance.now();
  counts.worker = new Worker("fit-worker.js");
  counts.worker.onmessage = (event) => {
    counts.worker.terminate();
    counts.worker = null;
    $("fit-counts").disabled = false;
    delete document.body.dataset.fitting;
    const answer = event.data;
    if (answer.kind === "refused") {
      $("fit-result").textContent = "Not fitted: " + answer.message;
      return;
    }
    const [result, values] = answer.text.split("\n\n");
    $("fit-result").textContent = result;
    for (const line of values.split("\n").filter((line) => line !== "")) {
      const [name, value] = line.split(" = ");
      if (name === "reporting") {
        $("c-reporting").value = value;
        setCountsLine("reporting", value);
      } else {
        setFieldText(name, value);
      }
    }
    timings.fit = performance.now() - began;  // the worker's start and its module's load included
    document.body.dataset.fits = String((Number(document.body.dataset.fits) || 0) + 1);
    changed();
  };
  counts.worker.postMessage({ fields, mode: mode(), link, counts: counts.file });
}

// The chart's options: a check box each, a click on a legend line, and the
// link's switches; the core says which option does what and when the axes
// are fitted again.
function setupChartOptions() {
  for (const line of core.UTF8ToString(api.chartOptions(page)).split("\n").filter((l) => l !== "")) {
    const [command, label, name, on] = line.split("\t");
    counts.options.push({ command: Number(command), label, name, initial: on === "1" });
    const wrap = document.createElement("label");
    const box = document.createElement("input");
    box.type = "checkbox";
    box.id = "v-" + name;
    box.checked = on === "1";
    box.addEventListener("change", () => switchChartOption(Number(command)));
    wrap.append(box, " " + label);
    $("chart-options").append(wrap);
  }
  chartCanvas.addEventListener("click", (event) => {
    if (!lastRun.drawn) return;
    const rect = chartCanvas.getBoundingClientRect();
    const { ratio } = chartSize();
    const compartment = api.legendAt(page, Math.round((event.clientX - rect.left) * ratio),
                                     Math.round((event.clientY - rect.top) * ratio));
    if (compartment >= 0) switchChartOption(counts.options[0].command + compartment);
  });
}

function showChartOptions() {
  for (const line of core.UTF8ToString(api.chartOptions(page)).split("\n").filter((l) => l !== "")) {
    const [, , name, on] = line.split("\t");
    $("v-" + name).checked = on === "1";
  }
}

function switchChartOption(command) {
  if (api.switchChartOption(page, command, fitting() ? 1 : 0) && lastRun.drawn) showScale(api.fit(page));
  showChartOptions();
  changed();
}

// The options that differ from the view's defaults, as the link keeps them.
function chartOptionParams(params) {
  for (const option of counts.options) {
    const on = $("v-" + option.name).checked;
    if (on !== option.initial) params.set(option.name, on ? "1" : "0");
  }
}
function restoreChartOptions(params) {
  for (const option of counts.options) {
    if (params.has(option.name)) api.setViewSwitch(page, option.name, params.get(option.name) === "1" ? 1 : 0);
  }
  showChartOptions();
}
function chartOptionNames() {
  return counts.options.map((option) => option.name);
}
