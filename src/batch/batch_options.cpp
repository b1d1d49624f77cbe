#include "batch/batch_options.h"

#include <sys/stat.h>

#include <cctype>
#include <charconv>
#include <string>
#include <string_view>

namespace morbilex::batch {
namespace {

bool parse_whole_number(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parse_size(std::string_view text, int& width, int& height) {
    const std::size_t cross = text.find('x');
    if (cross == std::string_view::npos) return false;
    if (!parse_whole_number(text.substr(0, cross), width)) return false;
    if (!parse_whole_number(text.substr(cross + 1), height)) return false;
    return width > 0 && height > 0 && width <= LARGEST_CHART_SIDE && height <= LARGEST_CHART_SIDE;
}

// A picture's type is the extension of its file name: png, svg or pdf; a
// device or a pipe without one (/dev/stdout, or - for standard output) takes
// PNG. Empty when unknown.
std::string picture_type_of(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png" || extension == "svg" || extension == "pdf") return extension;
    if (path == "-") return "png";  // standard output
    struct stat info = {};
    const bool special =
        stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    return special ? "png" : "";
}

bool parse_field(std::string_view name, std::string_view value, BatchRequest& request,
                 std::string& error) {
    TypedField typed;
    if (!find_editable_field(name, typed)) {
        error = name == "init_S" ? "--init_S: S(0) cannot be set; it is what E(0), I(0) and R(0) "
                                   "leave of 10000"
                                 : "unknown option --" + std::string(name) + " (see --help)";
        return false;
    }
    if (value.size() >= DIALOG_TEXT_CAPACITY) {
        error = "--" + std::string(name) + ": longer than the 63 characters a field holds";
        return false;
    }
    typed.text = value;
    request.typed.push_back(typed);
    return true;
}

bool parse_option(std::string_view name, std::string_view value, BatchRequest& request,
                  std::string& error) {
    const std::string option = "--" + std::string(name) + "=" + std::string(value);
    if (name == "mode") {
        if (value == "0" || value == "1" || value == "2") {
            request.mode = value[0] - '0';
            return true;
        }
        error = option + ": the mode is 0 (no intervention), 1 (one-time) or 2 (intermittent)";
        return false;
    }
    if (name == "trace" || name == "chart") {
        if (value.empty()) {
            error = option + ": a file name is needed";
            return false;
        }
        (name == "trace" ? request.trace_path : request.chart_path) = value;
        if (name == "trace") return true;
        request.chart_type = picture_type_of(request.chart_path);
        if (!request.chart_type.empty()) return true;
        error = option + ": the picture type is .png, .svg or .pdf";
        return false;
    }
    if (name == "size") {
        if (parse_size(value, request.chart_width, request.chart_height)) return true;
        error = option + ": the size is WIDTHxHEIGHT in pixels, each 1 to " +
                std::to_string(LARGEST_CHART_SIDE);
        return false;
    }
    return parse_field(name, value, request, error);
}

}  // namespace

bool given_once(std::vector<std::string_view>& given, std::string_view name, std::string& error) {
    for (std::string_view earlier : given) {
        if (earlier == name) {
            error = "--" + std::string(name) + " is given twice";
            return false;
        }
    }
    given.push_back(name);
    return true;
}

bool parse_options(int argc, const char* const argv[], BatchRequest& request, std::string& error) {
    std::vector<std::string_view> given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        // Answered before the options are read (run_batch prints the help).
        if (argument == "--help" || argument == "-h") continue;
        const std::size_t equals = argument.find('=');
        if (argument.substr(0, 2) != "--" || equals == std::string_view::npos) {
            error = argument.substr(0, 2) == "--"
                        ? "unknown option " + std::string(argument) +
                              " (options take the form --NAME=VALUE)"
                        : "unexpected argument '" + std::string(argument) + "' (see --help)";
            return false;
        }
        const std::string_view name = argument.substr(2, equals - 2);
        if (!given_once(given, name, error) ||
            !parse_option(name, argument.substr(equals + 1), request, error)) {
            return false;
        }
    }
    return true;
}

std::string usage_text() {
    std::string text =
        "Usage: morbilex-batch [--FIELD=VALUE]... [--mode=0|1|2] [--trace=PATH]\n"
        "                      [--chart=PATH [--size=WIDTHxHEIGHT]]\n"
        "Runs the Morbilex SEIR model once, without a window, and writes its trace.\n"
        "\n"
        "Fields are filled in as if typed into the program's dialogs, which then take\n"
        "them exactly as after OK: model, one-time, intermittent, scale, in that order.\n"
        "A dialog's other fields keep the values it shows.\n";
    const char* headings[] = {"Main parameters", "One-time intervention",
                              "Intermittent intervention", "Scale of the axes"};
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        text += "\n";
        text += headings[static_cast<int>(kind)];
        text += ":\n ";
        std::size_t column = 1;
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order == 0) continue;
            const std::string option = std::string(" --") + field.name + "=";
            if (column + option.size() > 78) {
                text += "\n ";
                column = 1;
            }
            text += option;
            column += option.size();
        }
        text += "\n";
    }
    text +=
        "\n"
        "Run and output:\n"
        "  --mode=0|1|2     0 no intervention (default), 1 one-time, 2 intermittent\n"
        "  --trace=PATH     the trace of the run (default, or -: standard output)\n"
        "  --chart=PATH     the chart of the run as PNG, SVG or PDF (by the extension;\n"
        "                   PNG to a device or a pipe, or to standard output as -)\n"
        "  --size=WxH       the chart's size in pixels (default 1200x700), each side\n"
        "                   1 to 16384; an SVG or PDF page has that size at 96 dpi\n"
        "  --help           this text\n"
        "\n"
        "Exit status: 0 done; 1 a field, the run or an output failed; 2 a wrong option;\n"
        "3 the run overflowed: its trace and chart are written, and standard error names\n"
        "the first day whose values are not finite (inf or nan).\n"
        "On failures 1 and 2 one line on standard error says why, and no file is written\n"
        "or changed.\n";
    return text;
}

}  // namespace morbilex::batch
