// What every picture export needs: a graphical application (an offscreen one
// for a tool without a window, for the time of the export), quiet about the
// session it does not have, and the picture type by the file's extension.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QString>
#include <memory>
#include <string>

namespace morbilex {

// nullptr when an application exists already (error set when it cannot draw).
std::unique_ptr<QGuiApplication> graphical_application(std::string& error);

// A headless export has no session: the platform's note that it made up a
// runtime folder is not for the user of a command-line tool.
class QuietRuntimeFolderNote {
public:
    QuietRuntimeFolderNote();
    ~QuietRuntimeFolderNote();
    QuietRuntimeFolderNote(const QuietRuntimeFolderNote&) = delete;
    QuietRuntimeFolderNote& operator=(const QuietRuntimeFolderNote&) = delete;

private:
    static QtMessageHandler& previous();
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QtMessageHandler previous_;
};

// The file name's extension in lower case, empty when it has none.
QString extension_of(const std::string& path);

// What a picture export needs for its time: a known picture type (png, svg
// or pdf) and an application to draw with, quiet about its missing session.
class PictureExport {
public:
    explicit PictureExport(const std::string& path);
    // False with a one-line reason when the picture cannot be made.
    bool ready(std::string& error) const;
    const QString& extension() const { return extension_; }

private:
    QuietRuntimeFolderNote quiet_;
    QString extension_;
    std::string error_;
    std::unique_ptr<QGuiApplication> application_;
};

// A picture of this many pixels can be drawn: each side 1 to 32767, at most
// 256 Mi pixels in all; false with the reason otherwise.
bool picture_size_acceptable(int width, int height, std::string& error);

// A white image of the size, or a null one with the reason in error.
QImage blank_picture(int width, int height, std::string& error);

// Makes the PDF page the picture: width x height pixels of 1/96 inch, no margins.
void set_picture_page(QPdfWriter& writer, int width, int height);

}  // namespace morbilex
