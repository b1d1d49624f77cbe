// A front end for the explorer's command tests: counts what it is asked to do.
#pragma once

#include <string>

#include "explore/view_commands.h"

namespace morbilex::testing {

class FakeFrontEnd final : public FrontEnd, public ExplorerHost {
public:
    int open_dialog(DialogKind) override { return DIALOG_RESULT_OK; }
    void repaint() override { ++repaints; }
    void print() override {}
    void printer_setup() override {}
    void show_help() override { ++help_boxes; }
    void exit_program() override {}
    void report_run_failure(int, const std::string&) override {}
    void copy_text(const std::string& text) override { copied = text; }
    void show_user_guide() override { ++guides; }
    void show_user_guide_at(const std::string& anchor) override { guide_anchor = anchor; }
    void view_options_changed() override { ++view_changes; }
    int repaints = 0, help_boxes = 0, guides = 0, view_changes = 0;
    std::string copied, guide_anchor;
};

}  // namespace morbilex::testing
