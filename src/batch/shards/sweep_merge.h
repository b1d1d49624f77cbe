// Joins the files of a sweep's shards (CSV or JSON Lines) into one file in
// run_id order, streaming: each file is read once, a block at a time, with
// only a few of them open at once (see shard_reader.h).
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
//
// When the inputs have manifests (IN.manifest; all or none of them), the merge
// is proven whole: the shards must be of one sweep, each given once, each
// holding the rows its manifest counts and only run_ids of its shards, and
// every shard must be there ("missing shards: 3,7-9 of 16"). OUT.manifest
// then tells what OUT holds (shard 1/1 when all). partial lets shards (and
// run_ids) be missing, for merging the merged files later.
bool merge_shard_files(const std::string& output, const std::vector<std::string>& inputs,
                       bool partial, std::string& error);

}  // namespace morbilex::batch
