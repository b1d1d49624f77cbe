#include "study/observed_counts.h"

#include <algorithm>
#include <cmath>

#include "text/read.h"

namespace morbilex {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// What the header separates its cells with: a comma, or else the semicolon
// or tab that spreadsheets write in some languages.
char separator_of(std::string_view header) {
    for (char separator : {',', ';', '\t'})
        if (header.find(separator) != std::string_view::npos) return separator;
    return ',';
}

// The line's cells, trimmed; a cell in double quotes may hold the
// separator, and "" stands for a quote in it.
std::vector<std::string> cells_of(std::string_view line, char separator) {
    std::vector<std::string> cells;
    for (;;) {
        std::string_view rest = line;
        while (!rest.empty() && rest.front() != separator &&
               (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        std::string cell;
        if (rest.starts_with('"')) {
            std::size_t i = 1;
            for (; i < rest.size(); ++i) {
                if (rest[i] != '"') {
                    cell += rest[i];
                } else if (i + 1 < rest.size() && rest[i + 1] == '"') {
                    cell += rest[++i];
                } else {
                    ++i;
                    break;
                }
            }
            rest.remove_prefix(std::min(i, rest.size()));
        }
        const std::size_t end = rest.find(separator);
        cell += trimmed(rest.substr(0, end));
        cells.push_back(std::move(cell));
        if (end == std::string_view::npos) return cells;
        line = rest.substr(end + 1);
    }
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool refuse(std::string& reason, int line, const std::string& why) {
    reason = "line " + std::to_string(line) + ": " + why;
    return false;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long days_from_civil(long long year, int month, int day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long year_of_era = year - era * 400;
    const long long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

}  // namespace

bool count_measure_named(std::string_view name, CountMeasure& measure) {
    for (CountMeasure m :
         {CountMeasure::Prevalence, CountMeasure::Incidence, CountMeasure::Cumulative}) {
        if (name == count_measure_name(m)) {
            measure = m;
            return true;
        }
    }
    return false;
}

const char* count_measure_name(CountMeasure measure) {
    switch (measure) {
        case CountMeasure::Incidence:
            return "incidence";
        case CountMeasure::Cumulative:
            return "cumulative";
        default:
            return "prevalence";
    }
}

bool read_iso_date(std::string_view text, long long& days) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int digits[8];
    int k = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7) continue;
        if (text[i] < '0' || text[i] > '9') return false;
        digits[k++] = text[i] - '0';
    }
    const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const int month = digits[4] * 10 + digits[5];
    const int day = digits[6] * 10 + digits[7];
    static constexpr int MONTH_DAYS[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > MONTH_DAYS[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return false;
    days = days_from_civil(year, month, day);
    return true;
}

bool counts_header(std::string_view text, std::vector<std::string>& columns, bool& dates) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string_view line;
    while (!text.empty() && trimmed(line).empty()) {
        const std::size_t end = text.find('\n');
        line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    while (line.ends_with('\r'))
        line.remove_suffix(1);
    std::vector<std::string> others;
    int days = 0;
    for (std::string& cell : cells_of(line, separator_of(line))) {
        const bool day = same_name(cell, "day"), date = same_name(cell, "date");
        if (day || date) {
            ++days;
            dates = date;
        } else {
            others.push_back(std::move(cell));
        }
    }
    if (days != 1) return false;
    columns = std::move(others);
    return true;
}

bool read_observed_counts(std::string_view text, const CountReading& reading,
                          ObservedCounts& counts, std::string& reason) {
    long long day_zero = 0;
    bool day_zero_set = !reading.day_zero_date.empty();
    if (day_zero_set && !read_iso_date(reading.day_zero_date, day_zero)) {
        reason = "the date of day 0 is not a date YYYY-MM-DD: " + reading.day_zero_date;
        return false;
    }
    // A byte-order mark before the header is not part of its first name.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    ObservedCounts read;
    int line_number = 0;
    int day_column = -1, count_column = -1;
    bool dates = false;
    std::size_t columns = 0;
    char separator = ',';
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (line.ends_with('\r'))  // the line's end, even in an open quote
            line.remove_suffix(1);
        ++line_number;
        if (trimmed(line).empty()) continue;
        if (day_column < 0) separator = separator_of(line);
        const std::vector<std::string> cells = cells_of(line, separator);
        if (day_column < 0) {
            columns = cells.size();
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const bool day = same_name(cells[c], "day"), date = same_name(cells[c], "date");
                if (!day && !date) continue;
                if (day_column >= 0) return refuse(reason, line_number, "two day or date columns");
                day_column = static_cast<int>(c);
                dates = date;
            }
            if (day_column < 0) {
                return refuse(reason, line_number, "the header names no column day or date");
            }
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (static_cast<int>(c) == day_column) continue;
                const bool named = !reading.column.empty() && cells[c] == reading.column;
                if (reading.column.empty() ? count_column >= 0 : !named) {
                    if (reading.column.empty()) {
                        return refuse(reason, line_number,
                                      "more than one count column: name the one to read");
                    }
                    continue;
                }
                count_column = static_cast<int>(c);
            }
            if (count_column < 0) {
                return refuse(reason, line_number,
                              reading.column.empty()
                                  ? std::string("the header names no count column")
                                  : "the header has no column " + reading.column);
            }
            read.column = std::string(cells[count_column]);
            continue;
        }
        if (cells.size() != columns) {
            return refuse(reason, line_number,
                          std::to_string(cells.size()) + " cells where the header has " +
                              std::to_string(columns));
        }
        const std::string_view count_text = cells[count_column];
        if (count_text.empty()) continue;
        ObservedPoint point;
        point.line = line_number;
        const std::string_view day_text = cells[day_column];
        if (dates) {
            long long date = 0;
            if (!read_iso_date(day_text, date)) {
                return refuse(reason, line_number,
                              "not a date YYYY-MM-DD: " + std::string(day_text));
            }
            if (!day_zero_set) {
                day_zero = date;
                day_zero_set = true;
            }
            point.day = static_cast<double>(date - day_zero);
        } else if (!read_full_number(day_text, point.day)) {
            return refuse(reason, line_number, "the day is not a number: " + std::string(day_text));
        }
        if (!(point.day >= 0.0)) return refuse(reason, line_number, "a day before day 0");
        if (!read_full_number(count_text, point.count) || !(point.count >= 0.0)) {
            return refuse(reason, line_number,
                          "the count is not a number at or above 0: " + std::string(count_text));
        }
        if (!read.points.empty() && !(point.day > read.points.back().day)) {
            return refuse(reason, line_number, "the day is not after the day of the row before");
        }
        read.points.push_back(point);
    }
    if (day_column < 0) {
        reason = "the file is empty";
        return false;
    }
    if (read.points.empty()) {
        reason = "the file holds no counts";
        return false;
    }
    counts = std::move(read);
    return true;
}

}  // namespace morbilex
