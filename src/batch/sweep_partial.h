// A sweep's rows kept and taken up again: OUTPUT.partial and its manifest
// when a signal stops the sweep, and --resume from them.
#pragma once

#include <string>

#include "analysis/sweep_grid.h"
#include "batch/compressed_output.h"
#include "batch/output_file.h"
#include "batch/sweep_manifest.h"
#include "batch/sweep_options.h"
#include "batch/sweep_rows.h"

namespace morbilex::batch {

// The manifest of this sweep's output; rows < 0: the shard's whole count.
SweepManifest manifest_of(const AnalysisOptions& options, const SweepPlan& plan, long long rows);

// The status of a run ended by a signal: 128 + the signal, as a shell tells it.
int interrupted_status();
// "interrupted by SIGTERM".
std::string interrupted_text();

// Where --resume starts: from OUTPUT.partial when there is one; else from
// the first row, or nowhere when OUTPUT holds this whole shard already, as
// its manifest says (note tells which).
enum class ResumeStart { FromPartial, FromStart, Complete };
ResumeStart resume_start(const AnalysisOptions& options, const SweepPlan& plan,
                         const std::string& partial, std::string& note);

// Starts out with the rows of OUTPUT.partial when it belongs to this sweep:
// its manifest names this sweep, format and shard, and its rows are the
// shard's first ones in order, as many as the manifest says.
bool resume_from(const AnalysisOptions& options, const SweepPlan& plan, const std::string& partial,
                 CompressedOutput& out, SweepProgress& progress, std::string& error);

// An interrupted sweep: the rows written go to OUTPUT.partial with their
// manifest, and the output stays as it was. Returns the exit status.
int keep_partial(const AnalysisOptions& options, const SweepPlan& plan, PendingOutput& file,
                 bool flushed, const SweepProgress& progress, std::string& error);

// False with the reason when the output holds another shard of this sweep:
// the tasks of a job array all given one --output would replace each other.
bool check_other_shard(const AnalysisOptions& options, const SweepPlan& plan, std::string& error);

}  // namespace morbilex::batch
