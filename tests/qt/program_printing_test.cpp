// Printing: one page of the current view through the print dialog, the
// printer chosen in the set-up dialog, Cancel and a job that cannot start.
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <csignal>

#include <sys/resource.h>

#include "program_test_support.h"
#include "shell/messages.h"

using namespace morbilex;
using namespace morbilex::testing;

namespace {

const QString TITLE_LINE =
    QStringLiteral("--- Simulation for Transmission Dynamics of Morbilex (v.2b) ---");
const QString HEADER_LINE = QStringLiteral("MORBILEX : R_0 =  2.50");

// What came up during a print command: the print dialog's title, and any
// message box after it.
struct PrintSession {
    bool dialog_opened = false;
    QString dialog_title;
    QString confirm_text;
    QString box_text;
    QString box_title;
    QMessageBox::Icon box_icon = QMessageBox::NoIcon;
    QWidget* box_owner = nullptr;
};

// Runs the command; the print dialog is answered by answer, and a message
// box that follows it is recorded and closed.
PrintSession print_command(ProgramUnderTest& program, int command,
                           const std::function<void(QPrintDialog&)>& respond) {
    PrintSession session;
    ModalWatch box_watch;
    auto answer = when_modal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (dialog == nullptr) return;
        session.dialog_opened = true;
        session.dialog_title = dialog->windowTitle();
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            for (QAbstractButton* button : buttons->buttons()) {
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    session.confirm_text = button->text();
            }
        }
        box_watch = when_modal(
            [&](QWidget* next) {
                if (auto* box = qobject_cast<QMessageBox*>(next)) {
                    session.box_text = box->text();
                    session.box_title = box->windowTitle();
                    session.box_icon = box->icon();
                    session.box_owner = box->parentWidget();
                }
                qobject_cast<QDialog*>(next)->reject();
            },
            dialog);
        respond(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    program.window().execute(command);
    box_watch.stop();
    return session;
}

// Confirms with the settings the printer already holds, as the dialog's own
// fields would when left alone.
void confirm_as_set(QPrintDialog& dialog) {
    dialog.done(QDialog::Accepted);
}

}  // namespace

class ProgramPrintingTest : public QObject {
    Q_OBJECT
private slots:
    void prints_the_chart_on_one_pdf_page() {
        ProgramUnderTest program;
        program.window().execute(108);
        QString pdf = QDir(program.folder()).filePath(QStringLiteral("chart.pdf"));
        program.window().printing().printer().setOutputFileName(pdf);
        PrintSession session = print_command(program, 104, [](QPrintDialog& dialog) {
            dialog.accept();  // the dialog's own confirmation, file output preselected
        });
        QVERIFY(session.dialog_opened);
        QVERIFY(session.box_text.isEmpty());
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(pdf_pages(pdf), 1);
        QCOMPARE(pdf_info(pdf, QStringLiteral("Title")), QStringLiteral("Morbilex"));
        QString text = pdf_text(pdf);
        QVERIFY2(text.simplified().contains(HEADER_LINE.simplified()), qPrintable(text));
        QVERIFY(!text.simplified().contains(TITLE_LINE.simplified()));
    }

    // The explorer's page: across for a chart wider than tall, upright for
    // one taller than wide, the scenario named and the figures on it.
    void the_explorer_fills_a_page_shaped_like_its_chart() {
        ProgramUnderTest program(false);
        program.window().execute(108);
        for (const QSize window : {QSize(1280, 800), QSize(560, 900)}) {
            program.window().resize(window);
            QApplication::processEvents();
            const QString pdf = QDir(program.folder()).filePath(QStringLiteral("explorer.pdf"));
            program.window().printing().printer().setOutputFileName(pdf);
            print_command(program, 104, confirm_as_set);
            const QStringList size = pdf_info(pdf, QStringLiteral("Page size")).split(' ');
            QVERIFY(size.size() >= 3);
            const QSize chart = program.window().view()->size();
            QCOMPARE(size[0].toDouble() > size[2].toDouble(), chart.width() > chart.height());
            const QString text = pdf_text(pdf).simplified();
            for (const char* part : {"Unsaved scenario", "R_0 2.50", "Peak infectious"})
                QVERIFY2(text.contains(QLatin1String(part)), qPrintable(text));
        }
    }
    void prints_the_title_screen_before_any_run() {
        ProgramUnderTest program;
        QString pdf = QDir(program.folder()).filePath(QStringLiteral("title.pdf"));
        program.window().printing().printer().setOutputFileName(pdf);
        print_command(program, 104, confirm_as_set);
        QCOMPARE(pdf_pages(pdf), 1);
        QVERIFY(pdf_text(pdf).simplified().contains(TITLE_LINE.simplified()));
        QCOMPARE(program.records().mode, -1);
    }

