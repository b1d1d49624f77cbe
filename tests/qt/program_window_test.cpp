// The main window: title screen, view, menus, keys, message boxes and exit.
#include <sys/resource.h>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTest>
#include <csignal>

#include "program_test_support.h"
#include "qt/chart_view.h"
#include "qt/result_files.h"
#include "shell/messages.h"

using namespace morbilex;
using namespace morbilex::testing;

namespace {

// What a command showed and left behind; any modal window it opened is
// closed as with Cancel.
struct Observation {
    QString modal_class;
    QString modal_title;
    int mode;
    bool trace_written;
    bool window_visible;
};

Observation observe(ProgramUnderTest& program, const std::function<void()>& trigger) {
    Observation seen{};
    auto answer = when_modal([&seen](QWidget* modal) {
        seen.modal_class = QString::fromLatin1(modal->metaObject()->className());
        seen.modal_title = modal->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    trigger();
    QApplication::processEvents();
    seen.mode = program.records().mode;
    seen.trace_written = QFile::exists(program.trace_path());
    seen.window_visible = program.window().isVisible();
    return seen;
}

void check_command_outcome(const Observation& seen, int command) {
    struct Expected {
        int command;
        const char* modal_class;
        const char* modal_title;
        int mode;
        bool trace_written;
        bool window_visible;
    };
    static const Expected expectations[] = {
        {104, "QPrintDialog", nullptr, -1, false, true},
        {105, "QPrintDialog", "Printer setup", -1, false, true},
        {106, "", "", -1, false, false},
        {107, "QMessageBox", "Message", -1, false, true},
        {108, "", "", 0, true, true},
        {110, "morbilex::EditingDialog", "Change Parameter0", 0, true, true},
        {111, "morbilex::EditingDialog", "One-time intervention", 1, true, true},
        {112, "morbilex::EditingDialog", "Intermittent intervention", 2, true, true},
        {114, "morbilex::EditingDialog", "Change Scale of Axis", -1, false, true},
    };
    for (const Expected& expected : expectations) {
        if (expected.command != command) continue;
        QCOMPARE(seen.modal_class, QString::fromLatin1(expected.modal_class));
        if (expected.modal_title != nullptr)
            QCOMPARE(seen.modal_title, QString::fromLatin1(expected.modal_title));
        QCOMPARE(seen.mode, expected.mode);
        QCOMPARE(seen.trace_written, expected.trace_written);
        QCOMPARE(seen.window_visible, expected.window_visible);
        return;
    }
    QFAIL("no expectation for this command");
}

// The label before the key text.
QString label_of(const QAction& action) {
    return action.text().section(QLatin1Char('\t'), 0, 0);
}

QAction* find_action(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions) {
        if (label_of(*action) == text) return action;
    }
    return nullptr;
}

// The text of the box that Calculate shows, closed at once.
QString box_text_of_calculate(ProgramUnderTest& program) {
    QString text;
    auto answer = when_modal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
        qobject_cast<QDialog*>(modal)->accept();
    });
    program.window().execute(108);
    return text;
}

}  // namespace

class ProgramWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shows_the_title_screen_until_the_first_run() {
        ProgramUnderTest program;
        QCOMPARE(program.window().windowTitle(), QStringLiteral("Morbilex"));
        QCOMPARE(program.records().mode, -1);
        QVERIFY(program.view_shows_records());
        QImage title = grab_view(program.window());
        QCOMPARE(coloured_pixels(title), 0);
        QImage blank(title.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(title != blank);
        QVERIFY(!QFile::exists(program.trace_path()));

        // Commands that do not run keep the title.
        for (int unknown : {109, 113, 103, 115})
            program.window().execute(unknown);
        QCOMPARE(program.records().mode, -1);
        QVERIFY(program.view_shows_records());
    }

    void resizing_redraws_the_whole_view_at_the_new_size() {
        ProgramUnderTest program;
        program.window().execute(108);
        QVERIFY(program.view_shows_records());
        PaintCounter paints(*program.window().view());
        QSize before = program.window().view()->size();
        program.window().resize(program.window().width() + 120, program.window().height() - 90);
        QTRY_VERIFY(paints.count() > 0);
        QVERIFY(program.window().view()->size() != before);
        QVERIFY(program.view_shows_records());
        QVERIFY(coloured_pixels(grab_view(program.window())) > 0);
    }

