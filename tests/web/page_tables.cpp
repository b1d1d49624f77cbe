// Prints, from the core's own tables, what the web page must show, for the
// browser test to hold the page against:
//   page_tables fields
//     a line a field: name, label, slider (1 or 0), min, max, step, default, help
//   page_tables figures MODE [NAME=TEXT ...]
//     the figure lines of that scenario: name, label, value, value without
//     intervention, change; then "change" and the peak's change
// (tab separated).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/scenario_setup.h"
#include "explore/field_help.h"
#include "explore/figures.h"
#include "explore/sliders.h"
#include "text/shortest.h"

using namespace morbilex;

namespace {

std::string number(double value) {
    std::string text;
    append_shortest(text, value);
    return text;
}

int print_fields() {
    for (const ExplorerField& field : explorer_fields()) {
        const SliderField* slider = field.slider;
        const FieldHelp* help = field_help(field.field->name);
        std::printf("%s\t%s\t%d\t%s\t%s\t%s\t%s\t%s\n", field.field->name, field.label.c_str(),
                    slider != nullptr, slider ? number(slider->minimum).c_str() : "",
                    slider ? number(slider->maximum).c_str() : "",
                    slider ? number(slider->step).c_str() : "", field.default_text.c_str(),
                    help != nullptr ? help->meaning : "");
    }
    return 0;
}

int print_figures(int argc, char** argv) {
    const InterventionMode mode = std::atoi(argv[2]);
    std::vector<TypedField> typed;
    for (int k = 3; k < argc; ++k) {
        const char* equals = std::strchr(argv[k], '=');
        TypedField field;
        if (equals == nullptr ||
            !find_editable_field(std::string_view(argv[k], equals - argv[k]), field)) {
            std::fprintf(stderr, "page_tables: no field %s\n", argv[k]);
            return 2;
        }
        field.text = equals + 1;
        typed.push_back(field);
    }
    auto records = std::make_unique<Records>();
    reset_scenario_fields(*records);
    SetupRefusal refused;
    if (!apply_typed_fields(*records, typed, refused)) {
        std::fprintf(stderr, "page_tables: refused\n");
        return 2;
    }
    records->mode = mode;
    const ViewFigures figures = compute_view_figures(*records);
    for (const FigureLine& line : figure_lines(figures)) {
        std::printf("%s\t%s\t%s\t%s\t%s\n", line.name, line.label, line.value.c_str(),
                    line.baseline.c_str(), line.difference.c_str());
    }
    std::printf("change\t%s\n", peak_change_text(figures).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "fields") == 0) return print_fields();
    if (argc >= 3 && std::strcmp(argv[1], "figures") == 0) return print_figures(argc, argv);
    std::fprintf(stderr, "usage: page_tables fields | figures MODE [NAME=TEXT ...]\n");
    return 2;
}
