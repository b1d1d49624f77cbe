// The main window: the view in its client area, the menu bar and the keyboard
// accelerators, all carried out by the shared command table.
#pragma once

#include <QMainWindow>

#include "chart/chart.h"
#include "model/records.h"
#include "qt/printing.h"
#include "shell/commands.h"

namespace morbilex {

class ChartView;
class MainWindow;

// What the shared commands ask of the program, carried out by the main window.
class WindowFrontEnd final : public FrontEnd {
public:
    explicit WindowFrontEnd(MainWindow& window) : window_(window) {}
    int open_dialog(DialogKind kind) override;
    void repaint() override;
    void print() override;
    void printer_setup() override;
    void show_help() override;
    void exit_program() override;
    void report_run_failure(int run_result, const std::string& text) override;

private:
    MainWindow& window_;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Records& records, QWidget* parent = nullptr);
    // Removes the trace file if this window's runs wrote it.
    ~MainWindow() override;

    // The command with this id, as the menu or a key would give it.
    void execute(int command_id);

    ChartView* view() const { return view_; }
    Printing& printing() { return printing_; }

    // The modal parts of the commands; each returns when it has closed.
    int run_dialog(DialogKind kind);
    void show_help_box();
    void show_run_failure(const std::string& text);

private:
    void build_menu_bar();
    void build_accelerators();

    SeriesColours colours_;
    Records& records_;
    ChartView* view_;
    Printing printing_;
    WindowFrontEnd front_end_;
    CommandContext context_;
};

}  // namespace morbilex
