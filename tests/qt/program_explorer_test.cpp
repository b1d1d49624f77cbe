// The explorer view in the window, driven as a user would: a slider dragged
// and released, the read-out under the mouse and on the arrow keys, fitting,
// the figures panel, and the classic view that turns it all off.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <cmath>

#include "explore/sliders.h"
#include "picture/painter_surface.h"
#include "program_test_support.h"
#include "shell/menu.h"

using namespace morbilex;
using namespace morbilex::testing;

namespace {

// Runs a command whose file dialog is answered with this path.
void answer_file_dialog(MainWindow& window, int command, const QString& path) {
    auto answer = when_modal([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog != nullptr);
        // The name typed, as a user would (the dialog's own completion of a
        // selected file runs on a thread of its own).
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    window.execute(command);
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

}  // namespace

class ProgramExplorerTest : public QObject {
    Q_OBJECT
private slots:
    void slider_read_out_fit_and_classic_view() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        Records& records = program.records();
        QVERIFY(window.figures_panel()->isVisible());
        {
            // The dialog closed as with Cancel: the run takes the plan as it is.
            auto cancel =
                when_modal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
            window.execute(COMMAND_ONE_TIME);
        }
        QCOMPARE(records.mode, MODE_ONE_TIME);
        // Fitted after the run: the whole epidemic and the comparison.
        QCOMPARE(records.scale.ymax, 10000.0);
        QCOMPARE(records.scale.xmax, 200.0);
        auto* figures = window.figures_panel()->findChild<QLabel*>(QStringLiteral("figures"));
        QVERIFY(figures->text().contains(QStringLiteral("1196.64")));  // no intervention's peak

        // Dragging R_0: runs without a trace; the release writes it.
        QFile::remove(program.trace_path());
        QSlider* r0 = window.slider("R_0");
        QVERIFY(r0 != nullptr);
        r0->setSliderDown(true);
        r0->setValue(r0->value() + 10);  // 0.5 more
        QCOMPARE(records.model.R_0, 3.0);
        QVERIFY(!QFile::exists(program.trace_path()));
        r0->setSliderDown(false);
        QVERIFY(QFile::exists(program.trace_path()));
        QApplication::processEvents();
        QImage dragged = grab_view(window);
        dragged.save(QDir(program.folder()).filePath(QStringLiteral("explorer.png")));

        // The read-out follows the mouse, then the keys step by step.
        ChartView* view = window.view();
        const int x = view->width() / 2;
        QTest::mouseMove(view, QPoint(x, view->height() / 3));
        QTRY_VERIFY(window.explorer().read_out_step > 0);
        QCOMPARE(window.explorer().read_out_step,
                 step_at_device_x(records, x, view->width(), view->height(),
                                  reading_cell_pixels(view->logicalDpiY())));
        const int step = window.explorer().read_out_step;
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(window.explorer().read_out_step, step + 1);
        // The core's keys: ten steps with Shift, and the last step the chart shows.
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(window.explorer().read_out_step, step + 11);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(window.explorer().read_out_step,
                 read_out_steps(records, view->width(), view->height(),
                                reading_cell_pixels(view->logicalDpiY()))
                     .last);
        QImage read_out = grab_view(window);
        QVERIFY(read_out != dragged);

        // Fit after the scale was changed by hand.
        records.scale.ymax = 50.0;
        window.execute(COMMAND_FIT_AXES);
        QCOMPARE(records.scale.ymax, 10000.0);

        // The classic view: panels hidden, the view exactly the classic drawing.
        window.execute(COMMAND_CLASSIC_VIEW);
        QVERIFY(window.explorer().view.classic);
        QVERIFY(!window.figures_panel()->isVisible());
        QVERIFY(!window.sliders_panel()->isVisible());
        QVERIFY(program.view_shows_records());
        records.scale.ymax = 100.0;
        window.execute(COMMAND_CALCULATE);
        QCOMPARE(records.scale.ymax, 100.0);  // not fitted in the classic view
        QVERIFY(program.view_shows_records());

        // And back.
        window.execute(COMMAND_CLASSIC_VIEW);
        QVERIFY(window.figures_panel()->isVisible());
        QVERIFY(!program.view_shows_records());
    }

    // F1 in a dialog opens the rendered guide at that dialog's section, and
    // stays readable beside the dialog; every field and slider has a name.
    void help_in_a_dialog_opens_the_guide_at_its_section() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        QStringList unnamed;
        for (const QSlider* slider : window.findChildren<QSlider*>()) {
            if (slider->accessibleName().isEmpty()) unnamed << slider->objectName();
        }
        int scrolled[2] = {-1, -1};
        const int commands[2] = {COMMAND_MAIN_PARAMETERS, COMMAND_SCALE};
        for (int k = 0; k < 2; ++k) {
            auto help = when_modal([&](QWidget* modal) {
                for (const QLineEdit* edit : modal->findChildren<QLineEdit*>()) {
                    if (edit->accessibleName().isEmpty()) unnamed << edit->objectName();
                }
                QTest::keyClick(modal, Qt::Key_F1);
                QDialog* guide = window.user_guide();
                if (guide != nullptr && guide->isVisible()) {
                    auto* text = guide->findChild<QTextBrowser*>();
                    QTRY_VERIFY(text->verticalScrollBar()->value() > 0);
                    scrolled[k] = text->verticalScrollBar()->value();
                    QVERIFY(guide->parentWidget() == nullptr);  // not held by the dialog
                }
                qobject_cast<QDialog*>(modal)->reject();
            });
            window.execute(commands[k]);
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
        QVERIFY(scrolled[0] > 0 && scrolled[1] > scrolled[0]);
        auto* text = window.user_guide()->findChild<QTextBrowser*>();
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("What Morbilex is for")));
        // Code blocks (kept as typed, unbroken lines) may hold any mark.
        QString shown;
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            if (!block.blockFormat().nonBreakableLines()) shown += block.text() + u'\n';
        }
        for (const char* mark : {"**", "##", "|---", "<!--", "`"})
            QVERIFY2(!shown.contains(QLatin1String(mark)), mark);
        QVERIFY(text->document()
                    ->resource(QTextDocument::ImageResource,
                               QUrl(QStringLiteral("qrc:/guide/explorer.png")))
                    .isValid());
    }

    // Small windows: the chart and the panels never overlap, and a number far
    // outside a slider's range neither widens the panel nor fills it with digits.
    void small_windows_keep_chart_and_panels_apart() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        {
            auto cancel =
                when_modal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
            window.execute(COMMAND_ONE_TIME);
        }
        // A layout request may post another one to its parent: each level in turn.
        const auto settle = [&](QSize size) {
            window.resize(size);
            for (int level = 0; level < 4; ++level) {
                QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                QApplication::processEvents();
            }
        };
        for (QSize size : {QSize(300, 200), QSize(640, 400), QSize(1280, 800)}) {
            settle(size);
            QCOMPARE(window.size(), size);
            QVERIFY(window.view()->isVisible() && window.view()->width() >= size.width() / 2);
            QList<QWidget*> parts{window.menuBar(), window.view(), window.figures_panel(),
                                  window.sliders_panel()};
            parts.removeIf([](QWidget* part) { return !part->isVisible(); });
            for (QWidget* a : parts) {
                QVERIFY(window.rect().contains(a->geometry()));
                for (QWidget* b : parts)
                    QVERIFY2(
                        a == b || !a->geometry().intersects(b->geometry()),
                        qPrintable(
                            QStringLiteral("%1 at %2").arg(b->objectName()).arg(size.width())));
            }
        }
        const int panel_width = window.sliders_panel()->width();
        const int slider_width = window.slider("R_0")->width();
        program.records().model.R_0 = 1e308;
        window.refresh_panels();
        settle(QSize(1280, 800));
        QCOMPARE(window.sliders_panel()->width(), panel_width);
        QCOMPARE(window.slider("R_0")->width(), slider_width);
        const auto labels = window.slider("R_0")->parentWidget()->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* label) { return label->text() == "1e+308"; }));
    }

    // At the default 960 by 600, the figures of an intervention, R_t's among
    // them, fit their pane: no horizontal scroll bar.
    void the_figures_fit_their_pane() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.resize(960, 600);
        {
            auto cancel =
                when_modal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
            window.execute(COMMAND_INTERMITTENT);
        }
        window.execute(COMMAND_EFFECTIVE_R);
        for (int level = 0; level < 4; ++level) {
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QApplication::processEvents();
        }
        auto* figures = window.figures_panel()->findChild<QLabel*>(QStringLiteral("figures"));
        QVERIFY(figures->text().contains(QStringLiteral("R_t at or below 1 from day")));
        auto* scroll = window.figures_panel()->findChild<QScrollArea*>();
        QVERIFY(scroll != nullptr && scroll->isVisible());
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QVERIFY(figures->width() <= scroll->viewport()->width());
    }

    // An exported picture is the chart as drawn for anyone: the same bytes
    // whether the read-out shows or not, with no blank band under the chart.
    // A legend click hides a compartment, a user's scale stops the fitting,
    // Ctrl+F brings it back.
    void exports_leave_the_read_out_out_and_the_legend_hides_curves() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.execute(COMMAND_CALCULATE);
        std::string bytes[2];
        for (int hovered = 0; hovered < 2; ++hovered) {
            window.view()->show_read_out(hovered == 1 ? 300 : -1);
            const std::string path =
                QDir(program.folder()).filePath(QStringLiteral("export.png")).toStdString();
            std::string error;
            QVERIFY2(window.export_view_as(path, 0, error), error.c_str());
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::ReadOnly));
            bytes[hovered] = file.readAll().toStdString();
        }
        QVERIFY(bytes[0] == bytes[1]);
        const QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(bytes[0].data()),
                                                static_cast<int>(bytes[0].size()));
        int lowest = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width() * 3 / 5; ++x)
                lowest = picture.pixel(x, y) != qRgb(255, 255, 255) ? y : lowest;
        }
        QVERIFY2(lowest >= picture.height() * 9 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(lowest).arg(picture.height())));

        Explorer& explorer = window.explorer();
        QVERIFY(!explorer.legend_hits.empty());
        const Explorer::LegendHit hit = explorer.legend_hits.front();
        QTest::mouseClick(window.view(), Qt::LeftButton, {},
                          QPoint((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2));
        QVERIFY(!explorer.view.shown[static_cast<std::size_t>(hit.compartment)]);
        {
            // ymax typed, then OK.
            auto typed = when_modal([](QWidget* modal) {
                auto* ymax = modal->findChild<QLineEdit*>(QStringLiteral("control204"));
                ymax->selectAll();
                QTest::keyClicks(ymax, QStringLiteral("123"));
                QTest::mouseClick(
                    modal->findChild<QPushButton*>(QStringLiteral("control%1").arg(CONTROL_ID_OK)),
                    Qt::LeftButton);
            });
            window.execute(COMMAND_SCALE);
        }
        QCOMPARE(program.records().scale.ymax, 123.0);
        QVERIFY(!explorer.view.fit_after_run);
        window.execute(COMMAND_FIT_AXES);
        QVERIFY(explorer.view.fit_after_run);
    }

    void a_slider_before_any_run_makes_the_first_run() {
        ProgramUnderTest program(false);
        QSlider* r0 = program.window().slider("R_0");
        QVERIFY(r0 != nullptr);
        r0->setValue(r0->value() + 4);  // a click beside the handle: released at once
        QCOMPARE(program.records().mode, MODE_NO_INTERVENTION);
        QCOMPARE(program.records().model.R_0, 2.7);
        QVERIFY(QFile::exists(program.trace_path()));
        QApplication::processEvents();
        QVERIFY(program.window().slider("R_0") != nullptr);
        QCOMPARE(program.window().slider("R_0")->value(), r0->value());
    }

    // One click turns R_0's slider into a range: bands behind the run, the
    // intervals and the fields' ranking in the figures, following the slider
    // and the range's ends; a second click takes it back.
    void a_slider_becomes_a_range() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        QSlider* r0 = window.slider("R_0");
        r0->setValue(r0->value() + 2);  // the first run
        QApplication::processEvents();
        const QImage plain = grab_view(window);
        auto* toggle = window.findChild<QToolButton*>(QStringLiteral("R_0_range"));
        QVERIFY(toggle != nullptr);
        toggle->click();
        QApplication::processEvents();
        const ExplorerUncertainty& uncertainty = window.explorer().uncertainty;
        QVERIFY(uncertainty.available());
        const ParameterRange* range = uncertainty.ranges.find("R_0");
        QVERIFY(range != nullptr);
        QVERIFY(range->low < program.records().model.R_0 &&
                program.records().model.R_0 < range->high);
        const double first_high = range->high;
        auto* figures = window.figures_panel()->findChild<QLabel*>(QStringLiteral("figures"));
        QVERIFY(figures->text().contains(QStringLiteral("Over the ranges")));
        QVERIFY(figures->text().contains(QStringLiteral("R_0: ")));
        QVERIFY(grab_view(window) != plain);
        // The tornado drawn under the figures, its bar in colour.
        auto* tornado = window.figures_panel()->findChild<QWidget*>(QStringLiteral("tornado"));
        QVERIFY(tornado != nullptr && tornado->isVisibleTo(&window) && tornado->height() > 0);
        QVERIFY(coloured_pixels(tornado->grab().toImage()) > 0);

        const double median = uncertainty.ensemble().interval(0, 1);
        auto* high = window.findChild<QSlider*>(QStringLiteral("R_0_high"));
        QVERIFY(high != nullptr && high->isVisible());
        high->setValue(high->value() + 10);
        QApplication::processEvents();
        QVERIFY(std::fabs(uncertainty.ranges.find("R_0")->high - first_high - 0.5) < 1e-9);
        QVERIFY(uncertainty.ensemble().interval(0, 1) != median);
        toggle->click();
        QApplication::processEvents();
        QVERIFY(!uncertainty.available());
        QVERIFY(!figures->text().contains(QStringLiteral("Over the ranges")));
    }

    // The View menu's care item: the layer's sliders appear in the panel, its
    // figures beside the others, and a slider changes its field.
    void care_item_adds_its_sliders_and_figures() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.execute(COMMAND_CALCULATE);
        QVERIFY(window.slider("hospital_stay") == nullptr);
        window.execute(COMMAND_CARE_CURVES);
        QApplication::processEvents();
        QSlider* stay = window.slider("hospital_stay");
        QVERIFY(stay != nullptr);
        auto* figures = window.figures_panel()->findChild<QLabel*>(QStringLiteral("figures"));
        QVERIFY(figures->text().contains(QStringLiteral("Peak in hospital")));
        stay->setValue(stay->value() + 2);  // a click beside the handle: one whole day more
        QCOMPARE(program.records().care.hospital_stay, 9.0);
        QVERIFY(program.records().care.enabled);
    }

    // The capacity typed in, a plan found, and the plan's button loads the
    // best plan, which keeps the infectious under the capacity.
    void capacity_and_plan_found_and_loaded() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        Records& records = program.records();
        {
            auto type = when_modal([](QWidget* modal) {
                auto* input = modal->findChild<QLineEdit*>();
                input->setText(QStringLiteral("300"));
                qobject_cast<QDialog*>(modal)->accept();
            });
            window.execute(COMMAND_SET_CAPACITY);
        }
        QVERIFY(records.capacity.set);
        QCOMPARE(records.capacity.capacity, 300.0);
        records.mode = MODE_INTERMITTENT;
        window.execute(COMMAND_FIND_PLAN);
        auto* plans = window.findChild<QDialog*>();
        QVERIFY(plans != nullptr && plans->isVisible());
        auto* load = plans->findChild<QPushButton*>();
        QVERIFY(load != nullptr);
        load->click();
        QCOMPARE(records.mode, MODE_INTERMITTENT);
        auto* figures = window.figures_panel()->findChild<QLabel*>(QStringLiteral("figures"));
        QVERIFY(figures->text().contains(QStringLiteral("Days over capacity")));
        QVERIFY(!figures->text().contains(QStringLiteral("Still running")));
    }

    // Opening counts asks how to read them, the scenario's population shown;
    // the answer goes into the scenario's lines.
    void opening_counts_asks_how_to_read_them() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.open_scenario(MORBILEX_EXAMPLES "/boarding_school_influenza.morbilex");
        QString population;
        ModalWatch asked;
        auto answer = when_modal([&](QWidget* modal) {
            qobject_cast<QFileDialog*>(modal)
                ->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral(MORBILEX_EXAMPLES "/boarding_school_influenza.csv"));
            asked = when_modal(
                [&](QWidget* counts) {
                    population = counts->findChild<QLineEdit*>("population")->text();
                    counts->findChild<QComboBox*>("data_series")->setCurrentIndex(2);
                    qobject_cast<QDialog*>(counts)->accept();
                },
                modal);
            qobject_cast<QDialog*>(modal)->accept();
        });
        window.execute(COMMAND_OPEN_COUNTS);
        QVERIFY(asked.called());
        QCOMPARE(population, QStringLiteral("763"));
        const std::pair<std::string, std::string> cumulative{"data_series", "cumulative"};
        const auto& link = program.records().counts_link;
        QVERIFY(std::find(link.begin(), link.end(), cumulative) != link.end());
    }

    // The fit asks which fields, pre-ticked from the scenario's fit line; the
    // answer is kept in that line and fitted.
    void fit_asks_which_fields_to_fit() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.open_scenario(MORBILEX_EXAMPLES "/boarding_school_influenza.morbilex");
        const double start_r0 = program.records().model.R_0;
        QStringList ticked;
        ModalWatch result_box;
        auto choose = when_modal([&](QWidget* modal) {
            for (const QCheckBox* box : modal->findChildren<QCheckBox*>())
                if (box->isChecked()) ticked << box->objectName();
            QVERIFY(!modal->findChild<QCheckBox*>(QStringLiteral("Redct1"))->isEnabled());
            modal->findChild<QCheckBox*>(QStringLiteral("latent_period"))->setChecked(false);
            modal->findChild<QComboBox*>(QStringLiteral("fit_objective"))->setCurrentIndex(1);
            result_box =
                when_modal([](QWidget* box) { qobject_cast<QMessageBox*>(box)->accept(); }, modal);
            qobject_cast<QDialog*>(modal)->accept();
        });
        window.execute(COMMAND_FIT_COUNTS);
        QVERIFY(result_box.called());
        QCOMPARE(ticked, (QStringList{"R_0", "latent_period", "infectious_period"}));
        const auto& link = program.records().counts_link;
        QVERIFY(std::find(link.begin(), link.end(),
                          std::pair<std::string, std::string>{"fit", "R_0,infectious_period"}) !=
                link.end());
        QVERIFY(std::find(link.begin(), link.end(),
                          std::pair<std::string, std::string>{"fit_objective", "poisson"}) !=
                link.end());
        QVERIFY(program.records().model.R_0 != start_r0);
        QCOMPARE(program.records().model.latent_period, 1.0);
    }

    // Ranges go with the scenario saved and come back with it (the range
    // controls too); a scenario without ranges is saved again byte for byte;
    // the bands exported, plain and compressed, are the bytes morbilex-batch
    // --bands writes for that scenario file.
    void ranges_saved_reopened_and_their_bands_exported() {
        ProgramUnderTest program(false);
        MainWindow& window = program.window();
        window.execute(COMMAND_CALCULATE);
        const QDir folder(program.folder());
        const QString plain = folder.filePath(QStringLiteral("plain.morbilex"));
        answer_file_dialog(window, COMMAND_SAVE_SCENARIO_AS, plain);
        ExplorerRanges& ranges = window.explorer().uncertainty.ranges;
        QVERIFY(ranges.set("R_0", 2.0, 3.5));
        ranges.ranges.emplace_back();
        std::string error;
        QVERIFY(parse_parameter_range("init_I=0.5:4:1", "", ranges.ranges.back(), error));
        const std::string ranged_text = ranges.text();
        const QString ranged = folder.filePath(QStringLiteral("ranged.morbilex"));
        answer_file_dialog(window, COMMAND_SAVE_SCENARIO_AS, ranged);

        answer_file_dialog(window, COMMAND_OPEN_SCENARIO, plain);
        QVERIFY(ranges.empty());
        const QString again = folder.filePath(QStringLiteral("again.morbilex"));
        answer_file_dialog(window, COMMAND_SAVE_SCENARIO_AS, again);
        QCOMPARE(file_bytes(again), file_bytes(plain));
        answer_file_dialog(window, COMMAND_OPEN_SCENARIO, ranged);
        QCOMPARE(ranges.text(), ranged_text);
        // The rows rebuilt with range controls (the old ones go later, hidden).
        QApplication::processEvents();
        const auto lows = window.findChildren<QSlider*>(QStringLiteral("R_0_low"));
        QVERIFY(std::any_of(lows.begin(), lows.end(),
                            [&](QSlider* low) { return low->isVisibleTo(&window); }));

        for (const QString& name : {QStringLiteral("bands.csv"), QStringLiteral("bands.csv.gz")}) {
            answer_file_dialog(window, COMMAND_EXPORT_BANDS, folder.filePath(name));
            QProcess batch;
            batch.start(
                QStringLiteral(MORBILEX_BATCH_PROGRAM),
                {QStringLiteral("--scenario=") + ranged,
                 QStringLiteral("--bands=") + folder.filePath(QStringLiteral("batch-") + name),
                 QStringLiteral("--trace=") + folder.filePath(QStringLiteral("batch.dat"))});
            QVERIFY(batch.waitForFinished(120000));
            QCOMPARE(batch.exitCode(), 0);
            const QByteArray exported = file_bytes(folder.filePath(name));
            QVERIFY(exported.size() > 1000);
            QCOMPARE(exported, file_bytes(folder.filePath(QStringLiteral("batch-") + name)));
        }
    }
};

QTEST_MAIN(ProgramExplorerTest)
#include "program_explorer_test.moc"
