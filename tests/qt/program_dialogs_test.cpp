// The four editing dialogs: layout from the tables, first texts, OK, refusals,
// Cancel, Esc, Enter, the close box, the inert Help, and the run and repaint
// that follow.
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "program_test_support.h"
#include "qt/editing_dialog.h"
#include "shell/dialogs.h"

using namespace morbilex;
using namespace morbilex::testing;

namespace {

template <typename Widget>
Widget* control(QDialog& dialog, int id) {
    return dialog.findChild<Widget*>(QStringLiteral("control%1").arg(id));
}

void type_into(QDialog& dialog, int id, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, id);
    QVERIFY(edit != nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void click(QDialog& dialog, int id) {
    QTest::mouseClick(control<QPushButton>(dialog, id), Qt::LeftButton);
}

struct DialogSession {
    bool opened = false;
    bool closed_by_steps = true;
};

// Opens the dialog through its command, takes the steps inside it and then
// lets the command finish. A dialog the steps left open is cancelled.
DialogSession run_command_with_dialog(ProgramUnderTest& program, int command,
                                      const std::function<void(QDialog&)>& steps) {
    DialogSession session;
    auto answer = when_modal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr) return;
        session.opened = true;
        steps(*dialog);
        if (dialog->isVisible()) {
            session.closed_by_steps = false;
            dialog->reject();
        }
    });
    program.window().execute(command);
    return session;
}

int command_of(DialogKind kind) {
    switch (kind) {
        case DialogKind::ModelParameters:
            return 110;
        case DialogKind::OneTimePlan:
            return 111;
        case DialogKind::IntermittentPlan:
            return 112;
        case DialogKind::AxisScale:
            break;
    }
    return 114;
}

}  // namespace

Q_DECLARE_METATYPE(DialogKind)

class ProgramDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void layout_follows_the_table_in_dialog_units_data() {
        QTest::addColumn<DialogKind>("kind");
        QTest::newRow("Cng_Para0") << DialogKind::ModelParameters;
        QTest::newRow("Cng_Para1") << DialogKind::OneTimePlan;
        QTest::newRow("Cng_Para2") << DialogKind::IntermittentPlan;
        QTest::newRow("Cng_Scale") << DialogKind::AxisScale;
    }
    void layout_follows_the_table_in_dialog_units() {
        QFETCH(DialogKind, kind);
        ProgramUnderTest program;
        const DialogTable& table = dialog_table(kind);
        EditingDialog dialog(table, program.records(), &program.window(), program.window().view(),
                             program.window().explorer().view.classic);
        DialogBaseUnits units = dialog_base_units(dialog.fontMetrics());
        QVERIFY(units.width > 0 && units.height > 0);
        QCOMPARE(dialog.size(),
                 dialog_units_to_pixels(units, 0, 0, table.width, table.height).size());
        QCOMPARE(dialog.windowTitle(), QString::fromLatin1(table.title));
        for (const ControlSpec& planned_control : table.controls) {
            QRect planned = dialog_units_to_pixels(units, planned_control.x, planned_control.y,
                                                   planned_control.width, planned_control.height);
            QWidget* widget =
                dialog.findChild<QWidget*>(QStringLiteral("control%1").arg(planned_control.id));
            if (planned_control.id == CONTROL_ID_LABEL) {
                // Labels share one name; find this one by its text.
                for (QLabel* label : dialog.findChildren<QLabel*>()) {
                    if (label->text() == QString::fromLatin1(planned_control.text)) widget = label;
                }
            }
            QVERIFY2(widget != nullptr, planned_control.text);
            QRect placed = widget->geometry();
            QVERIFY(dialog.rect().contains(placed));
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                // Right-aligned at its planned right edge or just before a field
                // that starts under it, wide enough for its text, and not
                // covered by any field.
                QVERIFY(placed.right() <= planned.right());
                QVERIFY(placed.right() >= planned.right() - units.width * 5 / 4 - 2);
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= placed.width(),
                         planned_control.text);
                for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
                    QVERIFY2(!edit->geometry().intersects(placed), planned_control.text);
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(placed.left(), planned.left());
                QCOMPARE(placed.width(), planned.width());
                QVERIFY(placed.center().y() - planned.center().y() <= 1);
                QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->text()) + 8 <= placed.width(),
                         qPrintable(edit->text()));
                QVERIFY(edit->height() >= edit->minimumSizeHint().height());
            } else {
                QCOMPARE(placed, planned);
                auto* button = qobject_cast<QPushButton*>(widget);
                QVERIFY(button != nullptr);
                QCOMPARE(button->isDefault(), planned_control.id == CONTROL_ID_OK);
            }
        }
    }

    void the_widest_texts_of_the_model_range_fit_their_fields_data() {
        layout_follows_the_table_in_dialog_units_data();
    }
    void the_widest_texts_of_the_model_range_fit_their_fields() {
        QFETCH(DialogKind, kind);
        ProgramUnderTest program;
        // Counts up to the population of 10,000, days up to 10,000, negative
        // entries, and limits that %12.5g shows in full width.
        Records& records = program.records();
        records.model = {12.5, 10000.0, -4.6, 0.25, 40000, 10000.0, 10000.0, 10000.0, 10000.0};
        records.one_time = {-0.5, 10000.0, 10000.0, -0.5, 10000.0, 10000.0, -0.5, 10000.0, 10000.0};
        records.intermittent = {-0.5, 10000.0, 10000.0};
        records.scale = {-123456.0, -1.2345e-100, -0.000123456, 123456.0, 100.0, 100.0};
        EditingDialog dialog(dialog_table(kind), records, &program.window(),
                             program.window().view(), program.window().explorer().view.classic);
        QList<QWidget*> controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* widget : controls) {
            QRect placed = widget->geometry();
            QVERIFY(dialog.rect().contains(placed));
            for (QWidget* other : controls) {
                if (other != widget)
                    QVERIFY2(!other->geometry().intersects(placed),
                             qPrintable(widget->objectName() + " " + other->objectName()));
            }
            QString text;
            int margins = 0;
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                text = edit->text();
                margins = 8;
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                text = label->text();
            }
            QVERIFY2(widget->fontMetrics().horizontalAdvance(text) + margins <= placed.width(),
                     qPrintable(text));
        }
    }

    void opening_shows_the_live_values_data() {
        QTest::addColumn<DialogKind>("kind");
        QTest::addColumn<QStringList>("texts");  // "id=text"
        QTest::newRow("model parameters")
            << DialogKind::ModelParameters
            << QStringList{"205=  2.50",  "206=  4.60",  "207=  5.00",  "208=  200.00",
                           "210=9999.90", "211=   0.10", "212=   0.00", "213=   0.00"};
        QTest::newRow("one-time plan")
            << DialogKind::OneTimePlan
            << QStringList{"220= 0.800", "221= 10.00", "222= 70.00", "223= 0.000", "224= 70.00",
                           "225= 70.00", "226= 0.000", "227= 70.00", "228= 70.00"};
        QTest::newRow("intermittent plan") << DialogKind::IntermittentPlan
                                           << QStringList{"231= 0.800", "232= 35.00", "233=  5.00"};
        QTest::newRow("axis scale") << DialogKind::AxisScale
                                    << QStringList{"201=           0", "202=         200",
                                                   "203=           0", "204=         100"};
    }
    void opening_shows_the_live_values() {
        QFETCH(DialogKind, kind);
        QFETCH(QStringList, texts);
        ProgramUnderTest program;
        QStringList shown;
        QString focused;
        DialogSession session =
            run_command_with_dialog(program, command_of(kind), [&](QDialog& dialog) {
                for (const QString& expected : texts) {
                    int id = expected.section('=', 0, 0).toInt();
                    QWidget* widget =
                        dialog.findChild<QWidget*>(QStringLiteral("control%1").arg(id));
                    if (auto* edit = qobject_cast<QLineEdit*>(widget))
                        shown << QStringLiteral("%1=%2").arg(id).arg(edit->text());
                    if (auto* label = qobject_cast<QLabel*>(widget))
                        shown << QStringLiteral("%1=%2").arg(id).arg(label->text());
                }
                if (QWidget* widget = dialog.focusWidget()) focused = widget->objectName();
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
        QVERIFY(session.opened);
        QVERIFY(session.closed_by_steps);
        QCOMPARE(shown, texts);
        QCOMPARE(focused, texts.first().section('=', 0, 0).prepend("control"));
    }

    void model_parameters_ok_stores_runs_and_repaints() {
        ProgramUnderTest program;
        PaintCounter paints(*program.window().view());
        DialogSession session = run_command_with_dialog(program, 110, [](QDialog& dialog) {
            type_into(dialog, 205, "3.5 days");
            type_into(dialog, 208, "123.9");
            // Enter in a field presses the default button, OK.
            QTest::keyClick(control<QLineEdit>(dialog, 208), Qt::Key_Return);
        });
        QVERIFY(session.opened && session.closed_by_steps);
        QCOMPARE(program.records().model.R_0, 3.5);
        QCOMPARE(program.records().model.n_steps, 492);
        QCOMPARE(program.records().mode, 0);
        QVERIFY(QFile::exists(program.trace_path()));
        QTRY_VERIFY(paints.count() > 0);
        QVERIFY(program.view_shows_records());

        // The next opening shows what was stored.
        QString T_max;
        run_command_with_dialog(program, 110, [&](QDialog& dialog) {
            T_max = control<QLineEdit>(dialog, 208)->text();
            click(dialog, CONTROL_ID_CANCEL);
        });
        QCOMPARE(T_max, QStringLiteral("  123.00"));
    }

    void refusals_keep_the_dialog_open_and_silent_data() {
        QTest::addColumn<QString>("latent_text");
        QTest::newRow("no leading number") << "x4.6";
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("zero period") << "0";
        QTest::newRow("negative period") << "-4.6";
        QTest::newRow("infinite") << "1e999";
        QTest::newRow("not a number") << "nan";
    }
    void refusals_keep_the_dialog_open_and_silent() {
        QFETCH(QString, latent_text);
        ProgramUnderTest program;
        bool open_after_ok = false;
        bool nothing_else_came_up = false;
        bool refusing_field_selected = false;
        DialogSession session = run_command_with_dialog(program, 110, [&](QDialog& dialog) {
            type_into(dialog, 206, latent_text);
            type_into(dialog, 205, "3");
            click(dialog, CONTROL_ID_OK);
            open_after_ok = dialog.isVisible();
            nothing_else_came_up = QApplication::activeModalWidget() == &dialog;
            auto* latent = control<QLineEdit>(dialog, 206);
            refusing_field_selected =
                dialog.focusWidget() == latent && latent->selectedText() == latent->text();
            // The refused OK stored nothing: after Cancel R_0 is as it was.
            click(dialog, CONTROL_ID_CANCEL);
        });
        QVERIFY(session.opened && session.closed_by_steps);
        QVERIFY(open_after_ok);
        QVERIFY(nothing_else_came_up);
        QVERIFY(refusing_field_selected);
        QCOMPARE(program.records().model.R_0, 2.5);
        QCOMPARE(program.records().model.latent_period, 4.6);
        // Cancel still runs in the current mode.
        QCOMPARE(program.records().mode, 0);
        QVERIFY(QFile::exists(program.trace_path()));
        QVERIFY(program.view_shows_records());
    }

    void negative_initial_value_refuses_and_cancel_stores_nothing() {
        ProgramUnderTest program;
        bool open_after_ok = false;
        // A negative E(0) kept would run away to inf on day 75.5, with a box.
        ModalWatch overflow_box;
        run_command_with_dialog(program, 110, [&](QDialog& dialog) {
            type_into(dialog, 211, "-1");
            click(dialog, CONTROL_ID_OK);
            open_after_ok = dialog.isVisible();
            overflow_box = when_modal([](QWidget* box) { box->close(); }, &dialog);
            dialog.close();  // the close box acts as Cancel
        });
        QVERIFY(open_after_ok);
        QVERIFY(!overflow_box.called());
        QCOMPARE(program.records().model.init_E, 0.1);
        QCOMPARE(program.records().model.init_S, 9999.9);
        QCOMPARE(program.records().model.n_steps, 800);
    }

    void help_does_nothing_and_escape_cancels() {
        ProgramUnderTest program;
        bool open_after_help = false;
        run_command_with_dialog(program, 112, [&](QDialog& dialog) {
            type_into(dialog, 231, "0.5");
            click(dialog, CONTROL_ID_HELP);
            open_after_help = dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
            QTest::keyClick(control<QLineEdit>(dialog, 231), Qt::Key_Escape);
        });
        QVERIFY(open_after_help);
        QCOMPARE(program.records().intermittent.Reduction, 0.8);
        // Cancel still switches to the intermittent schedule and runs.
        QCOMPARE(program.records().mode, 2);
        QVERIFY(program.view_shows_records());
    }

    void one_time_plan_ok_orders_the_windows_and_runs_in_mode_1() {
        ProgramUnderTest program;
        run_command_with_dialog(program, 111, [](QDialog& dialog) {
            type_into(dialog, 221, "30");
            type_into(dialog, 222, "20");
            click(dialog, CONTROL_ID_OK);
        });
        QCOMPARE(program.records().one_time.t_srt1, 30.0);
        QCOMPARE(program.records().one_time.t_stp1, 30.0);
        QCOMPARE(program.records().one_time.t_srt2, 70.0);
        QCOMPARE(program.records().mode, 1);
        QVERIFY(program.view_shows_records());
    }

    void intermittent_plan_ok_runs_in_mode_2() {
        ProgramUnderTest program;
        run_command_with_dialog(program, 112, [](QDialog& dialog) {
            type_into(dialog, 232, "50");
            click(dialog, CONTROL_ID_OK);
        });
        QCOMPARE(program.records().intermittent.On_threshold, 50.0);
        QCOMPARE(program.records().mode, 2);
        QVERIFY(QFile::exists(program.trace_path()));
        QVERIFY(program.view_shows_records());
    }

    void scale_ok_repaints_without_a_run() {
        ProgramUnderTest program;
        program.window().execute(108);
        QVERIFY(QFile::remove(program.trace_path()));
        PaintCounter paints(*program.window().view());
        run_command_with_dialog(program, 114, [](QDialog& dialog) {
            type_into(dialog, 201, "50");
            type_into(dialog, 202, "150");
            click(dialog, CONTROL_ID_OK);
        });
        QCOMPARE(program.records().scale.xmin, 50.0);
        QCOMPARE(program.records().scale.xmax, 150.0);
        QVERIFY(!QFile::exists(program.trace_path()));
        QTRY_VERIFY(paints.count() > 0);
        QVERIFY(program.view_shows_records());
    }

    void scale_before_any_run_keeps_the_title_screen() {
        ProgramUnderTest program;
        run_command_with_dialog(program, 114, [](QDialog& dialog) {
            type_into(dialog, 204, "10000");
            click(dialog, CONTROL_ID_OK);
        });
        QCOMPARE(program.records().scale.ymax, 10000.0);
        QCOMPARE(program.records().mode, -1);
        QVERIFY(program.view_shows_records());
        QCOMPARE(coloured_pixels(grab_view(program.window())), 0);
    }

    // The explorer view tells why an OK was refused on a line under the
    // fields, the buttons a row lower; the classic view has no such line.
    void the_explorer_view_tells_the_reason_under_the_fields() {
        ProgramUnderTest program;
        QString classic_line = QStringLiteral("none");
        run_command_with_dialog(program, 111, [&](QDialog& dialog) {
            if (control<QLabel>(dialog, CONTROL_ID_REFUSAL_LINE) != nullptr)
                classic_line = QStringLiteral("present");
        });
        QCOMPARE(classic_line, QStringLiteral("none"));

        program.window().explorer().view.classic = false;
        QStringList lines;
        bool buttons_below_line = false;
        run_command_with_dialog(program, 111, [&](QDialog& dialog) {
            QLabel* line = control<QLabel>(dialog, CONTROL_ID_REFUSAL_LINE);
            if (line == nullptr) return;
            type_into(dialog, 220, "80");
            click(dialog, CONTROL_ID_OK);
            lines << line->text();
            type_into(dialog, 220, "0,8");
            click(dialog, CONTROL_ID_OK);
            lines << line->text();
            buttons_below_line = control<QPushButton>(dialog, CONTROL_ID_OK)->geometry().top() >=
                                 line->geometry().top() + line->fontMetrics().height();
        });
        QCOMPARE(lines, (QStringList{"Redct1: " + QString::fromLatin1(refusal_reason_text(
                                                      RefusalReason::NotAFraction)),
                                     "Redct1: " + QString::fromLatin1(refusal_reason_text(
                                                      RefusalReason::DecimalComma))}));
        QVERIFY(buttons_below_line);
        QCOMPARE(program.records().one_time.Redct1, 0.8);
    }
};

QTEST_MAIN(ProgramDialogsTest)
#include "program_dialogs_test.moc"
