// Small stored pages in the demo site's markup, as the page client leaves them (status line
// and headers first, lines ended by CR LF), for the workbench's tests.
#pragma once

#include <QByteArray>

namespace trouvel::atelier::test {

inline QByteArray storedPage(const QByteArray& body)
{
    QByteArray page = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" + body;
    page.replace("\n", "\r\n");
    page.replace("\r\r\n", "\r\n");
    return page;
}

inline QByteArray searchBody()
{
    return "<table>\n"
           "<tr><td class=\"titre\"><a class=\"lien-film\" href=\"/film/101\" title=\"Voir\">Le Dernier \xc3\x89t\xc3\xa9</a></td>\n"
           "<td class='infos'>1972 - Drame</td></tr>\n"
           "<tr><td class=\"titre\"><a class=\"lien-film\" href=\"/film/102\" title=\"Voir\">Le Dernier \xc3\x89t\xc3\xa9</a></td>\n"
           "<td class='infos'>2004 - Com&eacute;die</td></tr>\n"
           "</table>\n";
}

inline QByteArray filmBody()
{
    return "<h1 class=\"titre-film\">Le Dernier \xc3\x89t\xc3\xa9</h1>\n"
           "<table><tr><th>Ann\xc3\xa9""e</th><td class=annee>1972</td></tr>\n"
           "<tr><th>R\xc3\xa9""alisation</th>\n<td>Gaspard Millerand-Tour</td></tr>\n"
           "<tr><th>Genre</th><td>Drame</td></tr></table>\n"
           "<div class=\"affiche\"><img src=\"/affiches/101.jpg\"></div>\n";
}

} // namespace trouvel::atelier::test
