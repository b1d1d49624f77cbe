#include "qt/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

#include "qt/chart_view.h"
#include "qt/editing_dialog.h"
#include "qt/result_files.h"
#include "shell/menu.h"
#include "shell/messages.h"

// The icon's resources live in this library; the program has to ask for them.
static void load_icon_resources() {
    Q_INIT_RESOURCE(program_icon);
}

namespace morbilex {

namespace {

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
      context_{records, front_end_} {
    context_.trace_path = trace_path_.c_str();
    init_series_colours(colours_);
    setWindowTitle(QString::fromLatin1(PROGRAM_TITLE));
    setWindowIcon(program_icon());
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

void MainWindow::build_accelerators() {
    // Keys of this window only, so a dialog's own keys (copy in an edit) stay
    // its own; the menu labels show the key text only.
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
    return export_view(records_, colours_, path, QString::fromLatin1(extension), view_->size(),
                       error);
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
