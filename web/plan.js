// Plans against a limit: the capacity's series (the capacity itself is a
// field of the core's table; the series is in the address as
// capacity_series=), the notes beside the figures with T_max extended until
// the epidemic ends, and the search for a plan under the capacity in a
// worker (plan-worker.js). The core tells the finding, paints its front and
// puts a plan into the scenario; the page types that scenario into its
// fields and runs it.
"use strict";

const CAPACITY_SERIES = "capacity_series";
let planApi = null, planWorker = null, planBegan = 0, extendMessage = "";

function planCore() {
  if (planApi === null) {
    const wrap = (name, ret, types) => core.cwrap(name, ret, types);
    planApi = {
      capacitySeries: wrap("page_capacity_series", "number", ["number"]),
      notes: wrap("page_notes", "number", ["number"]),
      stillRunning: wrap("page_still_running", "number", ["number"]),
      extend: wrap("page_extend", "number", ["number"]),
      adopt: wrap("page_plan_adopt", "number", ["number"]),
      lines: wrap("page_plan_lines", "number", ["number"]),
      front: wrap("page_plan_front", "number", ["number"]),
      paint: wrap("page_plan_paint", "number", ["number", "number", "number", "number"]),
      commandsSize: wrap("page_plan_commands_size", "number", ["number"]),
      commandsText: wrap("page_plan_commands_text", "number", ["number"]),
      pointAt: wrap("page_plan_point_at", "number", ["number", "number", "number", "number", "number"]),
      load: wrap("page_load_plan", "number", ["number", "number"]),
      mark: wrap("page_plan_mark", null, ["number", "number"]),
    };
  }
  return planApi;
}

// The capacity's series, as the core names them, the first the default.
function fillCapacitySeries() {
  const select = $("capacity-series");
  if (select.options.length) return;
  for (const line of core.UTF8ToString(planCore().capacitySeries(page)).split("\n")) {
    const [name, label] = line.split("\t");
    if (label !== undefined) select.add(new Option(label, name));
  }
}

// The series given when it is not the first (the infectious, the default).
function capacityParams(params) {
  if ($("capacity-series").selectedIndex > 0) params.set(CAPACITY_SERIES, $("capacity-series").value);
}

// A series the page does not know is kept, for the core to refuse in words.
function setCapacitySeries(series) {
  fillCapacitySeries();
  const select = $("capacity-series");
  if (series && ![...select.options].some((option) => option.value === series)) select.add(new Option(series, series));
  select.value = series || select.options[0].value;
}

function restoreCapacity(params) {
  setCapacitySeries(params.get(CAPACITY_SERIES));
}

$("capacity-series").addEventListener("change", changed);

// The notes beside the figures; Extend while the run is still running.
function showRunNotes() {
  const api = planCore();
  const lines = core.UTF8ToString(api.notes(page)).split("\n").filter((line) => line !== "");
  $("notes").replaceChildren(...lines.map((line) => {
    const item = document.createElement("li");
    item.textContent = line;
    return item;
  }));
  $("extend").hidden = !api.stillRunning(page);
  $("extend-status").textContent = extendMessage;
  extendMessage = "";
}

$("extend").addEventListener("click", () => {
  if (!lastRun.drawn) return;
  const [tMax, words] = coreText(planCore().extend(page)).split("\n");
  if (words === undefined) return;
  extendMessage = words;
  setFieldText("T_max", tMax);
  changed();
});

// The search: the scenario as the address holds it, in the worker.
function findPlan() {
  if (!planWorker) {
    planWorker = new Worker("plan-worker.js");
    planWorker.onmessage = (event) => planMessage(event.data);
    planWorker.onerror = (event) => planMessage({ kind: "refused", message: event.message || "the search stopped" });
  }
  const fields = [...scenarioParams()].filter(([name]) => name !== "mode" && name !== "fit" && name !== "range");
  $("plan-find").disabled = true;
  $("plan-status").textContent = "Searching…";
  planBegan = performance.now();
  planWorker.postMessage({ fields, mode: mode() });
}

