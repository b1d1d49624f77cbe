// Joins the files of a sweep's shards (CSV or JSON Lines) into one file in
// run_id order, streaming: each file is read once, row by row.
#pragma once

#include <string>
#include <vector>

namespace morbilex::batch {

// Refuses, with a one-line reason that starts "--merge=OUT: " and names the
// file (and line): an empty file, files whose headers (or, for JSON Lines,
// keys) differ, a blank line, a row cut short (CSV: fewer fields than the
// header; JSON Lines: not one whole object), rows out of run_id order within
// a file, a run_id that comes twice, and run_ids missing below the largest
// one (all of them, as ranges). OUT is written whole or not at all.
bool merge_shard_files(const std::string& output, const std::vector<std::string>& inputs,
                       std::string& error);

}  // namespace morbilex::batch
