#include "explore/bands_export.h"

#include "analysis/scenario_setup.h"
#include "explore/view_commands.h"

namespace morbilex {
namespace {

constexpr FileType BANDS_TYPES[] = {
    {"Bands (CSV)", "csv"},
    {"Bands, compressed (CSV, gzip)", "csv.gz"},
};

bool compressed_type(std::span<const FileType> types, int type) {
    return type >= 0 && type < static_cast<int>(types.size()) &&
           std::string_view(types[static_cast<std::size_t>(type)].extension) == "csv.gz";
}

}  // namespace

std::span<const FileType> bands_file_types(bool compressed) {
    return std::span<const FileType>(BANDS_TYPES).first(compressed ? 2 : 1);
}

bool bands_file_text(const Records& records, const ExplorerRanges& ranges, std::string& text,
                     std::string& reason) {
    if (records.mode < 0) {
        reason = "There is no run yet: calculate one first (Ctrl+N).";
        return false;
    }
    if (ranges.empty()) {
        reason = "There are no bands: give a field a range first (the button beside its slider).";
        return false;
    }
    const EnsemblePlan plan = explorer_plan(records, ranges);
    ScenarioRefusal refused;
    EnsembleResult result;
    // Every compartment, whatever the chart shows, as morbilex-batch writes them.
    const EnsembleSettings settings;
    if (!ranges_acceptable(plan, refused) || !run_ensemble(plan, settings, result, refused)) {
        reason =
            "The ranges give no bands: " + (refused.cause == ScenarioRefusal::Cause::NotIntegrable
                                                ? std::string("a sample cannot be integrated")
                                                : refused_field_text(refused));
        return false;
    }
    text = bands_csv_text(result);
    return true;
}

void export_bands(ExplorerContext& context) {
    FrontEnd& front_end = context.commands.front_end;
    std::string text, reason;
    if (!bands_file_text(context.commands.records, context.explorer.uncertainty.ranges, text,
                         reason)) {
        front_end.show_file_message(EXPORT_BANDS_CAPTION, reason, true);
        return;
    }
    const auto types = bands_file_types(context.host.can_compress());
    std::string path;
    int type = 0;
    if (!front_end.choose_save_file(EXPORT_BANDS_CAPTION, BANDS_FILE_NAME, types, path, type))
        return;
    path = picture_path_with_type(path, types, type);
    std::string bytes;
    if (compressed_type(types, type)) {
        if (!context.host.compress(text, bytes)) {
            front_end.show_file_message(EXPORT_BANDS_CAPTION,
                                        path + ": the bands could not be compressed.", true);
            return;
        }
    } else {
        bytes = std::move(text);
    }
    std::string error;
    if (!write_whole_file(path, bytes, error))
        front_end.show_file_message(EXPORT_BANDS_CAPTION, error, true);
}

}  // namespace morbilex
