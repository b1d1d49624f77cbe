#include "trace/trace_writer.h"

#include <algorithm>
#include <cstring>

#include "text/format.h"
#include "trace/trace_row.h"

namespace morbilex {

void TraceWriter::header(const Records& records, InterventionMode mode) {
    if (stream_ == nullptr) return;
    // Nine fixed-point fields of the largest doubles still fit.
    char line[4096];
    const ModelParameters& m = records.model;
    std::size_t length =
        format_text(line, sizeof line,
                    "%% MORBILEX : R_0 =%6.2f,  Latent period =%6.2f,  Infectious period =%6.2f\n",
                    {m.R_0, m.latent_period, m.infectious_period});
    append(line, length);
    if (mode == MODE_ONE_TIME) {
        const OneTimePlan& p = records.one_time;
        length =
            format_text(line, sizeof line,
                        "%% One-time intervention: (redct, from, to) = 1 (%6.3f, %7.2f, %7.2f) "
                        ": 2 (%6.3f, %7.2f, %7.2f) : 3 (%6.3f, %7.2f, %7.2f)\n",
                        {p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2, p.t_stp2, p.Redct3,
                         p.t_srt3, p.t_stp3});
    } else if (mode == MODE_INTERMITTENT) {
        const IntermittentPlan& p = records.intermittent;
        length = format_text(line, sizeof line,
                             "%% Intermittent intervention: Reduction =%6.3f%%,  On-threshold "
                             "=%6.2f,  Off-threshold =%6.2f\n",
                             {p.Reduction * 100.0, p.On_threshold, p.Off_threshold});
    } else {
        length = format_text(line, sizeof line, "%% No intervention.\n", {});
    }
    append(line, length);
    static constexpr char COLUMNS[] = "%  i      t   on_flag   S       E       I       R\n";
    append(COLUMNS, sizeof COLUMNS - 1);
}

void TraceWriter::row(int step, double t, int on_flag, const double y[COMPARTMENT_COUNT]) {
    if (stream_ == nullptr) return;
    char* out = append_trace_row(buffer_ + used_, memo_, step, t, on_flag, y);
    used_ = static_cast<std::size_t>(out - buffer_);
    if (used_ >= BLOCK_SIZE) write_block();
}

bool TraceWriter::flush() {
    if (stream_ == nullptr) return true;
    if (used_ > 0 && std::fwrite(buffer_, 1, used_, stream_) != used_) failed_ = true;
    used_ = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) failed_ = true;
    return !failed_;
}

void TraceWriter::append(const char* text, std::size_t length) {
    while (length > 0) {
        const std::size_t piece = std::min(length, BLOCK_SIZE - used_);
        std::memcpy(buffer_ + used_, text, piece);
        used_ += piece;
        text += piece;
        length -= piece;
        if (used_ >= BLOCK_SIZE) write_block();
    }
}

// Writes the first block and keeps what follows it.
void TraceWriter::write_block() {
    if (std::fwrite(buffer_, 1, BLOCK_SIZE, stream_) != BLOCK_SIZE) failed_ = true;
    used_ -= BLOCK_SIZE;
    std::memmove(buffer_, buffer_ + BLOCK_SIZE, used_);
}

}  // namespace morbilex