    void cancel_prints_nothing_and_shows_nothing() {
        ProgramUnderTest program;
        program.window().execute(108);
        QString pdf = QDir(program.folder()).filePath(QStringLiteral("none.pdf"));
        program.window().printing().printer().setOutputFileName(pdf);
        PrintSession session =
            print_command(program, 104, [](QPrintDialog& dialog) { dialog.reject(); });
        QVERIFY(session.dialog_opened);
        QVERIFY(session.box_text.isEmpty());
        QVERIFY(!QFile::exists(pdf));
    }

    void a_job_that_cannot_start_says_so() {
        ProgramUnderTest program;
        program.window().execute(108);
        program.window().printing().printer().setOutputFileName(
            QDir(program.folder()).filePath(QStringLiteral("missing/folder/chart.pdf")));
        PrintSession session = print_command(program, 104, confirm_as_set);
        QCOMPARE(session.box_text, QStringLiteral("Unable to start print job"));
        QCOMPARE(session.box_title, QStringLiteral("Error"));
        QCOMPARE(session.box_icon, QMessageBox::Critical);
        QCOMPARE(session.box_owner, &program.window());
    }

    void a_page_that_cannot_be_written_says_so_and_the_next_print_works() {
        ProgramUnderTest program;
        program.window().execute(108);
        const QString pdf = QDir(program.folder()).filePath(QStringLiteral("chart.pdf"));
        program.window().printing().printer().setOutputFileName(pdf);
        // A full disk: no file of this process may grow beyond 1 KiB.
        rlimit usual = {};
        getrlimit(RLIMIT_FSIZE, &usual);
        rlimit full = usual;
        full.rlim_cur = 1024;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &full);
        const PrintSession failed = print_command(program, 104, confirm_as_set);
        setrlimit(RLIMIT_FSIZE, &usual);
        QCOMPARE(failed.box_text, QString::fromLatin1(PRINT_INCOMPLETE_TEXT));
        QVERIFY(!QFile::exists(pdf));

        const PrintSession next = print_command(program, 104, confirm_as_set);
        QVERIFY(next.box_text.isEmpty());
        QCOMPARE(pdf_pages(pdf), 1);
    }

    void printer_setup_chooses_what_the_next_print_starts_from() {
        ProgramUnderTest program;
        program.window().execute(108);
        QString first = QDir(program.folder()).filePath(QStringLiteral("first.pdf"));
        QString chosen = QDir(program.folder()).filePath(QStringLiteral("chosen.pdf"));
        QString dropped = QDir(program.folder()).filePath(QStringLiteral("dropped.pdf"));
        QPrinter& printer = program.window().printing().printer();
        printer.setOutputFileName(first);

        auto choose_file = [](const QString& file) {
            return [file](QPrintDialog& dialog) {
                auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
                QVERIFY(field != nullptr);
                field->setText(file);
            };
        };
        PrintSession setup = print_command(program, 105, [&](QPrintDialog& dialog) {
            choose_file(chosen)(dialog);
            dialog.accept();
        });
        QCOMPARE(setup.dialog_title, QStringLiteral("Printer setup"));
        QCOMPARE(setup.confirm_text, QStringLiteral("OK"));
        QCOMPARE(printer.outputFileName(), chosen);
        QVERIFY(!QFile::exists(chosen));  // set-up prints nothing

        // A cancelled set-up keeps the earlier choice.
        print_command(program, 105, [&](QPrintDialog& dialog) {
            choose_file(dropped)(dialog);
            dialog.reject();
        });
        QCOMPARE(printer.outputFileName(), chosen);

        // The next print dialog starts from the chosen file; two prints each
        // go through the dialog.
        QString preselected;
        PrintSession print = print_command(program, 104, [&](QPrintDialog& dialog) {
            preselected = dialog.findChild<QLineEdit*>(QStringLiteral("filename"))->text();
            dialog.accept();
        });
        QCOMPARE(preselected, chosen);
        QCOMPARE(print.dialog_title.isEmpty(), false);
        QCOMPARE(pdf_pages(chosen), 1);
        QVERIFY(QFile::remove(chosen));
        PrintSession again =
            print_command(program, 104, [](QPrintDialog& dialog) { dialog.accept(); });
        QVERIFY(again.dialog_opened);
        QCOMPARE(pdf_pages(chosen), 1);
        QVERIFY(!QFile::exists(first));
    }
};

QTEST_MAIN(ProgramPrintingTest)
#include "program_printing_test.moc"
