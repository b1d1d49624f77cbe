// Scenario files: the values the dialogs edit, the mode and (for the
// remembered settings) the view options, as "name = value" lines named like
// morbilex-batch's options. Text in, records out, and back: no files here.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/records.h"

namespace morbilex {

inline constexpr const char* SCENARIO_FILE_EXTENSION = ".morbilex";

// A switch of the view kept beside the scenario in the remembered settings,
// "name = 0" or "name = 1": the view names its switches and owns their values.
struct ViewSwitch {
    const char* name;
    bool* value;
};
using ViewSwitches = std::span<const ViewSwitch>;
// The names of the lines that link observed counts to a scenario (kept as
// text in records.counts_link, each at most once).
inline constexpr const char* COUNTS_LINK_NAMES[] = {"data",          "data_series",  "data_column",
                                                    "data_day_zero", "population",   "reporting",
                                                    "fit",           "fit_objective"};

// The document of records: every field the dialogs read back (R_0, ...,
// xmin, ..., ymax), the mode when a run has been calculated, and the view's
// switches given. Numbers are the shortest texts that read back to
// the very same values.
// remembered (the settings kept between sessions) adds the scenario file last
// opened or saved.
std::string write_scenario_document(const Records& records, ViewSwitches view = {},
                                    bool remembered = false);

// Reads a document into records, all or nothing. A name not given keeps its
// default (a view switch: its value as it stands); a view switch's name is
// known when the switch is given. '#' starts a comment line,
// blank lines and a leading byte order mark are skipped. A field's value is
// read as its dialog reads the field's text (read_field_text): "3 days" is 3.
// mode is set to the document's mode, or MODE_NOTHING_CALCULATED without
// one; records.mode is left alone. False, with one line naming the line and
// the field (the text given quoted, cut and escaped), for an unknown or
// repeated name, a line without '=', and a value the field's dialog would
// refuse.
bool read_scenario_document(std::string_view text, Records& records, InterventionMode& mode,
                            std::string& error, ViewSwitches view = {});

}  // namespace morbilex
