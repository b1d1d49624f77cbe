// A sweep's shard in its own thread: the core's sweep runner posts the sums
// of the picture's cells its scenarios fell in, or the CSV rows when asked,
// as it finishes them.
"use strict";
importScripts("morbilex.js");

const ready = MorbilexCore();

onmessage = async (event) => {
  const core = await ready;
  const { fields, mode, axes, width, height, font, shard, rows } = event.data;
  const call = (name, ret, types, ...args) => core.ccall(name, ret, types, args);
  const page = call("page_sweep_create", "number", []);
  const refused = () => postMessage({ kind: "refused", message: core.UTF8ToString(call("page_sweep_refusal", "number", ["number"], page)) });
  for (const [name, value] of fields) {
    // The text goes through the core's heap: a pasted field may be long.
    const bytes = new TextEncoder().encode(value);
    core.HEAPU8.set(bytes, call("page_sweep_input_buffer", "number", ["number", "number"], page, bytes.length));
    if (!call("page_sweep_set_field", "number", ["number", "string"], page, name)) return refused();
  }
  call("page_sweep_begin", null, ["number", "number"], page, mode);
  for (const axis of axes) {
    if (!call("page_sweep_axis", "number", ["number", "string"], page, axis)) return refused();
  }
  call("page_sweep_cells", "number", ["number", "number", "number", "number"], page, width, height, font);
  const header = core.UTF8ToString(call("page_sweep_header", "number", ["number"], page));
  postMessage({ kind: "start", header });
  if (!call("page_sweep_run", "number", ["number", "number", "number", "number"], page, shard[0], shard[1], rows ? 1 : 0)) return refused();
  postMessage({ kind: "done" });
};
