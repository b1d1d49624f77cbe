#include "qt/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "batch/runs/compressed_output.h"
#include "explore/chart_scales.h"
#include "explore/explorer_page.h"
#include "explore/explorer_view.h"
#include "explore/field_help.h"
#include "explore/kept_ranges.h"
#include "explore/user_guide.h"
#include "explore/view_figures.h"
#include "qt/chart_view.h"
#include "qt/editing_dialog.h"
#include "qt/fit_dialog.h"
#include "qt/plan_window.h"
#include "qt/result_files.h"
#include "qt/run_both.h"
#include "qt/sweep_window.h"
#include "qt/tornado_view.h"
#include "shell/menu.h"
#include "shell/messages.h"
#include "text/format.h"
#include "text/read.h"

// The icon's and the guide's pictures live in this library; the program has
// to ask for them.
static void load_icon_resources() {
    Q_INIT_RESOURCE(program_icon);
    Q_INIT_RESOURCE(guide_pictures);
}

namespace morbilex {

namespace {

QString html_escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

// The figures as a small table: label, value, and after an intervention the
// no-intervention value and the difference.
QString figures_html(const ViewFigures& figures, const std::vector<FigureLine>& lines) {
    if (!figures.available) return QStringLiteral("<p>No run yet: calculate one (Ctrl+N).</p>");
    QString html;
    for (const std::string& note : figure_notes(figures))
        html += QStringLiteral("<p><b>%1</b></p>").arg(html_escaped(note));
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\">");
    if (figures.has_baseline) {
        html += QStringLiteral(
            "<tr><th></th><th align=\"right\">run</th><th align=\"right\">none</th>"
            "<th align=\"left\">&nbsp;change</th></tr>");
    }
    // The unit goes with the label, so the columns hold numbers only.
    const auto number = [](const std::string& value) { return value.substr(0, value.find(' ')); };
    for (const FigureLine& line : lines) {
        const std::size_t space = line.value.find(' ');
        std::string label = line.label;
        if (space != std::string::npos && label.find("day") == std::string::npos)
            label += " (" + line.value.substr(space + 1) + ")";
        html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td>")
                    .arg(html_escaped(label), html_escaped(number(line.value)));
        if (figures.has_baseline) {
            html += QStringLiteral("<td align=\"right\">&nbsp;%1</td><td>&nbsp;%2</td>")
                        .arg(html_escaped(number(line.baseline)), html_escaped(line.difference));
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    const std::string change = peak_change_text(figures);
    if (!change.empty()) html += QStringLiteral("<p><b>%1</b></p>").arg(html_escaped(change));
    return html;
}

std::string summary_number(double value) {
    char text[64];
    format_text(text, sizeof text, "%.2f", {value});
    return text;
}

QString help_text(const char* name) {
    const FieldHelp* help = field_help(name);
    if (help == nullptr) return {};
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(help->meaning),
                                         QString::fromUtf8(help->unit));
}

QKeySequence accelerator_key(const Accelerator& accelerator) {
    if (accelerator.kind == AcceleratorKey::F1) return QKeySequence(Qt::Key_F1);
    // Qt's letter keys have the codes of the upper-case letters.
    auto letter = static_cast<Qt::Key>(accelerator.letter);
    return accelerator.control ? QKeySequence(Qt::CTRL | letter) : QKeySequence(letter);
}

// The label with the text of the command's first key after a tab, which a
// menu shows at its right edge, as Qt programs do.
QString label_with_key(const char* label, int command) {
    QString text = QString::fromUtf8(label);
    for (const Accelerator& accelerator : main_accelerators()) {
        if (accelerator.command != command) continue;
        return text + QLatin1Char('\t') +
               accelerator_key(accelerator).toString(QKeySequence::NativeText);
    }
    return text;
}

// Below this size the window shows the chart alone: the panels beside it
// would leave neither the chart nor their own rows room to be read.
constexpr int PANELS_MIN_WINDOW_WIDTH = 480;
constexpr int PANELS_MIN_WINDOW_HEIGHT = 280;

// The panels' widest share of the window and their width in a large one.
int panel_width_for(int window_width) {
    return std::min(380, window_width * 2 / 5);
}

// The number beside a slider keeps the width of the widest value of its
// range or of one far outside it (typed, or remembered from an earlier
// session), so no value widens the panel; should one still be wider, it is
// cut with an ellipsis and shown whole in the tooltip.
int slider_number_width(const QFontMetrics& metrics, const SliderField& field) {
    int widest = 0;
    for (double value : {field.minimum, field.maximum, -field.maximum, -1e308}) {
        widest = std::max(widest, metrics.horizontalAdvance(
                                      QString::fromStdString(slider_value_text(field, value))));
    }
    return widest + metrics.horizontalAdvance(QLatin1Char('0'));
}

// The platform's usual size for a new main window: three quarters of the screen.
QSize default_window_size() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QSize(800, 600);
    return screen->availableGeometry().size() * 3 / 4;
}

}  // namespace

