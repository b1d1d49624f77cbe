// Under a German locale (decimal comma) the program still shows, reads, writes
// and prints numbers with full stops.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTest>
#include <clocale>

#include "program_test_support.h"

using namespace morbilex;
using namespace morbilex::testing;

class ProgramLocaleTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // QApplication has taken the locale from LC_ALL=de_DE.UTF-8.
        QVERIFY2(QByteArray(std::localeconv()->decimal_point) == ",",
                 "de_DE.UTF-8 is not in effect: run scripts/install-deps.sh");
    }

    void numbers_keep_their_full_stops() {
        ProgramUnderTest program;
        QString shown;
        bool refused_comma = false;
        auto answer = when_modal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            auto* R_0 = dialog->findChild<QLineEdit*>(QStringLiteral("control205"));
            shown = R_0->text();
            R_0->setText(QStringLiteral("2.75"));
            auto* latent = dialog->findChild<QLineEdit*>(QStringLiteral("control206"));
            latent->setText("4,5");
            // The locale's decimal comma is refused as everywhere, and the
            // dialog stays open; the full stop is what it reads.
            QTest::keyClick(R_0, Qt::Key_Return);
            refused_comma = dialog->isVisible();
            latent->setText("4.5");
            QTest::keyClick(R_0, Qt::Key_Return);
        });
        program.window().execute(110);
        QCOMPARE(shown, QStringLiteral("  2.50"));
        QCOMPARE(program.records().model.R_0, 2.75);
        QVERIFY(refused_comma);
        QCOMPARE(program.records().model.latent_period, 4.5);

        QFile trace(program.trace_path());
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QByteArray header = trace.readLine();
        QVERIFY2(header.contains("R_0 =  2.75,"), header.constData());
        QVERIFY(header.contains("Latent period =  4.50,"));

        QString pdf = QDir(program.folder()).filePath(QStringLiteral("chart.pdf"));
        program.window().printing().printer().setOutputFileName(pdf);
        auto print_answer = when_modal(
            [](QWidget* modal) { qobject_cast<QDialog*>(modal)->done(QDialog::Accepted); });
        program.window().execute(104);
        QString printed = pdf_text(pdf);
        QVERIFY2(printed.simplified().contains(QStringLiteral("R_0 = 2.75")), qPrintable(printed));
    }
};

QTEST_MAIN(ProgramLocaleTest)
#include "program_locale_test.moc"