    void menu_bar_holds_the_entries_in_order_with_help_at_the_right() {
        ProgramUnderTest program;
        QMenuBar* bar = program.window().menuBar();
        QStringList labels;
        for (QAction* action : bar->actions())
            labels << action->text();
        // The View menu stays in the classic view: it is the way back.
        QCOMPARE(labels,
                 (QStringList{"&File", "&No intervention", "&Intervention", "&Scale", "&View"}));
        auto* corner = qobject_cast<QMenuBar*>(bar->cornerWidget(Qt::TopRightCorner));
        QVERIFY(corner != nullptr);
        QCOMPARE(corner->actions().size(), 1);
        QCOMPARE(corner->actions().first()->text(), QStringLiteral("&Help"));
        QVERIFY(corner->geometry().left() > bar->actionGeometry(bar->actions().last()).right());

        QStringList file_items;
        for (QAction* action : bar->actions().first()->menu()->actions())
            file_items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(file_items,
                 (QStringList{QString::fromUtf8("&Open Scenario\u2026"),
                              QString::fromUtf8("Save Scenario &As\u2026"), "-",
                              QString::fromUtf8("&Save Trace As\u2026"),
                              QString::fromUtf8("&Export Chart\u2026"), "-", "&Print\tCtrl+P",
                              "p&Rinter setup\tCtrl+R", "-", "e&Xit\tCtrl+X"}));
        // Key texts only: the keys themselves are the window's accelerators.
        for (QAction* entry : bar->actions()) {
            if (entry->menu() == nullptr) continue;
            for (QAction* item : entry->menu()->actions())
                QVERIFY(item->shortcut().isEmpty());
        }
        QStringList calculate_items;
        for (QAction* action : bar->actions().at(1)->menu()->actions())
            calculate_items << action->text();
        QCOMPARE(calculate_items, (QStringList{"&Calculate\tCtrl+N", "&Main parameters\tCtrl+M"}));
    }

    void every_menu_entry_reaches_its_command_data() {
        QTest::addColumn<QString>("bar_entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("command");
        QTest::newRow("Print") << "&File"
                               << "&Print" << 104;
        QTest::newRow("Printer setup") << "&File"
                                       << "p&Rinter setup" << 105;
        QTest::newRow("Exit") << "&File"
                              << "e&Xit" << 106;
        QTest::newRow("Calculate") << "&No intervention"
                                   << "&Calculate" << 108;
        QTest::newRow("Main parameters, no intervention") << "&No intervention"
                                                          << "&Main parameters" << 110;
        QTest::newRow("One-time") << "&Intervention"
                                  << "&One-time    " << 111;
        QTest::newRow("Intermittent") << "&Intervention"
                                      << "&Intermittent" << 112;
        QTest::newRow("Main parameters, intervention") << "&Intervention"
                                                       << "&Main parameters" << 110;
        QTest::newRow("Scale") << "&Scale"
                               << "" << 114;
        QTest::newRow("Help") << "&Help"
                              << "" << 107;
    }
    void every_menu_entry_reaches_its_command() {
        QFETCH(QString, bar_entry);
        QFETCH(QString, item);
        QFETCH(int, command);
        ProgramUnderTest program;
        QMenuBar* bar = program.window().menuBar();
        QAction* action = find_action(bar->actions(), bar_entry);
        if (action == nullptr) {
            auto* corner = qobject_cast<QMenuBar*>(bar->cornerWidget(Qt::TopRightCorner));
            QVERIFY(corner != nullptr);
            action = find_action(corner->actions(), bar_entry);
        }
        QVERIFY(action != nullptr);
        if (!item.isEmpty()) {
            QVERIFY(action->menu() != nullptr);
            action = find_action(action->menu()->actions(), item);
            QVERIFY(action != nullptr);
        }
        check_command_outcome(observe(program, [action] { action->trigger(); }), command);
    }

    void every_accelerator_reaches_its_command_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("control");
        QTest::addColumn<int>("command");
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << true << 104;
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << true << 105;
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << true << 106;
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << true << 108;
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << true << 108;
        QTest::newRow("Ctrl+M") << int(Qt::Key_M) << true << 110;
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << true << 111;
        QTest::newRow("Ctrl+I") << int(Qt::Key_I) << true << 112;
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << true << 114;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 107;
    }
    void every_accelerator_reaches_its_command() {
        QFETCH(int, key);
        QFETCH(bool, control);
        QFETCH(int, command);
        ProgramUnderTest program;
        Qt::KeyboardModifiers modifiers = control ? Qt::ControlModifier : Qt::NoModifier;
        QWidget* target = program.window().view();
        check_command_outcome(
            observe(program, [&] { QTest::keyClick(target, Qt::Key(key), modifiers); }), command);
    }