MainWindow::MainWindow(Records& records, std::string trace_path, QWidget* parent)
    : QMainWindow(parent),
      colours_(),
      records_(records),
      trace_path_(std::move(trace_path)),
      view_(nullptr),
      printing_(records, colours_),
      front_end_(*this),
      context_{records, front_end_},
      explorer_host_(*this),
      explorer_context_{context_, explorer_, explorer_host_} {
    context_.trace_path = trace_path_.c_str();
    context_.view_switches = explorer_.view_switches();
    init_series_colours(colours_);
    setWindowTitle(QString::fromStdString(window_title(records_, explorer_.view)));
    setWindowIcon(program_icon());
    view_ = new ChartView(records_, colours_, explorer_, this);
    view_->execute = [this](int command_id) { execute(command_id); };
    setCentralWidget(view_);
    build_menu_bar();
    build_accelerators();
    build_panels();
    // Printing and pictures show what the window shows: in the explorer view
    // the chart with its comparison and the figures beside it.
    printing_.set_page_painter([this](Surface& surface, int width, int height) {
        if (explorer_.view.classic) {
            paint_view(surface, records_, colours_, width, height);
        } else {
            paint_explorer_page(surface, records_, colours_, explorer_, width, height);
        }
    });
    // The explorer's page is the chart's shape: across for a chart wider than tall.
    printing_.set_page_use([this] {
        if (explorer_.view.classic || records_.mode < 0) return Printing::PageUse::ClassicRectangle;
        return explorer_page_landscape(view_->width(), view_->height())
                   ? Printing::PageUse::Across
                   : Printing::PageUse::Upright;
    });
    follow_view_options();
    view_->setAccessibleName(QStringLiteral("Chart"));
    view_->setAccessibleDescription(QStringLiteral(
        "S, E, I and R over time; Left and Right move the read-out (Shift: ten steps; Page Up, "
        "Page Down: ten days; Home, End: first and last step)"));
    resize(default_window_size());
    panel_width_ = panel_width_for(width());
    resizeDocks({figures_dock_, sliders_dock_}, {panel_width_, panel_width_}, Qt::Horizontal);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    show_panels();
    // A window made smaller takes the room from the panels as well as from
    // the chart: they keep at most two fifths of it, and get it back when
    // the window grows again (unless their edge was dragged meanwhile).
    const int panel_width = panel_width_for(width());
    const int shown = figures_dock_->width();
    if (!figures_dock_->isVisible() || shown == panel_width) return;
    if (shown > panel_width || shown == panel_width_) {
        panel_width_ = panel_width;
        resizeDocks({figures_dock_, sliders_dock_}, {panel_width, panel_width}, Qt::Horizontal);
    }
}

void MainWindow::show_panels() {
    const bool shown = !explorer_.view.classic && width() >= PANELS_MIN_WINDOW_WIDTH &&
                       height() >= PANELS_MIN_WINDOW_HEIGHT;
    figures_dock_->setVisible(shown);
    sliders_dock_->setVisible(shown);
}

