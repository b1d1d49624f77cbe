#include "qt/main_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

#include "qt/chart_view.h"
#include "qt/editing_dialog.h"
#include "shell/menu.h"
#include "shell/messages.h"

namespace morbilex {

namespace {

QKeySequence accelerator_key(const Accelerator& accelerator) {
    if (accelerator.kind == AcceleratorKey::F1) return QKeySequence(Qt::Key_F1);
    // Qt's letter keys have the codes of the upper-case letters.
    auto letter = static_cast<Qt::Key>(accelerator.letter);
    return accelerator.control ? QKeySequence(Qt::CTRL | letter) : QKeySequence(letter);
}

// The platform's usual size for a new main window: three quarters of the screen.
QSize default_window_size() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QSize(800, 600);
    return screen->availableGeometry().size() * 3 / 4;
}

}  // namespace

MainWindow::MainWindow(Records& records, QWidget* parent)
    : QMainWindow(parent),
      colours_(),
      records_(records),
      view_(nullptr),
      printing_(records, colours_),
      front_end_(*this),
      context_{records, front_end_} {
    init_series_colours(colours_);
    setWindowTitle(QString::fromLatin1(PROGRAM_TITLE));
    view_ = new ChartView(records_, colours_, this);
    setCentralWidget(view_);
    build_menu_bar();
    build_accelerators();
    resize(default_window_size());
}

MainWindow::~MainWindow() {
    remove_trace_at_exit(context_);
}

void MainWindow::execute(int command_id) {
    execute_command(context_, command_id);
    // The keyboard comes back here once a command's dialogs and boxes have
    // closed, also on a desktop without a window manager to hand it back.
    if (isVisible()) activateWindow();
}

void MainWindow::build_menu_bar() {
    QMenuBar* bar = menuBar();
    for (const MenuBarEntry& entry : main_menu_bar()) {
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
                connect(menu->addAction(QString::fromLatin1(item.label)), &QAction::triggered, this,
                        [this, item_command] { execute(item_command); });
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

void MainWindow::build_accelerators() {
    // Keys of this window only, so a dialog's own keys (copy in an edit) stay
    // its own; the menu labels show no key text.
    for (const Accelerator& accelerator : main_accelerators()) {
        auto* shortcut = new QShortcut(accelerator_key(accelerator), this);
        shortcut->setContext(Qt::WindowShortcut);
        int command = accelerator.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { execute(command); });
    }
}

int MainWindow::run_dialog(DialogKind kind) {
    EditingDialog dialog(dialog_table(kind), records_, this, view_);
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

int WindowFrontEnd::open_dialog(DialogKind kind) {
    return window_.run_dialog(kind);
}

void WindowFrontEnd::repaint() {
    window_.view()->update();
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

}  // namespace morbilex