    void mnemonics_of_the_bar_commands_reach_them_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("command");
        QTest::newRow("Alt+S") << int(Qt::Key_S) << 114;
        QTest::newRow("Alt+H") << int(Qt::Key_H) << 107;
    }
    void mnemonics_of_the_bar_commands_reach_them() {
        QFETCH(int, key);
        QFETCH(int, command);
        ProgramUnderTest program;
        QWidget* target = program.window().view();
        check_command_outcome(
            observe(program, [&] { QTest::keyClick(target, Qt::Key(key), Qt::AltModifier); }),
            command);
    }

    void help_box_says_help_menu_is_selected() {
        ProgramUnderTest program;
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* owner = nullptr;
        int buttons = 0;
        auto answer = when_modal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box != nullptr) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                owner = box->parentWidget();
                buttons = int(box->buttons().size());
            }
            QTest::keyClick(modal, Qt::Key_Return);
        });
        QTest::keyClick(program.window().view(), Qt::Key_F1);
        QCOMPARE(text, QStringLiteral("Help menu is selected!"));
        QCOMPARE(title, QStringLiteral("Message"));
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(owner, &program.window());
        QCOMPARE(buttons, 1);
        QCOMPARE(program.records().mode, -1);
    }

    void run_failures_are_reported_and_a_full_run_is_still_shown() {
        ProgramUnderTest program;
        // A folder where the trace file should go: the run cannot write it.
        QVERIFY(QDir(program.folder()).mkdir(QStringLiteral("temp.dat")));
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* owner = nullptr;
        auto answer = when_modal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                icon = box->icon();
                owner = box->parentWidget();
                box->accept();
            }
        });
        program.window().execute(108);
        // The trace's full path and the system's reason.
        QCOMPARE(text, QStringLiteral("The trace file %1 could not be written (Is a directory); "
                                      "the chart shows the full run.")
                           .arg(program.trace_path()));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(owner, &program.window());
        QCOMPARE(program.records().mode, 0);
        QVERIFY(program.records().results[799][3] > 1000.0);  // recovered by day 200
        QVERIFY(program.view_shows_records());
        QVERIFY(coloured_pixels(grab_view(program.window())) > 0);

        // The folder stays: the program never wrote a trace of its own.
        program.end_window();
        QVERIFY(QFileInfo(program.trace_path()).isDir());
    }

    void refused_run_is_reported() {
        ProgramUnderTest program;
        program.records().model.latent_period = 0.0;
        QCOMPARE(box_text_of_calculate(program), QString::fromLatin1(run_failure_text(2)));
    }

    void overflow_is_reported_with_its_first_day() {
        ProgramUnderTest program;
        program.records().model.R_0 = 1e308;
        QCOMPARE(box_text_of_calculate(program),
                 QString::fromStdString(non_finite_run_text({1, 0.25})));
        QVERIFY(QFile::exists(program.trace_path()));  // written in full all the same
    }

    void saving_keeps_the_trace_and_the_chart_and_names_full_paths() {
        ProgramUnderTest program;
        program.window().execute(108);
        const std::string kept = QDir(program.folder()).filePath("kept.dat").toStdString();
        std::string error;
        QVERIFY(copy_trace("temp.dat", kept, error));
        QFile original(program.trace_path());
        QFile copy(QString::fromStdString(kept));
        QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
        const QString missing = QDir(program.folder()).filePath("missing/kept.dat");
        QVERIFY(!copy_trace("temp.dat", missing.toStdString(), error));
        QCOMPARE(QString::fromStdString(error), missing + ": No such file or directory");
        QVERIFY(!copy_trace("temp.dat", program.trace_path().toStdString(), error));
        QVERIFY(QFile::exists(program.trace_path()));

        // A name without a picture type takes the chosen one.
        SeriesColours colours;
        init_series_colours(colours);
        const QString chart = QDir(program.folder()).filePath("chart");
        const ViewDrawing draw = [&](Surface& surface, int width, int height) {
            paint_view(surface, program.records(), colours, width, height);
        };
        QVERIFY(export_view(draw, chart.toStdString(), "svg", QSize(600, 350), error));
        QVERIFY(QFile::exists(chart + ".svg"));
    }

    // A disk that fills up (a file size limit here) leaves the user's file
    // as it was; a full device behind a link is written in place and stays.
    void failed_saving_leaves_what_stood_there() {
        ProgramUnderTest program;
        program.window().execute(108);
        const QString old_file = QDir(program.folder()).filePath("old.dat");
        const QString device = QDir(program.folder()).filePath("full.png");
        QFile old(old_file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("mine\n") == 5);
        old.close();
        QVERIFY(QFile::link("/dev/full", device));
        std::string error;
        rlimit saved = {};
        getrlimit(RLIMIT_FSIZE, &saved);
        const sighandler_t previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limited);
        const bool copied = copy_trace("temp.dat", old_file.toStdString(), error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!copied);
        QCOMPARE(QString::fromStdString(error), old_file + ": File too large");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("mine\n"));
        QVERIFY(!copy_trace("temp.dat", device.toStdString(), error));
        QCOMPARE(QString::fromStdString(error), device + ": No space left on device");
        SeriesColours colours;
        init_series_colours(colours);
        const ViewDrawing draw = [&](Surface& surface, int width, int height) {
            paint_view(surface, program.records(), colours, width, height);
        };
        QVERIFY(!export_view(draw, device.toStdString(), "png", QSize(60, 35), error));
        QVERIFY(QFileInfo(device).isSymLink() && QFileInfo::exists("/dev/full"));
        QCOMPARE(QDir(program.folder()).entryList(QDir::Files | QDir::System).size(), 3);
    }

    void exit_deletes_the_trace_this_program_wrote() {
        ProgramUnderTest program;
        QTest::keyClick(program.window().view(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(QFile::exists(program.trace_path()));
        QTest::keyClick(program.window().view(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!program.window().isVisible());
        QVERIFY(QFile::exists(program.trace_path()));  // still running
        program.end_window();
        QVERIFY(!QFile::exists(program.trace_path()));
    }

    void exit_keeps_a_trace_it_never_wrote() {
        ProgramUnderTest program;
        QFile earlier(program.trace_path());
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("kept\n");
        earlier.close();
        program.end_window();
        QFile kept(program.trace_path());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("kept\n"));
    }

    // A scenario named on the command line is opened and calculated; a bad
    // one is told in a box and changes nothing.
    void a_scenario_file_opens_and_runs_and_a_bad_one_is_told() {
        ProgramUnderTest program;
        QFile good(program.folder() + QStringLiteral("/plan.morbilex"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("R_0 = 1.5\nReduction = 0.5\nmode = 2\n");
        good.close();
        program.window().open_scenario(good.fileName().toStdString());
        QCOMPARE(program.records().model.R_0, 1.5);
        QCOMPARE(program.records().intermittent.Reduction, 0.5);
        QCOMPARE(program.records().mode, 2);
        QVERIFY(program.view_shows_records());

        QFile bad(program.folder() + QStringLiteral("/bad.morbilex"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("R_0 = 3\nReduction = 80\n");
        bad.close();
        QString told;
        auto box = when_modal([&](QWidget* modal) {
            if (auto* message = qobject_cast<QMessageBox*>(modal)) told = message->text();
            modal->close();
        });
        program.window().open_scenario(bad.fileName().toStdString());
        QVERIFY(box.called());
        QVERIFY2(told.contains(QStringLiteral("bad.morbilex: line 2: Reduction = \"80\" refused")),
                 qPrintable(told));
        QCOMPARE(program.records().model.R_0, 1.5);
        QCOMPARE(program.records().intermittent.Reduction, 0.5);
    }
};

QTEST_MAIN(ProgramWindowTest)
#include "program_window_test.moc"
