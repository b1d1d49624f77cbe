#!/usr/bin/env python3
"""The web edition's user's guide: the pages of docs/guide in the order of
its order.txt (other pages after them, by name), their web parts, as one HTML
page. Knows the Markdown the guide uses: headings (each with its anchor),
paragraphs, lists, tables, code, bold and pictures (the web page's own, as
guide-NAME). With --desktop, the desktop programs' parts instead of the web
page's, as a page of its own (the Windows installer's guide).
    web_guide.py docs/guide guide.html [--desktop]"""
import html
import os
import re
import sys


def inline(text):
    text = html.escape(text, quote=False)
    text = re.sub(r"!\[([^\]]*)\]\(([^)]*)\)", r'<img alt="\1" src="guide-\2">', text)
    text = re.sub(r"`([^`]*)`", r"<code>\1</code>", text)
    text = re.sub(r"\*\*([^*]*)\*\*", r"<strong>\1</strong>", text)
    return text


def anchor(heading):
    """The anchor the programs give a heading: its words in lower case joined by '-'."""
    words = re.sub(r"[^a-z0-9 _-]", "", heading.lower())
    return "-".join(w for w in re.split(r"[ _-]+", words) if w)


def pages(folder):
    listed = [line.strip() for line in open(os.path.join(folder, "order.txt"), encoding="utf-8")
              if line.strip().endswith(".md") and not line.startswith("#")]
    present = sorted(name for name in os.listdir(folder) if name.endswith(".md"))
    ordered = [name for name in listed if name in present]
    return ordered + [name for name in present if name not in ordered]


def web_lines(folder, reader="web"):
    """The pages' lines without the other reader's parts and the marker lines."""
    out, shown = [], True
    for name in pages(folder):
        for line in open(os.path.join(folder, name), encoding="utf-8").read().split("\n"):
            marker = line.strip()
            if marker in ("<!-- desktop -->", "<!-- web -->"):
                shown = marker == f"<!-- {reader} -->"
            elif marker == "<!-- end -->":
                shown = True
            elif shown:
                out.append(line)
        out.append("")
    return out


def convert(lines):
    out, paragraph, items, table = [], [], None, []

    def flush():
        nonlocal paragraph, items, table
        if paragraph:
            out.append("<p>" + inline(" ".join(paragraph)) + "</p>")
        if items is not None:
            tag, entries = items
            out.append(f"<{tag}>" + "".join(f"<li>{inline(e)}</li>" for e in entries) + f"</{tag}>")
        if table:
            # A bar written \| belongs to its cell.
            rows = [[c.strip().replace("\\|", "|") for c in re.split(r"(?<!\\)\|", r.strip().strip("|"))]
                    for r in table if not re.match(r"^\|[-| ]+\|$", r)]
            head = "".join(f"<th>{inline(c)}</th>" for c in rows[0])
            body = "".join("<tr>" + "".join(f"<td>{inline(c)}</td>" for c in r) + "</tr>" for r in rows[1:])
            out.append(f"<table><thead><tr>{head}</tr></thead><tbody>{body}</tbody></table>")
        paragraph, items, table = [], None, []

    code = None
    for line in lines:
        if code is not None:
            if line.startswith("```"):
                out.append("<pre><code>" + html.escape("\n".join(code)) + "</code></pre>")
                code = None
            else:
                code.append(line)
            continue
        if line.startswith("```"):
            flush()
            code = []
        elif line.startswith("#"):
            flush()
            level = len(line) - len(line.lstrip("#"))
            title = line[level:].strip()
            out.append(f'<h{level} id="{anchor(title)}">{inline(title)}</h{level}>')
        elif re.match(r"^!\[[^\]]*\]\([^)]*\)$", line.strip()):
            flush()
            out.append("<p>" + inline(line.strip()) + "</p>")
        elif line.startswith("|"):
            if not table:
                flush()
            table.append(line)
        elif re.match(r"^(- |\d+\. )", line):
            tag = "ul" if line.startswith("- ") else "ol"
            if items is None or paragraph or table:
                flush()
                items = (tag, [])
            items[1].append(re.sub(r"^(- |\d+\. )", "", line))
        elif line.startswith("  ") and items is not None and line.strip():
            items[1][-1] += " " + line.strip()
        elif not line.strip():
            flush()
        else:
            paragraph.append(line.strip())
    flush()
    return "\n".join(out)


def main():
    desktop = "--desktop" in sys.argv[3:]
    body = "<h1>Morbilex: user's guide</h1>\n" + convert(
        web_lines(sys.argv[1], "desktop" if desktop else "web"))
    page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Morbilex: user's guide</title>
<link rel="icon" href="morbilex.svg"><link rel="stylesheet" href="morbilex.css">
</head><body class="guide"><main>
{"" if desktop else '<p><a href="index.html">Back to Morbilex</a></p>'}
{body}
</main></body></html>
"""
    open(sys.argv[2], "w", encoding="utf-8").write(page)


main()
