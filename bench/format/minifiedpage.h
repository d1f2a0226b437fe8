#pragma once

// A page as sites serve it today, minified into one line: header and
// navigation, articles of paragraphs with links and emphasis, lists, tables,
// inline scripts and styles, SVG icons, comments; some Japanese text.

#include <QString>
#include <QStringList>

inline QString minifiedPage(qsizetype chars)
{
    QString s;
    s.reserve(chars + 4096);
    s += QStringLiteral("<head><meta charset=\"utf-8\"><title>Page</title><link rel=\"stylesheet\" href=\"/a.css\">"
                        "<style>.c{color:red}.n>li{display:inline-block}</style></head><body class=\"home\">"
                        "<header class=\"top\"><nav><ul class=\"n\"><li><a href=\"/\">ホーム</a></li>"
                        "<li><a href=\"/news\">News</a></li><li><a href=\"/about\">About</a></li></ul></nav></header>"
                        "<main id=\"main\">");
    for (int i = 0; s.size() < chars; ++i) {
        s += QStringLiteral("<article class=\"card\" data-id=\"%1\"><h2><a href=\"/item/%1\">Item %1 の見出し</a></h2>"
                            "<div class=\"meta\"><svg class=\"i\" viewBox=\"0 0 24 24\" aria-hidden=\"true\"><path "
                            "d=\"M12 2a10 10 0 1 0 0 20a10 10 0 0 0 0-20z\"/></svg><span>2024-01-%2</span></div>"
                            "<p>Some <b>text</b> about item %1, with <a href=\"/t/%3\">a link</a> and "
                            "<em>emphasis</em>; 日本語の説明文も入ります。</p><!-- card %1 -->"
                            "<ul><li>one</li><li>two <i>%3</i></li></ul>")
                 .arg(i)
                 .arg(i % 28 + 1)
                 .arg(i * 7 % 1000);
        if (i % 5 == 0)
            s += QStringLiteral("<table><tr><th>k</th><th>v</th></tr><tr><td>a</td><td>%1</td></tr></table>").arg(i);
        if (i % 9 == 0)
            s += QStringLiteral("<script>window.dataLayer&&dataLayer.push({event:\"view\",id:%1,x:\"<b>\"});</script>")
                     .arg(i);
        s += QStringLiteral("</article>");
    }
    s += QStringLiteral("</main><footer><p>&copy; Example</p></footer></body>");
    return s;
}