MainWindow::~MainWindow() {
    delete guide_;
    remove_trace_at_exit(context_);
}

void MainWindow::execute(int command_id) {
    execute_explorer_command(explorer_context_, command_id);
    follow_scenario_file();
    // The keyboard comes back here once a command's dialogs and boxes have
    // closed, also on a desktop without a window manager to hand it back.
    if (isVisible()) activateWindow();
}

void MainWindow::open_scenario(const std::string& path) {
    keep_ranges(explorer_.uncertainty.ranges, records_);
    const auto kept_ranges = records_.range_lines;
    open_scenario_file(context_, path);
    if (records_.range_lines != kept_ranges) follow_scenario_ranges(explorer_context_);
    refresh_panels();
    follow_scenario_file();
}

void MainWindow::reopen_run(InterventionMode mode) {
    reopen_remembered_run(explorer_context_, mode);
}

void MainWindow::follow_scenario_file() {
    setWindowTitle(QString::fromStdString(window_title(records_, explorer_.view)));
}

void MainWindow::end_by_signal() {
    ending_ = true;
    QCoreApplication::exit(0);
}

void MainWindow::build_menu_bar() {
    QMenuBar* bar = menuBar();
    for (const MenuBarEntry& entry : main_menu_bar()) {
        // The View menu stands last before Help.
        if (entry.name == MenuName::Help) build_view_menu(*bar);
        QString label = QString::fromLatin1(entry.label);
        int command = entry.command;
        if (!entry.items.empty()) {
            QMenu* menu = bar->addMenu(label);
            for (const MenuItem& item : entry.items) {
                if (item.label == nullptr) {
                    menu->addSeparator();
                    continue;
                }
                int item_command = item.command;
                connect(menu->addAction(label_with_key(item.label, item_command)),
                        &QAction::triggered, this, [this, item_command] { execute(item_command); });
            }
        } else if (entry.right_aligned && !bar->isNativeMenuBar()) {
            // A menu bar of its own in the right corner keeps the entry at the
            // right end, looking and answering its mnemonic like the others.
            auto* corner = new QMenuBar(bar);
            corner->setObjectName(QStringLiteral("right_menu_bar"));
            connect(corner->addAction(label), &QAction::triggered, this,
                    [this, command] { execute(command); });
            bar->setCornerWidget(corner, Qt::TopRightCorner);
        } else {
            connect(bar->addAction(label), &QAction::triggered, this,
                    [this, command] { execute(command); });
        }
    }
}

void MainWindow::build_view_menu(QMenuBar& bar) {
    QMenu* menu = bar.addMenu(QStringLiteral("&View"));
    menu->setObjectName(QStringLiteral("view_menu"));
    for (const MenuItem& item : view_menu_items()) {
        if (item.label == nullptr) {
            menu->addSeparator();
            continue;
        }
        const int command = item.command;
        QString label = QString::fromLatin1(item.label);
        for (const Accelerator& accelerator : view_accelerators()) {
            if (accelerator.command == command)
                label += QLatin1Char('\t') +
                         accelerator_key(accelerator).toString(QKeySequence::NativeText);
        }
        QAction* action = menu->addAction(label);
        action->setCheckable(view_item_checkable(command));
        // The action's own check follows the records, not the click.
        connect(action, &QAction::triggered, this, [this, command] {
            execute(command);
            follow_view_options();
        });
        view_actions_.emplace_back(command, action);
    }
}

void MainWindow::build_accelerators() {
    // Keys of this window only, so a dialog's own keys (copy in an edit) stay
    // its own; the menu labels show the key text only.
    for (const auto& table : {main_accelerators(), view_accelerators()}) {
        for (const Accelerator& accelerator : table) {
            auto* shortcut = new QShortcut(accelerator_key(accelerator), this);
            shortcut->setContext(Qt::WindowShortcut);
            int command = accelerator.command;
            connect(shortcut, &QShortcut::activated, this, [this, command] { execute(command); });
        }
    }
}

