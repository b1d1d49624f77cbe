// Helpers for the tests of the Linux program: a window over fresh records in a
// folder of its own, modal dialogs driven from inside their event loops, and
// the view as an image.
#pragma once

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <memory>

#include "chart/chart.h"
#include "model/records.h"
#include "qt/chart_view.h"
#include "qt/main_window.h"

namespace morbilex::testing {

// Watches for the next modal widget that comes up (other than previous) and
// calls action with it from inside its own event loop. Gives up after five
// seconds, when stopped, or when the watch goes out of scope.
class [[nodiscard]] ModalWatch {
public:
    ModalWatch() = default;
    ModalWatch(ModalWatch&&) = default;
    ModalWatch& operator=(ModalWatch&& other) {
        stop();
        called_ = std::move(other.called_);
        stopped_ = std::move(other.stopped_);
        return *this;
    }
    ~ModalWatch() { stop(); }
    bool called() const { return *called_; }
    void stop();

private:
    friend ModalWatch when_modal(std::function<void(QWidget*)>, QWidget*);
    std::shared_ptr<bool> called_ = std::make_shared<bool>(false);
    std::shared_ptr<bool> stopped_ = std::make_shared<bool>(false);
};
ModalWatch when_modal(std::function<void(QWidget*)> action, QWidget* previous = nullptr);

// The text pdftotext reads from a PDF file, one field of what pdfinfo tells
// about it ("Pages", "Title", ...), and its number of pages.
QString pdf_text(const QString& path);
QString pdf_info(const QString& path, const QString& field);
int pdf_pages(const QString& path);

// The view exactly as draw_view paints it on a white image of this size.
QImage render_view(Records& records, int width, int height);
// What the main window's view shows now.
QImage grab_view(const MainWindow& window);
// Pixels that are neither black, white nor grey (the curves and legend lines).
int coloured_pixels(const QImage& image);

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget);
    int count() const { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int count_ = 0;
};

// A main window over its own default records, shown and active, with a fresh
// current directory for its trace file.
class ProgramUnderTest {
public:
    // classic: the classic view (the window as it was before the explorer
    // view), which the tests of the menus, dialogs and printing look at.
    explicit ProgramUnderTest(bool classic = true);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    Records& records() { return *records_; }
    MainWindow& window() { return *window_; }
    QString folder() const { return folder_.path(); }
    QString trace_path() const { return folder_.filePath(QStringLiteral("temp.dat")); }
    // Closes and destroys the window (the program's exit).
    void end_window();
    // The view once the pending paints are done, and whether it is exactly what
    // draw_view gives for the records now.
    bool view_shows_records();

private:
    QTemporaryDir folder_;
    QString previous_folder_;
    std::unique_ptr<Records> records_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace morbilex::testing
