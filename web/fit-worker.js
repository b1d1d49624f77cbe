// A fit to observed counts in its own thread: the scenario's fields, its
// mode, the counts' link and file go to a page of the core's own, which runs
// the scenario and fits; the result's text comes back.
"use strict";
importScripts("morbilex.js");

const ready = MorbilexCore();

onmessage = async (event) => {
  const core = await ready;
  const { fields, mode, link, counts } = event.data;
  const call = (name, ret, types, ...args) => core.ccall(name, ret, types, args);
  const page = call("page_create", "number", []);
  // Texts go through the core's heap: a pasted field may be long.
  const input = (text) => {
    const bytes = new TextEncoder().encode(text);
    const pointer = call("page_input_buffer", "number", ["number", "number"], page, bytes.length);
    core.HEAPU8.set(bytes, pointer);
    return pointer;
  };
  const refused = () => postMessage({ kind: "refused", message: core.UTF8ToString(call("page_refusal", "number", ["number"], page)) });
  for (const [name, value] of fields) call("page_set_field", "number", ["number", "string", "number"], page, name, input(value));
  input(counts.text);
  if (!call("page_open_counts", "number", ["number", "string"], page, counts.name)) return refused();
  for (const [name, text] of link) {
    if (!call("page_set_counts_line", "number", ["number", "string", "string"], page, name, text)) return refused();
  }
  const status = call("page_run", "number", ["number", "number"], page, mode);
  if (status === 1 || status === 2) return refused();
  const text = call("page_fit_counts", "number", ["number"], page);
  if (!text) return refused();
  postMessage({ kind: "fitted", text: core.UTF8ToString(text) });
};
