#include "qt/chart_export.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include "model/simulation.h"
#include "painter_test_support.h"
#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::TemporaryFolder;

std::unique_ptr<Records> intermittent_run() {
    auto records = testing::default_records();
    records->mode = MODE_INTERMITTENT;
    run_simulation_to_stream(*records, MODE_INTERMITTENT, nullptr);
    return records;
}

SeriesColours series_colours() {
    SeriesColours colours;
    init_series_colours(colours);
    return colours;
}

// Standard output of a program, or empty when it cannot run.
QString output_of(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(ChartExport, PngAtTheGivenSizeOnWhite) {
    TemporaryFolder folder;
    auto records = intermittent_run();
    std::string error;
    const std::string path = folder.file("chart.PNG");
    ASSERT_TRUE(export_chart(*records, series_colours(), path, 1200, 700, error)) << error;
    const QImage image(QString::fromStdString(path));
    EXPECT_EQ(image.size(), QSize(1200, 700));
    EXPECT_EQ(image.pixel(1199, 699) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(100, 350) & 0xFFFFFF, 0u);
}

TEST(ChartExport, PdfPageCarriesTheHeaderText) {
    TemporaryFolder folder;
    auto records = intermittent_run();
    std::string error;
    const std::string path = folder.file("chart.pdf");
    ASSERT_TRUE(export_chart(*records, series_colours(), path, 0, 0, error)) << error;
    const QString text = output_of("pdftotext", {"-layout", QString::fromStdString(path), "-"});
    EXPECT_TRUE(text.contains("MORBILEX : R_0 =")) << text.toStdString();
    EXPECT_TRUE(text.contains("Intermittent intervention: Reduction =80.000%"));
    EXPECT_TRUE(text.contains("Susceptible"));
    const QString info = output_of("pdfinfo", {QString::fromStdString(path)});
    // 8.2 by 11.6 inches, to the whole point.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +590(\\.4)? x 835(\\.2)? pts")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\\n")));
}

TEST(ChartExport, SvgOfTheView) {
    TemporaryFolder folder;
    auto records = testing::default_records();
    std::string error;
    const std::string path = folder.file("title.svg");
    ASSERT_TRUE(export_chart(*records, series_colours(), path, 640, 480, error)) << error;
    const std::string svg = testing::read_text(path);
    EXPECT_NE(svg.find("width=\"640"), std::string::npos);
    EXPECT_NE(svg.find("Simple SEIR model"), std::string::npos);
}

TEST(ChartExport, RefusesWhatItCannotWrite) {
    TemporaryFolder folder;
    auto records = intermittent_run();
    const SeriesColours colours = series_colours();
    std::string error;
    EXPECT_FALSE(export_chart(*records, colours, folder.file("chart.bmp"), 1200, 700, error));
    EXPECT_NE(error.find("use .png, .svg or .pdf"), std::string::npos);
    for (const auto& [width, height] :
         {std::pair{0, 700}, std::pair{1200, -1}, std::pair{100000, 100000}}) {
        error.clear();
        EXPECT_FALSE(
            export_chart(*records, colours, folder.file("chart.png"), width, height, error));
        EXPECT_NE(error.find("size"), std::string::npos);
    }
    error.clear();
    EXPECT_FALSE(
        export_chart(*records, colours, folder.file("missing/chart.png"), 100, 100, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(
        export_chart(*records, colours, folder.file("missing/chart.pdf"), 100, 100, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace morbilex
