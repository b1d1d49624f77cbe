#include "program_test_support.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "qt/chart_view.h"

namespace morbilex::testing {

void ModalWatch::stop() {
    if (stopped_) *stopped_ = true;
}

ModalWatch when_modal(std::function<void(QWidget*)> action, QWidget* previous_widget) {
    ModalWatch watch;
    // Once gone, the previous widget's address may come back for the next
    // one (two dialogs on the stack one after the other).
    const QPointer<QWidget> previous(previous_widget);
    auto called = watch.called_;
    auto stopped = watch.stopped_;
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QDeadlineTimer deadline(60000);  // only a hang: the watch ends on the dialog
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        bool ready = !*stopped && modal != nullptr && modal != previous && modal->isVisible();
        if (!ready && !deadline.hasExpired() && !*stopped) return;
        timer->stop();
        timer->deleteLater();
        if (ready) {
            *called = true;
            action(modal);
        }
    });
    timer->start();
    return watch;
}

QString pdf_text(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished(20000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QString pdf_info(const QString& path, const QString& field) {
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {path});
    pdfinfo.waitForFinished(20000);
    QString prefix = field + QLatin1Char(':');
    for (const QString& line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed();
    }
    return QString();
}

int pdf_pages(const QString& path) {
    bool ok = false;
    int pages = pdf_info(path, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

QImage render_view(Records& records, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    SeriesColours colours;
    init_series_colours(colours);
    fill_and_paint(image, records, colours, width, height);
    return image;
}

QImage grab_view(const MainWindow& window) {
    return window.view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int coloured_pixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel)) ++count;
        }
    }
    return count;
}

PaintCounter::PaintCounter(QWidget& widget) : QObject(&widget) {
    widget.installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint) ++count_;
    return false;
}

ProgramUnderTest::ProgramUnderTest(bool classic)
    : previous_folder_(QDir::currentPath()), records_(std::make_unique<Records>()) {
    QDir::setCurrent(folder_.path());
    window_ = std::make_unique<MainWindow>(*records_);
    window_->explorer().view.classic = classic;
    window_->follow_view_options();
    window_->resize(800, 560);
    window_->show();
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

ProgramUnderTest::~ProgramUnderTest() {
    window_.reset();
    QDir::setCurrent(previous_folder_);
}

void ProgramUnderTest::end_window() {
    window_->close();
    window_.reset();
}

bool ProgramUnderTest::view_shows_records() {
    QApplication::processEvents();
    QWidget& view = *window_->view();
    return grab_view(*window_) == render_view(*records_, view.width(), view.height());
}

}  // namespace morbilex::testing
