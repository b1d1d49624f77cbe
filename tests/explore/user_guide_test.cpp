// The user's guide each program shows: rendered, for its reader, and with a
// section for each dialog's Help.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "explore/user_guide.h"

namespace morbilex::testing {
namespace {

bool holds(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The page without its code blocks, which show program text as it is typed.
std::string without_code(std::string page, std::string_view open, std::string_view close) {
    for (std::size_t start; (start = page.find(open)) != std::string::npos;) {
        const std::size_t end = page.find(close, start);
        page.erase(start,
                   end == std::string::npos ? std::string::npos : end + close.size() - start);
    }
    return page;
}

TEST(UserGuide, EachReaderGetsARenderedPageWithTheDialogsSections) {
    EXPECT_TRUE(holds(user_guide_pages(), "introduction.md;"));
    const std::string desktop = user_guide_for(GuideReader::Desktop);
    const std::string web = user_guide_for(GuideReader::Web);
    // The web page has no menus and no Ctrl keys; no reader is told how to build.
    EXPECT_TRUE(holds(desktop, "Ctrl+M"));
    EXPECT_FALSE(holds(web, "Ctrl+"));
    for (const std::string& guide : {desktop, web}) {
        EXPECT_FALSE(holds(guide, "<!--"));
        EXPECT_FALSE(holds(guide, "bash scripts/"));
        const std::string html = guide_html(guide, "pictures/");
        const std::string rtf = guide_rtf(guide);
        for (DialogKind kind : ALL_DIALOG_KINDS) {
            EXPECT_TRUE(holds(html, "id=\"" + dialog_guide_anchor(kind) + "\""));
            // Windows finds a section by its heading, a paragraph of its own.
            std::string heading = " ";
            heading += dialog_guide_section(kind);
            EXPECT_TRUE(holds(rtf, heading + "\\b0"));
        }
        EXPECT_TRUE(holds(html, "<img src=\"pictures/explorer.png\""));
        EXPECT_FALSE(holds(guide_html(guide, ""), "<img"));
        for (const std::string& page : {without_code(html, "<pre><code>", "</code></pre>"),
                                        without_code(rtf, "{\\f1 ", "}\\par")}) {
            for (std::string_view mark : {"**", "##", "|---", "`", "<!--"})
                EXPECT_FALSE(holds(page, mark)) << mark;
        }
        int depth = 0;
        for (std::size_t i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\') {
                ++i;
            } else if (rtf[i] == '{') {
                ++depth;
            } else if (rtf[i] == '}' && --depth == 0) {
                EXPECT_EQ(i + 1, rtf.size());
            }
        }
        EXPECT_EQ(depth, 0);
    }
    EXPECT_EQ(guide_anchor("Scale of the axes"), "scale-of-the-axes");
    EXPECT_TRUE(holds(guide_rtf("a \xe2\x80\xa6 {b}\n"), "a \\u8230? \\{b\\}"));
    // A picture: the front end's PNG, its size from the file's header.
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x03\x20\0\0\x01\x2c", 24);
    const std::string pictured = guide_rtf(
        "![x](x.png)\n", [&](std::string_view name) { return name == "x.png" ? png : ""; });
    EXPECT_TRUE(holds(pictured,
                      "{\\pict\\pngblip\\picw800\\pich300\\picwgoal9000\\pichgoal3375\n89504e47"));
    EXPECT_FALSE(holds(guide_rtf("![x](y.png)\n", [&](std::string_view) { return ""; }), "pict"));
}

}  // namespace
}  // namespace morbilex::testing
