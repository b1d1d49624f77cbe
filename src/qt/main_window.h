// The main window: the view in its client area, the menu bar and the keyboard
// accelerators, all carried out by the shared command table.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart.h"
#include "explore/explorer.h"
#include "explore/sliders.h"
#include "explore/view_commands.h"
#include "model/records.h"
#include "qt/printing.h"
#include "shell/commands.h"
#include "trace/trace_writer.h"

class QAction;
class QMenu;
class QMenuBar;
class QResizeEvent;
class QDialog;
class QDockWidget;
class QLabel;
class QSlider;
class QGridLayout;
class QTextBrowser;
class QVBoxLayout;

namespace morbilex {

class ChartView;
class MainWindow;

// What the shared commands ask of the program, carried out by the main window.
class WindowFrontEnd final : public FrontEnd {
public:
    explicit WindowFrontEnd(MainWindow& window) : window_(window) {}
    int open_dialog(DialogKind kind) override;
    void repaint() override;
    void run_both(const std::function<void()>& first, const std::function<void()>& second) override;
    void print() override;
    void printer_setup() override;
    void show_help() override;
    void exit_program() override;
    void report_run_failure(int, const std::string& text) override;
    bool ending() override;
    std::string choose_scenario_file(bool saving) override;

    bool choose_save_file(const char* caption, const char* name, std::span<const FileType> types,
                          std::string& path, int& type) override;
    void show_file_message(const char* caption, const std::string& text, bool error) override;
    std::span<const FileType> chart_file_types() override;
    bool export_chart(const std::string& path, int type, std::string& error) override;

private:
    MainWindow& window_;
};

// What the explorer's commands ask of the program: the clipboard, the guide
// and the panels.
class WindowExplorerHost final : public ExplorerHost {
public:
    explicit WindowExplorerHost(MainWindow& window) : window_(window) {}
    void copy_text(const std::string& text) override;
    void show_user_guide() override;
    void show_user_guide_at(const std::string& anchor) override;
    void view_options_changed() override;
    bool plan_found() override;
    bool ask_capacity(CapacitySetting& capacity) override;
    std::string choose_counts_file() override;
    Asked ask_fit_choice(FitChoice& choice) override;
    Asked ask_counts_choice(CountsChoice& choice) override;
    bool can_compress() const override;
    bool compress(std::string_view text, std::string& bytes) override;
    void show_sweep() override;

private:
    MainWindow& window_;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // trace_path: where the runs write their trace (TRACE_FILE_NAME in the current folder).
    explicit MainWindow(Records& records, std::string trace_path = TRACE_FILE_NAME,
                        QWidget* parent = nullptr);
    // Removes the trace file if this window's runs wrote it.
    ~MainWindow() override;

    // The command with this id, as the menu or a key would give it.
    void execute(int command_id);
    // A termination signal: every event loop ends, an open dialog as after
    // Cancel, and the command that opened it stops there.
    void end_by_signal();
    bool ending() const { return ending_; }
    // The scenario file given on the command line, opened as Open Scenario does.
    void open_scenario(const std::string& path);
    // The last session's run in its remembered mode (explorer view only).
    void reopen_run(InterventionMode mode);
    // The title names the scenario file (explorer view).
    void follow_scenario_file();

    ChartView* view() const { return view_; }
    Explorer& explorer() { return explorer_; }
    Records& records() { return records_; }
    // The explorer view's panels: the figures and the sliders.
    QDockWidget* figures_panel() const { return figures_dock_; }
    QDockWidget* sliders_panel() const { return sliders_dock_; }
    // The slider of the field with this name, when the panel shows one.
    QSlider* slider(const char* name) const;
    // The user's guide window, once shown.
    QDialog* user_guide() const { return guide_; }
    Printing& printing() { return printing_; }

    // The modal parts of the commands; each returns when it has closed.
    int run_dialog(DialogKind kind);
    void show_help_box();
    void show_run_failure(const std::string& text);
    // File menu: the save dialog, a box about a file, and the view exported as
    // a PNG, SVG or PDF picture of the view's size.
    bool choose_save_file(const char* caption, const char* name, std::span<const FileType> types,
                          std::string& path, int& type);
    void show_file_message(const char* caption, const std::string& text, bool error);
    bool export_view_as(const std::string& path, int type, std::string& error);

    // The explorer view: the guide, the panels shown or hidden with the view
    // options, and their contents brought up to the records after a repaint.
    // The last plan search's finding, in a window of its own.
    void show_plan_finding();
    // The sweep window (made at its first showing), or nullptr.
    void show_sweep();
    class SweepWindow* sweep_window() const {
        return sweep_window_;
    }
    bool ask_capacity(CapacitySetting& capacity);
    // anchor: the section to show, or empty for where the reader left it.
    void show_user_guide(const std::string& anchor = {});
    void follow_view_options();
    void refresh_panels();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The panels show in the explorer view while the window has room for
    // them beside a chart that stays readable.
    void show_panels();
    void build_menu_bar();
    void build_view_menu(QMenuBar& bar);
    void build_panels();
    void build_sliders();
    void refresh_figures();
    void build_accelerators();

    SeriesColours colours_;
    Records& records_;
    std::string trace_path_;
    ChartView* view_;
    Printing printing_;
    WindowFrontEnd front_end_;
    CommandContext context_;
    bool ending_ = false;
    Explorer explorer_;
    WindowExplorerHost explorer_host_;
    ExplorerContext explorer_context_;
    std::vector<std::pair<int, QAction*>> view_actions_;
    int panel_width_ = 0;  // the panels' width as the window last set it
    QDockWidget* figures_dock_ = nullptr;
    QLabel* figures_ = nullptr;
    class TornadoView* tornado_ = nullptr;
    QDockWidget* sliders_dock_ = nullptr;
    QVBoxLayout* sliders_layout_ = nullptr;
    InterventionMode sliders_mode_ = MODE_NOTHING_CALCULATED - 1;
    bool sliders_care_ = false;   // the care layer's sliders are among them
    std::string sliders_ranges_;  // the ranges their range controls show
    struct SliderRow {
        const SliderField* field;
        QSlider* slider;
        QLabel* number;
        // The range's ends, shown while the field has a range.
        QSlider* low = nullptr;
        QSlider* high = nullptr;
    };
    void add_range_controls(SliderRow& row, QGridLayout* layout);
    void range_moved(const SliderRow& row);
    std::vector<SliderRow> sliders_;
    QDialog* guide_ = nullptr;
    class PlanWindow* plan_window_ = nullptr;
    class SweepWindow* sweep_window_ = nullptr;
    QTextBrowser* guide_browser_ = nullptr;
};

// The program's icon, in every size it ships.
QIcon program_icon();

}  // namespace morbilex
