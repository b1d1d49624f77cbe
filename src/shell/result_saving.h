// Keeping the results of a run elsewhere, for both programs: the trace copied
// to a file the user names, and the view exported as a picture. The programs
// bring the file dialog and the picture writers; the rules are here.
#pragma once

#include <span>
#include <string>

namespace morbilex {

// One entry of a save dialog's type list: "PNG picture" and "png".
struct FileType {
    const char* description;
    const char* extension;  // without the dot
};

inline constexpr const char* SAVE_TRACE_CAPTION = "Save Trace As";
inline constexpr const char* EXPORT_CHART_CAPTION = "Export Chart";
inline constexpr const char* TRACE_COPY_NAME = "trace.dat";
inline constexpr const char* NO_TRACE_TEXT =
    "There is no trace yet: calculate a run first (Ctrl+N).";
inline constexpr const char* TRACE_NOT_WRITTEN_TEXT =
    "The last run could not write its trace, so there is none to save: calculate again once "
    "the trace can be written.";

// The trace's file types: "Trace (*.dat)" and "All files (*)".
std::span<const FileType> trace_file_types();

// The picture's name as it is written: a name that ends in the extension of
// one of types (letter case aside) is kept, any other gets the chosen type's
// extension appended. type becomes the index of the type written.
std::string picture_path_with_type(const std::string& path, std::span<const FileType> types,
                                   int& type);

// Puts bytes at path whole or not at all: a regular file, or a path where
// nothing stands, is replaced only once all of it is written (a failure leaves
// the old file as it was); a device or a pipe is written in place and stays.
// False with "full path: reason" in error.
bool write_whole_file(const std::string& path, const std::string& bytes, std::string& error);

// Copies the trace file to target as write_whole_file puts it there. The trace
// itself is refused as a target: it goes at exit. False with the full path of
// the file at fault and the system's reason in error.
bool copy_trace(const std::string& trace_path, const std::string& target, std::string& error);

}  // namespace morbilex
