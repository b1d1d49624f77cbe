#!/usr/bin/env python3
"""The web edition's user's guide: README.md's "## User's guide" section as
one HTML page. Knows the Markdown the README uses: headings, paragraphs,
lists, tables, code, bold and pictures.
    web_guide.py README.md guide.html"""
import html
import re
import sys


def inline(text):
    text = html.escape(text, quote=False)
    text = re.sub(r"!\[([^\]]*)\]\(([^)]*)\)", r'<img alt="\1" src="guide.png">', text)
    text = re.sub(r"`([^`]*)`", r"<code>\1</code>", text)
    text = re.sub(r"\*\*([^*]*)\*\*", r"<strong>\1</strong>", text)
    return text


def section(lines):
    start = lines.index("## User's guide")
    end = next((k for k in range(start + 1, len(lines)) if lines[k].startswith("## ")), len(lines))
    return lines[start:end]


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
            rows = [[c.strip() for c in r.strip("|").split("|")] for r in table if not re.match(r"^\|[-| ]+\|$", r)]
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
            out.append(f"<h{level - 1}>{inline(line[level:].strip())}</h{level - 1}>")
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
    lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
    body = convert(section(lines))
    page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Morbilex: user's guide</title>
<link rel="icon" href="morbilex.svg"><link rel="stylesheet" href="morbilex.css">
</head><body class="guide"><main>
<p><a href="index.html">Back to Morbilex</a></p>
{body}
</main></body></html>
"""
    open(sys.argv[2], "w", encoding="utf-8").write(page)


main()
