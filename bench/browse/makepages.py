#!/usr/bin/env python3
"""Writes the benchmark pages into the folder given; with --mib N..., pages
of about N MiB each (page-Nmib.html) instead; with --many N, N small pages
and their list."""
import os
import sys

out = sys.argv[1]

ROW = ('<tr><td class="c">cell &amp; text {i}</td><td><a href="/p/{i}">link {i}</a></td>'
       '<td>&nbsp;</td><td>日本語 {i}</td></tr>')


def page(rows, single_line=False):
    sep = "" if single_line else "\n"
    parts = ["<!DOCTYPE html><html><head><title>bench</title>", sep,
             "<script>var x = 1 < 2;</script>", sep, "</head><body>", sep]
    parts.append("<table>")
    for i in range(rows):
        parts.append(ROW.format(i=i))
        parts.append(sep)
    parts.append("</table></body></html>")
    return "".join(parts)


def write(name, text):
    with open(os.path.join(out, name), "w", encoding="utf-8") as f:
        f.write(text)


if len(sys.argv) > 2 and sys.argv[2] == "--many":
    # N small pages of 10 to 109 rows (about 2 to 18 KB), and list.txt
    # naming them one a line, for --batch.
    n = int(sys.argv[3])
    with open(os.path.join(out, "list.txt"), "w", encoding="utf-8") as f:
        for i in range(n):
            write(f"many-{i}.html", page(10 + i % 100))
            f.write("file://" + os.path.join(os.path.abspath(out), f"many-{i}.html") + "\n")
    sys.exit(0)

if len(sys.argv) > 2 and sys.argv[2] == "--mib":
    for mib in sys.argv[3:]:
        target = int(mib) << 20
        row_bytes = len(ROW.format(i=50000).encode("utf-8")) + 1
        write(f"page-{mib}mib.html", page(target // row_bytes))
    sys.exit(0)

write("small.html", page(10))
write("page-1mb.html", page(9000))
write("page-10mb.html", page(90000))
write("single-5mb.html", page(45000, single_line=True))
