// View > Export bands...: the ensemble's bands of every compartment as a CSV
// file (gzip-compressed when its name ends in .gz), the very bytes
// morbilex-batch --bands writes for the same scenario and ranges.
#pragma once

#include <span>
#include <string>

#include "explore/uncertainty.h"
#include "shell/result_saving.h"

namespace morbilex {

struct ExplorerContext;

inline constexpr const char* EXPORT_BANDS_CAPTION = "Export Bands";
inline constexpr const char* BANDS_FILE_NAME = "bands.csv";

// The bands file's types: CSV, and compressed CSV where the program can compress.
std::span<const FileType> bands_file_types(bool compressed);

// The bands of S, E, I and R over the ranges for the records' run on screen,
// as CSV text; false with the reason (no run, no range, a refused end).
bool bands_file_text(const Records& records, const ExplorerRanges& ranges, std::string& text,
                     std::string& reason);

// Asks for the file through the front end's save dialog and writes it whole,
// or tells why there is nothing to export or why it could not be written.
void export_bands(ExplorerContext& context);

}  // namespace morbilex
