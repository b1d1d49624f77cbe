// morbilex-batch: one run of the model from the command line, for scripts and
// tests. The fields go through the same dialog protocol as in the windowed
// programs; unlike them, every refusal and failure is reported.
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "batch/batch_options.h"
#include "model/simulation.h"
#include "shell/dialogs.h"
#include "shell/messages.h"

#ifndef MORBILEX_BATCH_CHART
#define MORBILEX_BATCH_CHART 0  // set by the build once it knows
#endif
#if MORBILEX_BATCH_CHART
#include "chart/chart.h"
#include "qt/chart_export.h"
#endif

namespace morbilex::batch {
namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_WRONG_OPTION = 2;

// One line on standard error, then the exit status.
int fail(const std::string& reason, int status = EXIT_FAILED) {
    std::fprintf(stderr, "morbilex-batch: %s\n", reason.c_str());
    return status;
}

// A dialog without a window: what the user sees and types, by control id.
class TypedControls : public DialogControls {
public:
    void set_text(int control_id, const char* text) override { texts_[control_id] = text; }
    std::string get_text(int control_id) override {
        return texts_[control_id].substr(0, DIALOG_TEXT_CAPACITY - 1);
    }

private:
    std::map<int, std::string> texts_;
};

const char* refusal_words(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::EmptyField:
            return "the field is empty";
        case RefusalReason::NoNumber:
            return "no finite number at the start of the text";
        case RefusalReason::NotAboveZero:
            return "a period must be above zero";
        case RefusalReason::NegativeValue:
            return "an initial value must not be negative";
        case RefusalReason::None:
            break;
    }
    return "refused";
}

std::string describe_refusal(const DialogTable& table, const Refusal& refusal,
                             const BatchRequest& request) {
    const FieldSpec* field = find_field(table, refusal.control_id);
    const std::string name = field ? field->name : "?";
    for (const TypedField& typed : request.typed) {
        if (typed.field == field) {
            return "--" + name + "=" + typed.text + " refused: " + refusal_words(refusal.reason);
        }
    }
    return "--" + name + " (not given, left as shown) refused: " + refusal_words(refusal.reason);
}

// Opens each dialog that has typed fields, types them and presses OK.
bool apply_dialogs(Records& records, const BatchRequest& request, std::string& error) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        const DialogTable& table = dialog_table(kind);
        TypedControls controls;
        bool opened = false;
        for (const TypedField& typed : request.typed) {
            if (typed.dialog != kind) continue;
            if (!opened) show_dialog_fields(table, records, controls);
            opened = true;
            controls.set_text(typed.field->control_id, typed.text.c_str());
        }
        Refusal refusal;
        if (opened && accept_dialog(table, records, controls, &refusal) == AcceptResult::Refused) {
            error = describe_refusal(table, refusal, request);
            return false;
        }
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The run, with its trace kept aside until every output can be written.
bool run_into(Records& records, InterventionMode mode, std::FILE* trace, std::string& error) {
    records.mode = mode;
    const int result = run_simulation_to_stream(records, mode, trace);
    if (result == RUN_COMPLETED) return true;
    error = result == RUN_REFUSED ? run_failure_text(RUN_REFUSED)
                                  : "the trace could not be kept in a temporary file";
    return false;
}

bool copy_stream(std::FILE* from, std::FILE* to) {
    std::rewind(from);
    char block[64 * 1024];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, from)) > 0) {
        if (std::fwrite(block, 1, count, to) != count) return false;
    }
    return !std::ferror(from) && std::fflush(to) == 0;
}

bool write_trace(std::FILE* trace, const std::string& path, std::string& error) {
    if (path.empty()) {
        if (copy_stream(trace, stdout)) return true;
        error = "the trace could not be written to standard output";
        return false;
    }
    std::FILE* out = std::fopen(path.c_str(), "w");
    bool written = out != nullptr && copy_stream(trace, out);
    if (out != nullptr) written = std::fclose(out) == 0 && written;
    if (written) return true;
    if (out != nullptr) std::remove(path.c_str());
    error = "--trace=" + path + ": the file could not be written";
    return false;
}

bool chart_export_available() {
    return MORBILEX_BATCH_CHART != 0;
}

bool write_chart(Records& records, const BatchRequest& request, std::string& error) {
#if MORBILEX_BATCH_CHART
    SeriesColours colours;
    init_series_colours(colours);
    std::string reason;
    std::error_code ignored;
    const bool existed = std::filesystem::exists(request.chart_path, ignored);
    if (export_chart(records, colours, request.chart_path, request.chart_width,
                     request.chart_height, reason)) {
        return true;
    }
    if (!existed) std::filesystem::remove(request.chart_path, ignored);
    error = "--chart=" + request.chart_path + ": " + reason;
    return false;
#else
    (void)records;
    (void)request;
    (void)error;
    return false;
#endif
}

bool wants_help(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

int run_batch(int argc, const char* const argv[]) {
    if (wants_help(argc, argv)) {
        std::fputs(usage_text().c_str(), stdout);
        return EXIT_DONE;
    }
    BatchRequest request;
    std::string error;
    if (!parse_options(argc, argv, request, error)) return fail(error, EXIT_WRONG_OPTION);
    if (!request.chart_path.empty() && !chart_export_available()) {
        return fail(
            "--chart: this build has no chart export (the Qt 6 painter library was not built)");
    }
    auto records = std::make_unique<Records>();
    if (!apply_dialogs(*records, request, error)) return fail(error);
    const File trace(std::tmpfile());
    if (!trace) return fail("no temporary file for the trace could be made");
    if (!run_into(*records, request.mode, trace.get(), error)) return fail(error);
    if (!request.chart_path.empty() && !write_chart(*records, request, error)) return fail(error);
    if (!write_trace(trace.get(), request.trace_path, error)) {
        std::error_code ignored;
        if (!request.chart_path.empty()) std::filesystem::remove(request.chart_path, ignored);
        return fail(error);
    }
    return EXIT_DONE;
}

}  // namespace
}  // namespace morbilex::batch

int main(int argc, char* argv[]) {
    return morbilex::batch::run_batch(argc, argv);
}
