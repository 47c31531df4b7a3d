#include "BenchPages.h"

namespace trouvel::bench {

namespace {

QString fillerBlock(int n)
{
    return QStringLiteral(
               "<div class=\"bloc\">\r\n"
               "  <a href=\"/film/%1.html\" title=\"Fiche\">Titre du film %1</a> &nbsp;|&nbsp; "
               "<span class=\"date\">12/03/19%2</span>\r\n"
               "  <table class=\"liste\"><tr><td class=\"c1\">Genre</td><td>Com&eacute;die dramatique</td>"
               "<td><img src=\"/img/%1.jpg\" alt=\"\"></td></tr></table>\r\n"
               "<script type=\"text/javascript\">var x%1 = %1; if (x%1 < 3) { document.write('<b>n</b>'); }</script>\r\n"
               "  <p>Un r&eacute;sum&eacute; assez long, avec des   blancs\r\n\t et des <i>italiques</i> &amp; des "
               "entit&eacute;s, pour que le texte ressemble &agrave; une vraie page.</p>\r\n"
               "</div>\r\n")
        .arg(n)
        .arg(n % 100, 2, 10, QLatin1Char('0'));
}

QString fieldValue(int k)
{
    return QStringLiteral("Valeur %1 : Am&eacute;lie &amp; <b>Nino</b>\r\n   r&eacute;alis&eacute; par Jean-Pierre&nbsp;J. "
                          "&laquo;&nbsp;L&#039;&Eacute;t&eacute;&rsquo;s&nbsp;&raquo; &#x2014; suite&hellip; &copy 2001 &#150; &bogus;")
        .arg(k);
}

// The field as it stands in the page, and the pattern a script would use to cut it out.
std::pair<QString, QString> field(int k)
{
    const QString v = fieldValue(k);
    switch (k % 5) {
    case 0:
        return {QStringLiteral("<tr><td class=\"lbl\">Champ %1</td>\r\n<td class=\"val\">%2</td></tr>\r\n").arg(k).arg(v),
                QStringLiteral("<td class=\"lbl\">Champ %1</td>[\\s\\S]*?<td class=\"val\">([\\s\\S]*?)</td>").arg(k)};
    case 1:
        return {QStringLiteral("<div class=\"champ-%1\">\r\n  %2\r\n</div>\r\n").arg(k).arg(QString(v).remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"))),
                QStringLiteral("<div class=\"champ-%1\">\\s*([^<]+)").arg(k)};
    case 2:
        return {QStringLiteral("Champ-%1 : %2<br>\r\n").arg(k).arg(QString(v).replace(QStringLiteral("\r\n"), QStringLiteral(" "))),
                QStringLiteral("^Champ-%1 : (.*?)<br>").arg(k)};
    case 3:
        return {QStringLiteral("<a href=\"/personne/%1.html\" class=\"p\">%2</a>\r\n").arg(k).arg(QString(v).remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"))),
                QStringLiteral("<a href=\"/personne/%1\\.html\"[^>]*>([^<]*)</a>").arg(k)};
    default:
        return {QStringLiteral("<SPAN ID=\"F-%1\">%2</SPAN>\r\n").arg(k).arg(v),
                QStringLiteral("<span id=\"f-%1\">([\\s\\S]*?)</span>").arg(k)};
    }
}

} // namespace

FieldPage buildFieldPage(qsizetype size, int fields)
{
    FieldPage result;
    QString& page = result.page;
    page.reserve(size + 4096);
    page += QStringLiteral("HTTP/1.1 200 OK\r\nDate: Tue, 08 Dec 2026 02:00:00 GMT\r\nContent-Type: text/html\r\n"
                           "Connection: close\r\n\r\n<html><head><title>Fiche</title>\r\n"
                           "<script>function f(a) { return a < 2 ? '<i>' : '</i>'; }</script></head><body>\r\n");
    std::vector<std::pair<QString, QString>> all;
    for (int k = 0; k < fields; ++k)
        all.push_back(field(k));
    int block = 0;
    int next = 0;
    while (page.size() < size) {
        page += fillerBlock(block++);
        // Fields are spread evenly from the start of the page to its end.
        while (next < fields && page.size() >= size * next / fields) {
            if (next % 11 != 10)
                page += all[size_t(next)].first;
            ++next;
        }
    }
    page += QStringLiteral("</body></html>\r\n");
    for (const auto& f : all)
        result.patterns.append(f.second);
    return result;
}

QString buildFragment(qsizetype size)
{
    QString fragment;
    fragment.reserve(size + 1024);
    for (int n = 0; fragment.size() < size; ++n)
        fragment += fillerBlock(n);
    return fragment;
}

} // namespace trouvel::bench
