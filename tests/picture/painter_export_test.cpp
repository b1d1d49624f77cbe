// The chart as a picture file: PNG, SVG and PDF, and what cannot be written.
#include "picture/chart_export.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <regex>
#include <set>
#include <sstream>

#include "model/simulation.h"
#include "painter_test_support.h"
#include "picture/painter_surface.h"
#include "support/test_support.h"
#include "trace/traced_run.h"

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
    ASSERT_TRUE(export_chart(*records, series_colours(), path, 1200, 700, error)) << error;
    const QString text = output_of("pdftotext", {"-layout", QString::fromStdString(path), "-"});
    EXPECT_TRUE(text.contains("MORBILEX : R_0 =")) << text.toStdString();
    EXPECT_TRUE(text.contains("Intermittent intervention: Reduction =80.000%"));
    EXPECT_TRUE(text.contains("Susceptible"));
    const QString info = output_of("pdfinfo", {QString::fromStdString(path)});
    // The picture's size at 96 pixels to the inch: 12.5 by 7.29 inches.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +900 x 525 pts")))
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

// The view as SVG text with its lines joined or drawn one by one.
std::string svg_of_view(Records& records, bool joined) {
    QBuffer buffer;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(1200, 700));
    generator.setResolution(96);
    QPainter painter(&generator);
    {
        PainterSurface surface(painter, 96);
        surface.join_lines(joined);
        draw_view(records, series_colours(), surface, 0, 0, 1200, 700);
    }
    painter.end();
    return buffer.data().toStdString();
}

// Every line segment of an SVG text with its stroke colour, in any order.
std::multiset<std::string> svg_segments(const std::string& svg) {
    static const std::regex element(R"re(stroke="(#[0-9a-f]{6})"|points="([^"]*)")re");
    std::multiset<std::string> segments;
    std::string colour;
    for (std::sregex_iterator at(svg.begin(), svg.end(), element), end; at != end; ++at) {
        if ((*at)[1].matched) {
            colour = (*at)[1];
            continue;
        }
        std::istringstream points((*at)[2]);
        std::string previous, point;
        while (points >> point) {
            if (!previous.empty()) segments.insert(colour + " " + previous + " " + point);
            previous = point;
        }
    }
    return segments;
}

TEST(ChartExport, SvgOfTheDefaultChartIsCompactWithTheSameLines) {
    TemporaryFolder folder;
    auto records = testing::default_records();
    records->mode = MODE_NO_INTERVENTION;
    run_simulation_to_stream(*records, MODE_NO_INTERVENTION, nullptr);
    std::string error;
    const std::string path = folder.file("chart.svg");
    ASSERT_TRUE(export_chart(*records, series_colours(), path, 1200, 700, error)) << error;
    const std::string svg = testing::read_text(path);
    EXPECT_LT(svg.size(), 200u * 1024);
    EXPECT_NE(svg.find("viewBox=\"0 0 1200 700\""), std::string::npos);

    // Joined into polylines, the drawing holds exactly the segments of the
    // lines drawn one by one, each in its colour.
    for (int ymax : {100, 2000}) {
        records->scale.ymax = ymax;
        const auto joined = svg_segments(svg_of_view(*records, true));
        EXPECT_GT(joined.size(), 1000u);
        EXPECT_TRUE(joined == svg_segments(svg_of_view(*records, false))) << ymax;
    }
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
