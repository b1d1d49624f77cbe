#include "explore/user_guide.h"

#include <algorithm>
#include <vector>

namespace morbilex {
namespace {

constexpr std::string_view DESKTOP_PART = "<!-- desktop -->";
constexpr std::string_view WEB_PART = "<!-- web -->";
constexpr std::string_view PART_END = "<!-- end -->";

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.back() == '\r' || text.back() == ' ')) {
        if (text.front() == ' ')
            text.remove_prefix(1);
        else
            text.remove_suffix(1);
    }
    return text;
}

bool starts_with(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// A list item's marker ("- " or "12. "): its length, 0 for none.
std::size_t item_marker(std::string_view line, bool& numbered) {
    numbered = false;
    if (starts_with(line, "- ")) return 2;
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == 0 || line.substr(digits, 2) != ". ") return 0;
    numbered = true;
    return digits + 2;
}

struct Block {
    enum class Kind { Heading, Paragraph, Bullets, Numbers, Table, Code, Picture };
    explicit Block(Kind of, int heading_level = 0) : kind(of), level(heading_level) {}
    Kind kind;
    int level = 0;                               // a heading's
    std::string text;                            // heading, paragraph, code; a picture's file
    std::string alt;                             // a picture's
    std::vector<std::string> items;              // a list's
    std::vector<std::vector<std::string>> rows;  // a table's, its head first
};

std::vector<std::string> table_cells(std::string_view line) {
    line = trimmed(line);
    if (starts_with(line, "|")) line.remove_prefix(1);
    if (!line.empty() && line.back() == '|') line.remove_suffix(1);
    std::vector<std::string> cells;
    while (true) {
        const std::size_t bar = line.find('|');
        cells.emplace_back(trimmed(line.substr(0, bar)));
        if (bar == std::string_view::npos) break;
        line.remove_prefix(bar + 1);
    }
    return cells;
}

bool is_rule_row(std::string_view line) {
    return line.find_first_not_of("|-: ") == std::string_view::npos;
}

std::vector<Block> blocks_of(std::string_view markdown) {
    std::vector<Block> blocks;
    Block* open = nullptr;  // a paragraph, list or table lines join
    bool in_code = false;
    for (std::string_view raw : lines_of(markdown)) {
        const std::string_view line = trimmed(raw);
        if (in_code) {
            if (starts_with(line, "```")) {
                in_code = false;
            } else {
                blocks.back().text.append(raw).push_back('\n');
            }
            continue;
        }
        bool numbered = false;
        const std::size_t marker = item_marker(line, numbered);
        if (line.empty() || starts_with(line, "<!--")) {
            open = nullptr;
        } else if (starts_with(line, "```")) {
            blocks.emplace_back(Block::Kind::Code);
            in_code = true;
            open = nullptr;
        } else if (starts_with(raw, "#")) {
            const std::size_t level = line.find_first_not_of('#');
            blocks.emplace_back(Block::Kind::Heading, static_cast<int>(level));
            blocks.back().text = trimmed(line.substr(level));
            open = nullptr;
        } else if (starts_with(line, "![") && line.find("](") != std::string_view::npos &&
                   line.back() == ')') {
            const std::size_t middle = line.find("](");
            blocks.emplace_back(Block::Kind::Picture);
            blocks.back().alt = line.substr(2, middle - 2);
            blocks.back().text = line.substr(middle + 2, line.size() - middle - 3);
            open = nullptr;
        } else if (starts_with(line, "|")) {
            if (open == nullptr || open->kind != Block::Kind::Table) {
                blocks.emplace_back(Block::Kind::Table);
                open = &blocks.back();
            }
            if (!is_rule_row(line)) open->rows.push_back(table_cells(line));
        } else if (marker > 0 && !starts_with(raw, " ")) {
            const Block::Kind kind = numbered ? Block::Kind::Numbers : Block::Kind::Bullets;
            if (open == nullptr || open->kind != kind) {
                blocks.emplace_back(kind);
                open = &blocks.back();
            }
            open->items.emplace_back(line.substr(marker));
        } else if (open != nullptr &&
                   (open->kind == Block::Kind::Bullets || open->kind == Block::Kind::Numbers)) {
            open->items.back().append(" ").append(line);
        } else if (open != nullptr && open->kind == Block::Kind::Paragraph) {
            open->text.append(" ").append(line);
        } else {
            blocks.emplace_back(Block::Kind::Paragraph);
            blocks.back().text = line;
            open = &blocks.back();
        }
    }
    return blocks;
}

// Inline text: `code` and **bold** through the writer's spans.
template <typename Plain, typename Span>
void inline_text(std::string_view text, Plain plain, Span span) {
    while (!text.empty()) {
        const std::size_t code = text.find('`');
        const std::size_t bold = text.find("**");
        const std::size_t first = std::min(code, bold);
        if (first == std::string_view::npos) break;
        const bool is_code = first == code;
        const std::size_t open = is_code ? 1 : 2;
        const std::size_t close = text.find(is_code ? "`" : "**", first + open);
        if (close == std::string_view::npos) break;
        plain(text.substr(0, first));
        span(is_code, text.substr(first + open, close - first - open));
        text.remove_prefix(close + open);
    }
    plain(text);
}

