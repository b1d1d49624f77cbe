#include "qt/offscreen_application.h"

#include <QPageLayout>
#include <QPageSize>

namespace morbilex {

std::unique_ptr<QGuiApplication> graphical_application(std::string& error) {
    if (QCoreApplication::instance() != nullptr) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            error = "drawing needs a graphical application";
        }
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argument_count = 1;
    static char program_name[] = "morbilex";
    static char* arguments[] = {program_name, nullptr};
    return std::make_unique<QGuiApplication>(argument_count, arguments);
}

QuietRuntimeFolderNote::QuietRuntimeFolderNote() : previous_(qInstallMessageHandler(&filter)) {
    previous() = previous_;
}

QuietRuntimeFolderNote::~QuietRuntimeFolderNote() {
    qInstallMessageHandler(previous_);
}

QtMessageHandler& QuietRuntimeFolderNote::previous() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

void QuietRuntimeFolderNote::filter(QtMsgType type, const QMessageLogContext& context,
                                    const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (previous() != nullptr) previous()(type, context, text);
}

QString extension_of(const std::string& path) {
    const QString name = QString::fromStdString(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash) return {};
    return name.mid(dot + 1).toLower();
}

PictureExport::PictureExport(const std::string& path) : extension_(extension_of(path)) {
    if (extension_ != "png" && extension_ != "svg" && extension_ != "pdf") {
        error_ = "unknown picture type of " + path + ": use .png, .svg or .pdf";
        return;
    }
    application_ = graphical_application(error_);
}

bool PictureExport::ready(std::string& error) const {
    if (error_.empty()) return true;
    error = error_;
    return false;
}

namespace {

// Beyond this a picture is refused rather than allocated.
constexpr long long LARGEST_IMAGE_PIXELS = 256LL * 1024 * 1024;
constexpr int LARGEST_IMAGE_SIDE = 32767;
constexpr double PICTURE_PIXELS_PER_INCH = 96.0;

}  // namespace

bool picture_size_acceptable(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0 || width > LARGEST_IMAGE_SIDE || height > LARGEST_IMAGE_SIDE ||
        static_cast<long long>(width) * height > LARGEST_IMAGE_PIXELS) {
        error =
            "picture size out of range: " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    return true;
}

QImage blank_picture(int width, int height, std::string& error) {
    if (!picture_size_acceptable(width, height, error)) return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        error = "not enough memory for the picture";
        return image;
    }
    image.fill(Qt::white);
    return image;
}

void set_picture_page(QPdfWriter& writer, int width, int height) {
    const QSizeF inches(width / PICTURE_PIXELS_PER_INCH, height / PICTURE_PIXELS_PER_INCH);
    writer.setPageLayout(
        QPageLayout(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

}  // namespace morbilex