function planMessage(message) {
  $("plan-find").disabled = false;
  if (message.kind === "refused") {
    $("plan-status").textContent = "Not searched: " + message.message;
    return;
  }
  core.HEAPU8.set(message.bytes, api.inputBuffer(page, message.bytes.length));
  if (!planCore().adopt(page)) {
    $("plan-status").textContent = "Not searched: the search's answer was not read";
    return;
  }
  timings.planMs = performance.now() - planBegan;
  timings.planSearchMs = message.ms;
  showFinding();
  $("plan-status").textContent = `Searched in ${(message.ms / 1000).toFixed(2)} s.`;
  document.body.dataset.plans = String((Number(document.body.dataset.plans) || 0) + 1);
}

function showFinding() {
  const api = planCore();
  const lines = core.UTF8ToString(api.lines(page)).split("\n").filter((line) => line !== "");
  $("plan-lines").replaceChildren(...lines.map((line) => {
    const p = document.createElement("p");
    p.textContent = line;
    return p;
  }));
  const choice = $("plan-choice");
  choice.replaceChildren();
  core.UTF8ToString(api.front(page)).split("\n").filter((line) => line !== "").forEach((line, k) => {
    const [words, days, peak] = line.split("\t");
    const text = `${k === 0 ? "best: " : ""}${words}; ${Number(days).toFixed(2)} days, peak ${Number(peak).toFixed(2)}`;
    choice.add(new Option(text, String(k)));
  });
  choice.disabled = $("plan-load").disabled = choice.options.length === 0;
  $("plan-front").hidden = choice.options.length === 0;
  drawFront();
}

function frontSize() {
  return ChartCommands.canvasSize($("plan-front"));
}

function drawFront() {
  if ($("plan-front").hidden) return;
  const api = planCore();
  const { canvas, width, height, font } = frontSize();
  const pointer = api.paint(page, width, height, font);
  ChartCommands.paintCanvas(canvas, width, height, coreDrawing(pointer, api.commandsSize(page), api.commandsText(page)));
}

// A plan of the front put into the scenario by the core, typed into the
// fields (the scale left alone while the axes are fitted) and run.
function loadPlan(index) {
  const text = coreText(planCore().load(page, index));
  if (!text) return;
  typeScenarioValues(documentValues(text));
  $("plan-choice").value = String(index);
  $("plan-status").textContent = "Loaded: " + $("plan-choice").selectedOptions[0].text;
  drawFront();
  changed();
}

$("plan-find").addEventListener("click", findPlan);
// The plan chosen in the list is marked on the front.
$("plan-choice").addEventListener("change", () => {
  planCore().mark(page, Number($("plan-choice").value));
  drawFront();
});
$("plan-load").addEventListener("click", () => loadPlan(Number($("plan-choice").value)));
// The plan of the front's point under the pointer; -1 when none is near.
function frontPointAt(event) {
  const { canvas, ratio, width, height } = frontSize();
  const box = canvas.getBoundingClientRect();
  return planCore().pointAt(page, width, height, Math.round((event.clientX - box.left) * ratio),
                            Math.round((event.clientY - box.top) * ratio));
}
$("plan-front").addEventListener("click", (event) => {
  const index = frontPointAt(event);
  if (index >= 0) loadPlan(index);
});
$("plan-front").addEventListener("pointermove", (event) => {
  const index = frontPointAt(event);
  $("plan-readout").textContent = index >= 0 ? $("plan-choice").options[index].text : "";
});
$("plan-front").addEventListener("keydown", (event) => {
  if (event.key !== "Enter" && event.key !== " ") return;
  event.preventDefault();
  if (!$("plan-load").disabled) loadPlan(Number($("plan-choice").value));
});
window.addEventListener("resize", () => { if (core) drawFront(); });