void MainWindow::build_panels() {
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("figures"));
    figures_->setAccessibleName(QStringLiteral("Figures"));
    figures_->setTextFormat(Qt::RichText);
    figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_->setMargin(4);
    // The table's cells wrap at their spaces, so it fits the panel's width.
    figures_->setWordWrap(true);
    QFont small = figures_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    figures_->setFont(small);
    figures_dock_ = new QDockWidget(QStringLiteral("Figures"), this);
    figures_dock_->setObjectName(QStringLiteral("figures_panel"));
    figures_dock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // Where the panel is narrow or short (a small window, a small screen at
    // 200 %) the table scrolls rather than take the chart's or the sliders' room.
    // The tornado of the ranges under the figures, drawn as pictures show it.
    auto* figures_column = new QWidget(this);
    auto* column_layout = new QVBoxLayout(figures_column);
    column_layout->setContentsMargins(0, 0, 0, 0);
    column_layout->addWidget(figures_);
    tornado_ = new TornadoView(explorer_.uncertainty, figures_column);
    column_layout->addWidget(tornado_);
    column_layout->addStretch(1);
    auto* figures_scroll = new QScrollArea(this);
    figures_scroll->setWidget(figures_column);
    figures_scroll->setWidgetResizable(true);
    figures_scroll->setFrameShape(QFrame::NoFrame);
    figures_dock_->setWidget(figures_scroll);
    addDockWidget(Qt::RightDockWidgetArea, figures_dock_);

    auto* sliders = new QWidget(this);
    sliders_layout_ = new QVBoxLayout(sliders);
    sliders_layout_->setContentsMargins(6, 2, 6, 2);
    sliders_layout_->setSpacing(0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(sliders);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    sliders_dock_ = new QDockWidget(QStringLiteral("Parameters"), this);
    sliders_dock_->setObjectName(QStringLiteral("sliders_panel"));
    sliders_dock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    sliders_dock_->setWidget(scroll);
    addDockWidget(Qt::RightDockWidgetArea, sliders_dock_);
    refresh_panels();
}