std::string html_escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string html_inline(std::string_view text) {
    std::string out;
    inline_text(
        text, [&](std::string_view plain) { out += html_escaped(plain); },
        [&](bool code, std::string_view inner) {
            out += code ? "<code>" + html_escaped(inner) + "</code>"
                        : "<strong>" + html_escaped(inner) + "</strong>";
        });
    return out;
}

// RTF text: its specials escaped, every character beyond ASCII as \uN? from
// its UTF-8 (UTF-16 units, a negative number above 32767 as RTF wants).
std::string rtf_escaped(std::string_view text) {
    std::string out;
    const auto unit = [&](unsigned value) {
        const int signed_value =
            value > 32767 ? static_cast<int>(value) - 65536 : static_cast<int>(value);
        out += "\\u" + std::to_string(signed_value) + "?";
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte == '\\' || byte == '{' || byte == '}') out += '\\';
            out += static_cast<char>(byte);
            continue;
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        unsigned code = length == 1 ? 0xFFFD : byte & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
            code = (code << 6) | (next & 0x3F);
        }
        i += length - 1;
        if (code > 0xFFFF) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

std::string rtf_inline(std::string_view text) {
    std::string out;
    inline_text(
        text, [&](std::string_view plain) { out += rtf_escaped(plain); },
        [&](bool code, std::string_view inner) {
            out += (code ? "{\\f1 " : "{\\b ") + rtf_escaped(inner) + "}";
        });
    return out;
}

// The table's columns' right edges in twips, shared out by their longest cells.
std::vector<int> column_edges(const Block& table) {
    std::size_t columns = 0;
    for (const auto& row : table.rows)
        columns = std::max(columns, row.size());
    std::vector<std::size_t> longest(columns, 4);
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            longest[c] = std::max(longest[c], std::min<std::size_t>(row[c].size(), 60));
    }
    std::size_t total = 0;
    for (std::size_t length : longest)
        total += length;
    std::vector<int> edges;
    int edge = 0;
    for (std::size_t length : longest) {
        edge += std::max(1000, static_cast<int>(9000 * length / std::max<std::size_t>(total, 1)));
        edges.push_back(edge);
    }
    return edges;
}

// A PNG file as an RTF picture, or "" when it is no PNG.
std::string rtf_picture(const std::string& png) {
    static constexpr unsigned char SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || png.compare(0, 8, reinterpret_cast<const char*>(SIGNATURE), 8) != 0)
        return {};
    const auto big_endian = [&](std::size_t at) {
        unsigned long value = 0;
        for (std::size_t k = 0; k < 4; ++k)
            value = (value << 8) | static_cast<unsigned char>(png[at + k]);
        return value;
    };
    const unsigned long width = big_endian(16);
    const unsigned long height = big_endian(20);
    if (width == 0 || height == 0 || width > 20000 || height > 20000) return {};
    // 15 twips a pixel at 96 dots per inch, at most 600 pixels wide.
    const unsigned long shown_width = std::min(width, 600ul);
    const unsigned long shown_height = height * shown_width / width;
    std::string out = "\\pard\\qc\\sa120{\\pict\\pngblip\\picw" + std::to_string(width) + "\\pich" +
                      std::to_string(height) + "\\picwgoal" + std::to_string(shown_width * 15) +
                      "\\pichgoal" + std::to_string(shown_height * 15) + "\n";
    static constexpr char HEX[] = "0123456789abcdef";
    for (std::size_t k = 0; k < png.size(); ++k) {
        const auto byte = static_cast<unsigned char>(png[k]);
        out += HEX[byte >> 4];
        out += HEX[byte & 15];
        if (k % 64 == 63) out += '\n';
    }
    return out + "}\\par\n";
}

}  // namespace

std::string user_guide_for(GuideReader reader, std::string_view markdown) {
    const std::string_view mine = reader == GuideReader::Desktop ? DESKTOP_PART : WEB_PART;
    std::string out;
    bool shown = true;
    for (std::string_view line : lines_of(markdown)) {
        const std::string_view marker = trimmed(line);
        if (marker == DESKTOP_PART || marker == WEB_PART) {
            shown = marker == mine;
        } else if (marker == PART_END) {
            shown = true;
        } else if (shown) {
            out.append(line).push_back('\n');
        }
    }
    return out;
}

std::string guide_anchor(std::string_view heading) {
    std::string anchor;
    bool gap = false;
    for (char c : heading) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (letter || (c >= 'a' && c <= 'z')) {
            if (gap && !anchor.empty()) anchor += '-';
            anchor += c;
            gap = false;
        } else if (c == ' ' || c == '-' || c == '_') {
            gap = true;
        }
    }
    return anchor;
}

