// The user's guide: the pages of docs/guide, built into the programs so that
// it is shown without a network, each program reading the parts meant for it
// and showing them as a rendered page (HTML for a browser or Qt's text view,
// RTF for a Windows rich edit control).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "shell/dialogs.h"

namespace morbilex {

// Every page, in the guide's order, as written: Markdown with the lines
// "<!-- desktop -->", "<!-- web -->" and "<!-- end -->" around the parts
// meant for the desktop programs or the web page alone.
std::string_view user_guide_markdown();
// The pages' file names in the guide's order, separated by ';'.
std::string_view user_guide_pages();

enum class GuideReader { Desktop, Web };

// The guide as reader sees it: the other reader's parts and the marker lines
// left out.
std::string user_guide_for(GuideReader reader, std::string_view markdown = user_guide_markdown());

// The anchor of a heading: its words in lower case joined by '-', other
// characters dropped ("Scale of the axes" -> "scale-of-the-axes").
std::string guide_anchor(std::string_view heading);

// The section of the guide about a dialog's values, its Help button's and
// F1's destination; the heading's anchor.
std::string_view dialog_guide_section(DialogKind kind);
std::string dialog_guide_anchor(DialogKind kind);

// The guide's Markdown (headings, paragraphs, lists, tables, code, bold,
// pictures) as an HTML body: each heading carries its anchor as id and as a
// named anchor; a picture refers to picture_folder + its file name, shown
// 600 pixels wide, or is left out when picture_folder is empty.
std::string guide_html(std::string_view markdown, std::string_view picture_folder);

// The same as an RTF document. Each heading is a paragraph of its own whose
// text is the heading's, so a front end finds a section by its heading's
// text. A picture is the PNG file picture_png gives for its file name, shown
// at most 600 pixels wide, or left out when it gives none.
std::string guide_rtf(std::string_view markdown,
                      const std::function<std::string(std::string_view)>& picture_png = {});

}  // namespace morbilex