void MainWindow::build_sliders() {
    // The rows may be rebuilt from inside a slider's own signal: they go once
    // control is back in the event loop.
    while (QLayoutItem* item = sliders_layout_->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
    sliders_.clear();
    sliders_mode_ = std::max(records_.mode, MODE_NO_INTERVENTION);
    sliders_care_ = records_.care.enabled;
    sliders_ranges_ = explorer_.uncertainty.ranges.text();
    for (const SliderField* field : sliders_shown(records_)) {
        auto* row = new QWidget;
        auto* layout = new QGridLayout(row);
        layout->setContentsMargins(0, 2, 0, 2);
        layout->setVerticalSpacing(0);
        auto* name = new QLabel(QString::fromLatin1(field->label));
        auto* number = new QLabel;
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setFixedWidth(slider_number_width(number->fontMetrics(), *field));
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setObjectName(QString::fromLatin1(field->name));
        slider->setRange(0, slider_positions(*field) - 1);
        slider->setPageStep(std::max(1, slider_positions(*field) / 20));
        const QString help = help_text(field->name);
        name->setToolTip(help);
        slider->setToolTip(help);
        slider->setAccessibleName(QString::fromLatin1(field->label));
        slider->setAccessibleDescription(help);
        name->setBuddy(slider);
        layout->addWidget(name, 0, 0);
        layout->addWidget(number, 0, 1);
        layout->addWidget(slider, 1, 0, 1, 2);
        sliders_layout_->addWidget(row);
        // Dragging runs without a trace; the release, a click or a key
        // writes the trace of the run on screen.
        connect(slider, &QSlider::valueChanged, this, [this, field, slider](int position) {
            slider_moved(context_, explorer_, *field, slider_value_at(*field, position),
                         !slider->isSliderDown());
        });
        connect(slider, &QSlider::sliderReleased, this, [this, field, slider] {
            slider_moved(context_, explorer_, *field, slider_value_at(*field, slider->value()),
                         true);
        });
        sliders_.push_back({field, slider, number});
        add_range_controls(sliders_.back(), layout);
    }
    sliders_layout_->addStretch(1);
}

// A button beside the slider turns it into a range: two more sliders, the
// range's low and high ends, about the run's own value.
void MainWindow::add_range_controls(SliderRow& row, QGridLayout* layout) {
    const SliderField* field = row.field;
    if (!rangeable_field(field->name)) return;
    auto* toggle = new QToolButton;
    toggle->setObjectName(QString::fromLatin1(field->name) + QStringLiteral("_range"));
    toggle->setText(QStringLiteral("\u00B1"));
    toggle->setCheckable(true);
    toggle->setAccessibleName(QString::fromLatin1(field->label) + QStringLiteral(" as a range"));
    toggle->setToolTip(QStringLiteral("Give this field a range: bands and intervals"));
    const auto make_end = [&](const char* end) {
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setObjectName(QString::fromLatin1(field->name) + QString::fromLatin1(end));
        slider->setAccessibleName(QString::fromLatin1(field->label) +
                                  (std::string_view(end) == "_low"
                                       ? QStringLiteral(" range, low end")
                                       : QStringLiteral(" range, high end")));
        slider->setRange(0, slider_positions(*field) - 1);
        slider->setVisible(false);
        return slider;
    };
    row.low = make_end("_low");
    row.high = make_end("_high");
    layout->addWidget(toggle, 0, 2);
    layout->addWidget(row.low, 2, 0, 1, 2);
    layout->addWidget(row.high, 3, 0, 1, 2);
    const ParameterRange* kept = explorer_.uncertainty.ranges.find(field->name);
    if (kept != nullptr) {
        toggle->setChecked(true);
        row.low->setValue(slider_position_of(*field, kept->low));
        row.high->setValue(slider_position_of(*field, kept->high));
        row.low->setVisible(true);
        row.high->setVisible(true);
    }
    const SliderRow copy = row;
    connect(toggle, &QToolButton::toggled, this, [this, copy](bool on) {
        ExplorerRanges& ranges = explorer_.uncertainty.ranges;
        if (on) {
            ranges.set_about(copy.field->name, slider_value(records_, *copy.field),
                             copy.field->minimum, copy.field->maximum);
            const ParameterRange* range = ranges.find(copy.field->name);
            if (range != nullptr) {
                const QSignalBlocker quiet_low(copy.low), quiet_high(copy.high);
                copy.low->setValue(slider_position_of(*copy.field, range->low));
                copy.high->setValue(slider_position_of(*copy.field, range->high));
            }
            // The ends where the sliders stand.
            if (range != nullptr) range_moved(copy);
        } else {
            ranges.remove(copy.field->name);
        }
        sliders_ranges_ = ranges.text();
        copy.low->setVisible(on);
        copy.high->setVisible(on);
        view_->update();
        refresh_figures();
    });
    connect(row.low, &QSlider::valueChanged, this, [this, copy] { range_moved(copy); });
    connect(row.high, &QSlider::valueChanged, this, [this, copy] { range_moved(copy); });
}

void MainWindow::range_moved(const SliderRow& row) {
    const double low = slider_value_at(*row.field, row.low->value());
    const double high = slider_value_at(*row.field, row.high->value());
    explorer_.uncertainty.ranges.set(row.field->name, std::min(low, high), std::max(low, high));
    sliders_ranges_ = explorer_.uncertainty.ranges.text();
    view_->update();
    refresh_figures();
}

void MainWindow::refresh_figures() {
    explorer_.sync(records_);
    explorer_.uncertainty.sync(records_);
    QString html = figures_html(explorer_.figures(), view_figure_lines(records_, explorer_));
    const ExplorerUncertainty& uncertainty = explorer_.uncertainty;
    if (uncertainty.available()) {
        html += QStringLiteral("<p><b>Over the ranges</b> (%1 samples, 5th to 95th percentile)<br>")
                    .arg(uncertainty.ensemble().samples);
        for (const std::string& line : interval_lines(uncertainty.ensemble()))
            html += html_escaped(line) + QStringLiteral("<br>");
        html += QStringLiteral("</p><p><b>Peak by field</b> (low end / high end)<br>");
        for (const TornadoBar& bar : uncertainty.tornado().bars) {
            html += html_escaped(uncertainty.ranges.ranges[bar.range].name + ": " +
                                 summary_number(bar.at_low) + " / " + summary_number(bar.at_high)) +
                    QStringLiteral("<br>");
        }
        html += QStringLiteral("</p>");
    } else if (!uncertainty.refusal().empty()) {
        html += QStringLiteral("<p>Ranges: %1</p>").arg(html_escaped(uncertainty.refusal()));
    }
    figures_->setText(html);
    tornado_->refresh();
}

void MainWindow::refresh_panels() {
    if (explorer_.view.classic) return;
    refresh_figures();
    if (sliders_mode_ != std::max(records_.mode, MODE_NO_INTERVENTION) ||
        sliders_care_ != records_.care.enabled ||
        sliders_ranges_ != explorer_.uncertainty.ranges.text()) {
        build_sliders();
    }
    for (const SliderRow& row : sliders_) {
        const double value = slider_value(records_, *row.field);
        const QString text = QString::fromStdString(slider_value_text(*row.field, value));
        const QString shown =
            row.number->fontMetrics().elidedText(text, Qt::ElideRight, row.number->width());
        row.number->setText(shown);
        row.number->setToolTip(shown == text ? QString() : text);
        if (row.slider->isSliderDown()) continue;
        const QSignalBlocker quiet(row.slider);
        row.slider->setValue(slider_position_of(*row.field, value));
    }
}

QSlider* MainWindow::slider(const char* name) const {
    for (const SliderRow& row : sliders_) {
        if (std::string_view(row.field->name) == name) return row.slider;
    }
    return nullptr;
}

void MainWindow::follow_view_options() {
    show_panels();
    view_->follow_view_options();
    for (const auto& [command, action] : view_actions_) {
        action->setChecked(view_item_checked(explorer_.view, command));
        action->setEnabled(view_item_enabled(explorer_.view, command));
    }
    follow_scenario_file();
    refresh_panels();
}

void MainWindow::show_user_guide(const std::string& anchor) {
    if (guide_ == nullptr) {
        // A window of its own, not the main window's child: it stays usable
        // while a dialog that opened it holds the main window.
        guide_ = new QDialog(nullptr);
        guide_->setObjectName(QStringLiteral("user_guide"));
        guide_->setWindowTitle(QStringLiteral("Morbilex User's Guide"));
        guide_->setWindowIcon(program_icon());
        guide_browser_ = new QTextBrowser(guide_);
        guide_browser_->setObjectName(QStringLiteral("user_guide_text"));
        guide_browser_->setAccessibleName(QStringLiteral("User's guide"));
        guide_browser_->setSearchPaths({QStringLiteral(":/guide")});
        // The pictures are the Linux program's own screenshots, when built in.
        const bool pictures = QFile::exists(QStringLiteral(":/guide/explorer.png"));
        const std::string html =
            guide_html(user_guide_for(GuideReader::Desktop), pictures ? "qrc:/guide/" : "");
        guide_browser_->setHtml(QString::fromStdString(html));
        guide_browser_->setOpenExternalLinks(false);
        auto* layout = new QVBoxLayout(guide_);
        layout->addWidget(guide_browser_);
        guide_->resize(760, 680);
    }
    guide_->show();
    if (!anchor.empty()) {
        // Once the page is laid out at the window's size.
        const QString name = QString::fromStdString(anchor);
        guide_browser_->scrollToAnchor(name);
        QTimer::singleShot(0, guide_browser_,
                           [browser = guide_browser_, name] { browser->scrollToAnchor(name); });
    }
    guide_->raise();
    guide_->activateWindow();
}

int MainWindow::run_dialog(DialogKind kind) {
    EditingDialog dialog(dialog_table(kind), records_, this, view_, explorer_.view.classic);
    dialog.set_help([this, kind] { show_dialog_help(explorer_.view, explorer_host_, kind); });
    return dialog.run();
}

void MainWindow::show_help_box() {
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(HELP_CAPTION),
                    QString::fromLatin1(HELP_TEXT), QMessageBox::Ok, this);
    box.exec();
}

