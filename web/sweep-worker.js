// A sweep's shard in its own thread: the core's sweep runner posts each
// block's metric values, and CSV rows when asked, as it finishes them.
"use strict";
importScripts("morbilex.js");

const ready = MorbilexCore();

onmessage = async (event) => {
  const core = await ready;
  const { fields, mode, axes, metric, shard, rows } = event.data;
  const call = (name, ret, types, ...args) => core.ccall(name, ret, types, args);
  const page = call("page_create", "number", []);
  for (const [name, value] of fields) call("page_set_field", "number", ["number", "string", "string"], page, name, value);
  const refused = () => postMessage({ kind: "refused", message: core.UTF8ToString(call("page_refusal", "number", ["number"], page)) });
  if (!call("page_sweep_begin", "number", ["number", "number", "string"], page, mode, metric)) return refused();
  for (const axis of axes) {
    if (!call("page_sweep_axis", "number", ["number", "string"], page, axis)) return refused();
  }
  const shape = axes.map((text, k) => {
    const count = call("page_sweep_points", "number", ["number", "number"], page, k);
    return { name: text.split("=")[0], count,
             first: call("page_sweep_value", "number", ["number", "number", "number"], page, k, 0),
             last: call("page_sweep_value", "number", ["number", "number", "number"], page, k, count - 1) };
  });
  const header = core.UTF8ToString(call("page_sweep_header", "number", ["number"], page));
  const size = call("page_sweep_size", "number", ["number"], page);
  postMessage({ kind: "start", header, size, shape });
  const run = call("page_sweep_run", "number", ["number", "number", "number", "number"], page, shard[0], shard[1], rows ? 1 : 0);
  if (!run) return refused();
  postMessage({ kind: "done" });
};
