// A sweep's rows to a stream, with a progress line on a terminal's standard error.
#include "batch/runs/stream_sink.h"

#include <unistd.h>

#include "text/format.h"

namespace morbilex::batch {

StreamSink::StreamSink(CompressedOutput& out)
    : out_(out),
      terminal_(isatty(STDERR_FILENO) == 1),
      rows_on_terminal_(!out.compressed() && isatty(fileno(out.file())) == 1) {}

bool StreamSink::write(std::string_view rows) {
    // Rows shown on the terminal too go above the progress line, not after it.
    if (rows_on_terminal_) clear_progress();
    return out_.write(rows);
}

void StreamSink::progress(long long done, long long total) {
    if (!terminal_) return;
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(250) && done < total) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0.0 ? done / seconds : 0.0;
    const double left = rate > 0.0 ? (total - done) / rate : 0.0;
    char line[160];
    format_text(line, sizeof line, "\r\033[K%d/%d scenarios, %.0f/s, %.0f s left",
                {static_cast<int>(done), static_cast<int>(total), rate, left});
    std::fputs(line, stderr);
    shown_ = true;
}

void StreamSink::clear_progress() {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
}

}  // namespace morbilex::batch