void MainWindow::show_run_failure(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(RUN_FAILURE_CAPTION),
                    QString::fromStdString(text), QMessageBox::Ok, this);
    box.exec();
}

bool MainWindow::choose_save_file(const char* caption, const char* name,
                                  std::span<const FileType> types, std::string& path, int& type) {
    QStringList filters;
    for (const FileType& file_type : types) {
        filters << QStringLiteral("%1 (*.%2)")
                       .arg(QString::fromUtf8(file_type.description),
                            QString::fromUtf8(file_type.extension))
                       .replace(QStringLiteral("*.*"), QStringLiteral("*"));
    }
    QString filter = filters.value(0);
    const QString target =
        QFileDialog::getSaveFileName(this, QString::fromUtf8(caption), QString::fromUtf8(name),
                                     filters.join(QStringLiteral(";;")), &filter);
    if (target.isEmpty()) return false;
    path = target.toStdString();
    type = std::max(0, static_cast<int>(filters.indexOf(filter)));
    return true;
}

void MainWindow::show_file_message(const char* caption, const std::string& text, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromUtf8(caption), QString::fromStdString(text), QMessageBox::Ok,
                    this);
    box.exec();
}

bool MainWindow::export_view_as(const std::string& path, int type, std::string& error) {
    const auto types = picture_file_types();
    const char* extension = types[type >= 0 && type < int(types.size()) ? type : 0].extension;
    const auto draw = [this](Surface& surface, int width, int height) {
        if (explorer_.view.classic) {
            paint_view(surface, records_, colours_, width, height);
        } else {
            paint_explorer_view(surface, records_, colours_, explorer_, width, height, true);
        }
    };
    QSize size = view_->size();
    size.setWidth(exported_view_width(size.width(), explorer_.view));
    return export_view(draw, path, QString::fromLatin1(extension), size, error);
}

