// The plan search in its own thread, so that the page keeps answering: the
// scenario typed into a page of its own, its run, then the core's search,
// whose finding goes back to the page as bytes its module takes.
"use strict";
importScripts("morbilex.js");

const ready = MorbilexCore();
let core = null, page = 0;

onmessage = async (event) => {
  core = await ready;
  const { fields, mode } = event.data;
  const call = (name, ret, types, ...args) => core.ccall(name, ret, types, args);
  if (!page) page = call("page_create", "number", []);
  call("page_clear_fields", null, ["number"], page);
  for (const [name, value] of fields) {
    // The text goes through the core's heap: a pasted field may be long.
    const bytes = new TextEncoder().encode(value);
    const pointer = call("page_input_buffer", "number", ["number", "number"], page, bytes.length);
    core.HEAPU8.set(bytes, pointer);
    call("page_set_field", "number", ["number", "string", "number"], page, name, pointer);
  }
  call("page_run", "number", ["number", "number"], page, mode);
  const began = performance.now();
  if (!call("page_find_plan", "number", ["number"], page)) {
    postMessage({ kind: "refused", message: core.UTF8ToString(call("page_refusal", "number", ["number"], page)) });
    return;
  }
  const ms = performance.now() - began;
  const pointer = call("page_plan_bytes", "number", ["number"], page);
  const bytes = core.HEAPU8.slice(pointer, pointer + call("page_text_size", "number", ["number"], page));
  postMessage({ kind: "found", bytes, ms }, [bytes.buffer]);
};