std::string_view dialog_guide_section(DialogKind kind) {
    switch (kind) {
        case DialogKind::ModelParameters:
            return "Main parameters";
        case DialogKind::OneTimePlan:
            return "One-time intervention";
        case DialogKind::IntermittentPlan:
            return "Intermittent intervention";
        case DialogKind::AxisScale:
            return "Scale of the axes";
    }
    return {};
}

std::string dialog_guide_anchor(DialogKind kind) {
    return guide_anchor(dialog_guide_section(kind));
}

std::string guide_html(std::string_view markdown, std::string_view picture_folder) {
    std::string out;
    for (const Block& block : blocks_of(markdown)) {
        switch (block.kind) {
            case Block::Kind::Heading: {
                const std::string level = std::to_string(std::clamp(block.level, 1, 6));
                const std::string anchor = guide_anchor(block.text);
                out += "<h" + level + " id=\"" + anchor + "\"><a name=\"" + anchor + "\"></a>" +
                       html_inline(block.text) + "</h" + level + ">\n";
                break;
            }
            case Block::Kind::Paragraph:
                out += "<p>" + html_inline(block.text) + "</p>\n";
                break;
            case Block::Kind::Bullets:
            case Block::Kind::Numbers: {
                const std::string tag = block.kind == Block::Kind::Bullets ? "ul" : "ol";
                out += "<" + tag + ">\n";
                for (const std::string& item : block.items)
                    out += "<li>" + html_inline(item) + "</li>\n";
                out += "</" + tag + ">\n";
                break;
            }
            case Block::Kind::Table:
                out += "<table>\n";
                for (std::size_t r = 0; r < block.rows.size(); ++r) {
                    const std::string cell = r == 0 ? "th" : "td";
                    out += "<tr>";
                    for (const std::string& text : block.rows[r])
                        out += "<" + cell + ">" + html_inline(text) + "</" + cell + ">";
                    out += "</tr>\n";
                }
                out += "</table>\n";
                break;
            case Block::Kind::Code:
                out += "<pre><code>" + html_escaped(block.text) + "</code></pre>\n";
                break;
            case Block::Kind::Picture:
                if (!picture_folder.empty()) {
                    out += "<p><img src=\"" +
                           html_escaped(std::string(picture_folder) + block.text) +
                           "\" width=\"600\" alt=\"" + html_escaped(block.alt) + "\"></p>\n";
                }
                break;
        }
    }
    return out;
}

std::string guide_rtf(std::string_view markdown,
                      const std::function<std::string(std::string_view)>& picture_png) {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0"
        "{\\fonttbl{\\f0\\fswiss Segoe UI;}{\\f1\\fmodern Consolas;}}"
        "\\viewkind4\\uc1\\fs20\n";
    for (const Block& block : blocks_of(markdown)) {
        switch (block.kind) {
            case Block::Kind::Heading: {
                const int size = block.level <= 1 ? 36 : block.level == 2 ? 30 : 24;
                out += "\\pard\\sb280\\sa120\\keepn\\b\\fs" + std::to_string(size) + " " +
                       rtf_escaped(block.text) + "\\b0\\fs20\\par\n";
                break;
            }
            case Block::Kind::Paragraph:
                out += "\\pard\\sa120 " + rtf_inline(block.text) + "\\par\n";
                break;
            case Block::Kind::Bullets:
            case Block::Kind::Numbers: {
                int number = 0;
                for (const std::string& item : block.items) {
                    const std::string mark = block.kind == Block::Kind::Bullets
                                                 ? "\\bullet"
                                                 : std::to_string(++number) + ".";
                    out += "\\pard\\fi-300\\li400\\sa60\\tx400 " + mark + "\\tab " +
                           rtf_inline(item) + "\\par\n";
                }
                out += "\\pard\\sa60\\par\n";
                break;
            }
            case Block::Kind::Table: {
                const std::vector<int> edges = column_edges(block);
                for (std::size_t r = 0; r < block.rows.size(); ++r) {
                    out += "\\trowd\\trgaph80\\trleft0";
                    for (int edge : edges) {
                        out += "\\clbrdrb\\brdrs\\brdrw10\\cellx" + std::to_string(edge);
                    }
                    out += "\n";
                    for (std::size_t c = 0; c < edges.size(); ++c) {
                        const std::string text = c < block.rows[r].size() ? block.rows[r][c] : "";
                        out += "\\pard\\intbl " + std::string(r == 0 ? "\\b " : "") +
                               rtf_inline(text) + (r == 0 ? "\\b0" : "") + "\\cell\n";
                    }
                    out += "\\row\n";
                }
                out += "\\pard\\sa120\\par\n";
                break;
            }
            case Block::Kind::Code:
                for (std::string_view line : lines_of(block.text))
                    out += "\\pard\\li400{\\f1 " + rtf_escaped(line) + "}\\par\n";
                break;
            case Block::Kind::Picture:
                if (picture_png) out += rtf_picture(picture_png(block.text));
                break;
        }
    }
    out += "}";
    return out;
}

}  // namespace morbilex
