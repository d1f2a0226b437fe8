#!/usr/bin/env python3
"""Writes the benchmark pages into the folder given."""
import os
import sys

out = sys.argv[1]


def page(rows, single_line=False):
    sep = "" if single_line else "\n"
    parts = ["<!DOCTYPE html><html><head><title>bench</title>", sep,
             "<script>var x = 1 < 2;</script>", sep, "</head><body>", sep]
    row = ('<tr><td class="c">cell &amp; text {i}</td><td><a href="/p/{i}">link {i}</a></td>'
           '<td>&nbsp;</td><td>日本語 {i}</td></tr>')
    parts.append("<table>")
    for i in range(rows):
        parts.append(row.format(i=i))
        parts.append(sep)
    parts.append("</table></body></html>")
    return "".join(parts)


def write(name, text):
    with open(os.path.join(out, name), "w", encoding="utf-8") as f:
        f.write(text)


write("small.html", page(10))
write("page-1mb.html", page(9000))
write("page-10mb.html", page(90000))
write("single-5mb.html", page(45000, single_line=True))
