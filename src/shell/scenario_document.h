// Scenario files: the values the dialogs edit, the mode and (for the
// remembered settings) the view options, as "name = value" lines named like
// morbilex-batch's options. Text in, records out, and back: no files here.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
// Counts kept in the scenario itself: each line of their CSV, the header
// first, as a "data_row = LINE" line (the one name given more than once).
// They are read in place of the file "data" names, which then only says
// where they came from.
inline constexpr const char* COUNTS_ROW_NAME = "data_row";
using CountsLink = std::vector<std::pair<std::string, std::string>>;
// A scenario file is read up to this size; counts kept in one, up to half of it.
inline constexpr std::size_t LARGEST_SCENARIO_DOCUMENT = std::size_t{16} << 20;
inline constexpr std::size_t LARGEST_KEPT_COUNTS = LARGEST_SCENARIO_DOCUMENT / 2;

// Whether the link keeps its counts' rows, and their CSV text (a line each).
bool counts_rows_kept(const CountsLink& link);
std::string counts_rows_text(const CountsLink& link);
// Puts the lines of a counts CSV into the link as its rows, in place of any
// it held (blank lines and a byte order mark left out); false, and the link
// unchanged, for a text over LARGEST_KEPT_COUNTS.
bool keep_counts_rows(CountsLink& link, std::string_view csv);
void drop_counts_rows(CountsLink& link);

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
// repeated name (data_row aside), a line without '=', and a value the field's dialog would
// refuse.
bool read_scenario_document(std::string_view text, Records& records, InterventionMode& mode,
                            std::string& error, ViewSwitches view = {});

}  // namespace morbilex