int WindowFrontEnd::open_dialog(DialogKind kind) {
    return window_.run_dialog(kind);
}

bool WindowFrontEnd::ending() {
    return window_.ending();
}

void WindowFrontEnd::run_both(const std::function<void()>& first,
                              const std::function<void()>& second) {
    run_both_on_threads(first, second);
}

void WindowFrontEnd::repaint() {
    window_.view()->update();
    window_.refresh_panels();
}

void WindowExplorerHost::copy_text(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdString(text));
}

void WindowExplorerHost::show_user_guide() {
    window_.show_user_guide();
}

void WindowExplorerHost::show_user_guide_at(const std::string& anchor) {
    window_.show_user_guide(anchor);
}

void WindowExplorerHost::view_options_changed() {
    window_.follow_view_options();
}

bool WindowExplorerHost::plan_found() {
    window_.show_plan_finding();
    return true;
}

bool WindowExplorerHost::ask_capacity(CapacitySetting& capacity) {
    return window_.ask_capacity(capacity);
}

void MainWindow::show_plan_finding() {
    if (plan_window_ == nullptr) {
        plan_window_ = new PlanWindow(
            explorer_.plan_finding,
            [this](int index) {
                load_found_plan(explorer_context_, index);
                refresh_panels();
                plan_window_->refresh();  // the plan loaded is marked on the front
            },
            this);
    }
    plan_window_->refresh();
    plan_window_->show();
    plan_window_->raise();
}

