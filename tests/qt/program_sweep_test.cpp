// The sweep window driven as a user would: its values against morbilex-batch's
// rows of the same sweep, a click that loads the scenario under it, another
// column drawn without running again, and Stop, waited on by state.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>

#include "analysis/run_summary.h"
#include "program_test_support.h"
#include "qt/sweep_window.h"
#include "shell/menu.h"
#include "shell/scenario_document.h"
#include "text/shortest.h"

using namespace morbilex;
using namespace morbilex::testing;

namespace {

SweepWindow& open_sweep(MainWindow& window) {
    window.execute(COMMAND_SWEEP);
    SweepWindow& sweep = *window.sweep_window();
    sweep.activateWindow();
    if (!QTest::qWaitForWindowActive(&sweep)) qWarning("the sweep window is not active");
    return sweep;
}

void type_axis(SweepWindow& sweep, int k, const char* name, const char* from, const char* to,
               const char* step) {
    sweep.field(k)->setCurrentText(QString::fromLatin1(name));
    sweep.from(k)->setText(QString::fromLatin1(from));
    sweep.to(k)->setText(QString::fromLatin1(to));
    sweep.step(k)->setText(QString::fromLatin1(step));
}

}  // namespace

class ProgramSweepTest : public QObject {
    Q_OBJECT
private slots:
    void values_equal_batch_and_a_click_loads_its_scenario() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        Records& records = program.records();
        records.mode = MODE_ONE_TIME;
        records.model.n_steps = 600;
        records.model.latent_period = 3.7;
        SweepWindow& sweep = open_sweep(window);
        QVERIFY(sweep.isVisible());
        type_axis(sweep, 0, "R_0", "1.5", "3", "0.5");
        type_axis(sweep, 1, "Redct1", "0.2", "0.8", "0.2");
        sweep.heat_map()->setChecked(true);
        QTest::mouseClick(sweep.run_button(), Qt::LeftButton);
        QTRY_VERIFY(sweep.desk().state() == SweepDesk::State::Finished);
        QCOMPARE(sweep.desk().total(), 16LL);

        // The same sweep of the same scenario by morbilex-batch: every value equal.
        const QString scenario = program.folder() + QStringLiteral("/base.morbilex");
        {
            QFile file(scenario);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromStdString(write_scenario_document(records)));
        }
        QProcess batch;
        batch.start(QStringLiteral(MORBILEX_BATCH_PROGRAM),
                    {QStringLiteral("--scenario=") + scenario, QStringLiteral("--mode=1"),
                     QStringLiteral("--sweep=R_0=1.5:3:0.5"),
                     QStringLiteral("--sweep=Redct1=0.2:0.8:0.2")});
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 0);
        const QList<QByteArray> lines = batch.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 17);
        const QList<QByteArray> names = lines[0].split(',');
        int compared = 0;
        for (int line = 1; line < lines.size(); ++line) {
            const QList<QByteArray> cells = lines[line].split(',');
            const long long run_id = cells[0].toLongLong();
            const long long cell = sweep.desk().picture().cell_of(run_id);
            for (int c = 3; c < names.size(); ++c) {
                const int column = summary_column_index(names[c].toStdString());
                QVERIFY(column >= 0);
                if (SUMMARY_COLUMNS[column].kind == ValueKind::Text) continue;
                const double value = sweep.desk().cell_value(cell, column);
                std::string text;
                if (std::isfinite(value)) append_shortest(text, value);
                QCOMPARE(QByteArray::fromStdString(text), cells[c]);
                ++compared;
            }
        }
        QVERIFY(compared > 16 * 30);

        // The last cell (R_0 3, Redct1 0.8): its read-out, and a click loads it.
        SweepPictureView& picture = *sweep.picture();
        QPoint last(-1, -1);
        for (int y = 0; y < picture.height() && last.x() < 0; y += 2) {
            for (int x = 0; x < picture.width(); x += 2) {
                if (sweep.desk().run_id_at(x, y) == 16) {
                    last = QPoint(x, y);
                    break;
                }
            }
        }
        QVERIFY(last.x() >= 0);
        QMouseEvent move(QEvent::MouseMove, last, picture.mapToGlobal(last), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&picture, &move);
        QVERIFY(sweep.read_out()->text().startsWith(QStringLiteral("R_0 3, Redct1 0.8:")));
        records.mode = MODE_NO_INTERVENTION;
        QTest::mouseClick(&picture, Qt::LeftButton, {}, last);
        QCOMPARE(records.model.R_0, 3.0);
        QCOMPARE(records.one_time.Redct1, 0.8);
        QCOMPARE(records.mode, MODE_ONE_TIME);
        QVERIFY(window.explorer().figures().available);

        // Another column: drawn again from what ran, nothing run again.
        PaintCounter paints(picture);
        sweep.column()->setCurrentText(QStringLiteral("attack_rate"));
        QTRY_VERIFY(paints.count() > 0);
        QCOMPARE(sweep.desk().done(), 16LL);
        QCOMPARE(sweep.desk().state(), SweepDesk::State::Finished);
    }

    void stop_ends_the_sweep_where_it_is() {
        ProgramUnderTest program(false);
        SweepWindow& sweep = open_sweep(program.window());
        // Ten million scenarios: far more than run before Stop is pressed.
        type_axis(sweep, 0, "R_0", "1", "3", "0.0000002");
        sweep.field(1)->setCurrentIndex(0);
        QTest::mouseClick(sweep.run_button(), Qt::LeftButton);
        QTRY_VERIFY(sweep.desk().done() > 0);
        QVERIFY(sweep.stop_button()->isEnabled());
        QTest::mouseClick(sweep.stop_button(), Qt::LeftButton);
        QCOMPARE(sweep.desk().state(), SweepDesk::State::Stopped);
        const long long done = sweep.desk().done();
        QVERIFY(done < sweep.desk().total());
        QCoreApplication::processEvents();
        QCOMPARE(sweep.desk().done(), done);
        QVERIFY(sweep.run_button()->isEnabled());
        QVERIFY(sweep.status()->text().startsWith(QStringLiteral("Stopped after")));
        // Closed while it runs: it stops.
        QTest::mouseClick(sweep.run_button(), Qt::LeftButton);
        QCOMPARE(sweep.desk().state(), SweepDesk::State::Running);
        sweep.reject();
        QCOMPARE(sweep.desk().state(), SweepDesk::State::Stopped);
    }
};

QTEST_MAIN(ProgramSweepTest)
#include "program_sweep_test.moc"