void WindowExplorerHost::show_sweep() {
    window_.show_sweep();
}

void MainWindow::show_sweep() {
    if (sweep_window_ == nullptr) {
        sweep_window_ = new SweepWindow(
            records_,
            [this] {
                run_records_in_view(explorer_context_);
                refresh_panels();
            },
            this);
    }
    sweep_window_->show();
    sweep_window_->raise();
}

bool MainWindow::ask_capacity(CapacitySetting& capacity) {
    bool accepted = false;
    const QString shown = capacity.set ? QString::number(capacity.capacity, 'g', 17) : QString();
    const QString text = QInputDialog::getText(
        this, QStringLiteral("Capacity"),
        QStringLiteral("Persons per 10K that can be cared for at once (%1; empty: off):")
            .arg(QString::fromLatin1(capacity_series_label(capacity.series))),
        QLineEdit::Normal, shown, &accepted);
    if (!accepted) return false;
    const std::string typed = text.trimmed().toStdString();
    if (typed.empty()) {
        capacity.set = false;
        return true;
    }
    double persons = 0.0;
    if (!read_full_number(typed, persons) || !(persons >= 0.0)) {
        QMessageBox::warning(this, QStringLiteral("Capacity"),
                             QStringLiteral("The capacity is a number of persons, 0 or more."));
        return false;
    }
    capacity.set = true;
    capacity.capacity = persons;
    return true;
}

std::string WindowExplorerHost::choose_counts_file() {
    const QString path =
        QFileDialog::getOpenFileName(&window_, QStringLiteral("Open Observed Counts"), QString(),
                                     QStringLiteral("Counts (*.csv);;All files (*)"));
    window_.activateWindow();
    return path.toStdString();
}

Asked WindowExplorerHost::ask_fit_choice(FitChoice& choice) {
    const Asked asked = morbilex::ask_fit_choice(&window_, choice, window_.records().mode);
    window_.activateWindow();
    return asked;
}

Asked WindowExplorerHost::ask_counts_choice(CountsChoice& choice) {
    const Asked asked = morbilex::ask_counts_choice(&window_, choice);
    window_.activateWindow();
    return asked;
}

bool WindowExplorerHost::can_compress() const {
    return true;
}

bool WindowExplorerHost::compress(std::string_view text, std::string& bytes) {
    // Through the writer morbilex-batch uses, so that the bytes are its own.
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return false;
    bool written = false;
    {
        batch::CompressedOutput output(file, true);
        written = output.write(text) && output.finish();
    }
    bytes.clear();
    char block[1 << 14];
    std::rewind(file);
    for (std::size_t read = 0; written && (read = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, read);
    written = written && !std::ferror(file);
    std::fclose(file);
    return written;
}

void WindowFrontEnd::print() {
    window_.printing().print_view(&window_);
}

void WindowFrontEnd::printer_setup() {
    window_.printing().printer_setup(&window_);
}

void WindowFrontEnd::show_help() {
    window_.show_help_box();
}

void WindowFrontEnd::exit_program() {
    window_.close();
}

void WindowFrontEnd::report_run_failure(int, const std::string& text) {
    window_.show_run_failure(text);
}

bool WindowFrontEnd::choose_save_file(const char* caption, const char* name,
                                      std::span<const FileType> types, std::string& path,
                                      int& type) {
    return window_.choose_save_file(caption, name, types, path, type);
}

void WindowFrontEnd::show_file_message(const char* caption, const std::string& text, bool error) {
    window_.show_file_message(caption, text, error);
}

std::span<const FileType> WindowFrontEnd::chart_file_types() {
    return picture_file_types();
}

bool WindowFrontEnd::export_chart(const std::string& path, int type, std::string& error) {
    return window_.export_view_as(path, type, error);
}

QIcon program_icon() {
    load_icon_resources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/morbilex-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace morbilex
