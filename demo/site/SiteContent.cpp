#include "SiteContent.h"

#include "Poster.h"
#include "SiteText.h"

#include <QRegularExpression>

namespace trouvel::demo {

namespace {

// The film's text as its pages write it: with entities for the films whose pages use them.
QString html(const Film& film, const QString& text)
{
    return film.entities ? htmlEntities(text) : htmlEscape(text);
}

// Breaks a long text over two lines at a blank, as hand-edited pages do inside table cells.
QString wrapped(const QString& text, const QString& indent)
{
    if (text.size() < 16)
        return text;
    const qsizetype middle = text.size() / 2;
    qsizetype cut = text.indexOf(QLatin1Char(' '), middle);
    if (cut < 0)
        cut = text.lastIndexOf(QLatin1Char(' '), middle);
    if (cut < 0)
        return text;
    return text.left(cut) + QLatin1Char('\n') + indent + text.mid(cut + 1);
}

QString nonBreaking(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char(' '), QChar(0x00A0));
    return out;
}

QByteArray utf8(const QString& text) { return text.toUtf8(); }

const char* kHead = R"html(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html lang="fr">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
)html";

const char* kScripts = R"html(<link rel="stylesheet" type="text/css" href="/css/grenier.css">
<script type="text/javascript" src="/js/menu.js"></script>
<script type="text/javascript">
<!--
var cg_pub = { zone: "haut", format: "468x60" };
function surligne(el, on) { el.className = on ? 'resultat actif' : 'resultat'; }
// ancien moteur : <a href="/fiche.php?id=0">voir</a>
document.write('<div id="pub-haut"><a href="/pub?z=haut">Publicit&eacute;</a></div>');
//-->
</script>
</head>
)html";

const char* kBanner = R"html(<body bgcolor=#FDF6E3 leftmargin=0 topmargin=0 onLoad="init()">
<div id="bandeau"><a href="/"><img src="/img/logo.gif" alt="CinéGrenier" border=0 width=220 height=48></a>
 <form action="/recherche" method="get" style="display:inline">
  <input type=text name="titre" size=24> <input type=submit value="OK">
 </form>
</div>
)html";

const char* kFooter = R"html(
<div id="pied">
<!-- pied de page commun, ne pas modifier -->
&copy; 2003-2026 CinéGrenier &middot; <a href="/mentions">Mentions l&eacute;gales</a>
</div>
<script type="text/javascript">stats('cg', 1);</script>
</body>
</html>
)html";

} // namespace

SiteContent::SiteContent(FilmCatalogue catalogue) : catalogue_(std::move(catalogue)) {}

std::vector<const Film*> SiteContent::search(const QString& text) const
{
    const QString key = searchKey(text);
    std::vector<const Film*> exact;
    std::vector<const Film*> partial;
    if (key.isEmpty())
        return exact;
    for (const Film& film : catalogue_.films) {
        const QString title = searchKey(film.title);
        if (title == key)
            exact.push_back(&film);
        else if (QString(QLatin1Char(' ') + title + QLatin1Char(' ')).contains(QLatin1Char(' ') + key + QLatin1Char(' ')))
            partial.push_back(&film);
    }
    return exact.empty() ? partial : exact;
}

void SiteContent::forceStatus(const QByteArray& path, int status)
{
    if (status == 0)
        forced_.remove(path);
    else
        forced_.insert(path, status);
}

HttpResponse SiteContent::respond(const HttpRequest& request)
{
    const QByteArray path = request.path();
    if (const auto it = forced_.constFind(path); it != forced_.constEnd()) {
        HttpResponse busy = errorPage(*it, QStringLiteral("Le service est momentanément indisponible."));
        if (*it == 429 || *it == 503)
            busy.extraHeaders.append(qMakePair(QByteArray("Retry-After"), retryAfter_));
        return busy;
    }

    // Every page answers POST as well: a script's method applies to its detail pages too.
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST") {
        HttpResponse r = errorPage(405, QStringLiteral("Méthode non acceptée."));
        r.extraHeaders.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD, POST")));
        return r;
    }
    if (path == "/recherche") {
        // A POST form carries the title in its body; a query in the address counts too.
        QHash<QString, QString> form = parseForm(request.query());
        if (request.method == "POST")
            form.insert(parseForm(request.body));
        return searchPage(form.value(QStringLiteral("titre")));
    }
    if (path == "/" || path == "/index.html")
        return homePage();

    static const QRegularExpression filmPath(QStringLiteral("^/film/(\\d{1,6})$"));
    static const QRegularExpression posterPath(QStringLiteral("^/affiches/(\\d{1,6})\\.jpg$"));
    const QString textPath = QString::fromLatin1(path);
    if (const auto m = filmPath.match(textPath); m.hasMatch()) {
        if (const Film* film = catalogue_.find(m.captured(1).toInt()))
            return filmPage(*film);
    } else if (const auto m = posterPath.match(textPath); m.hasMatch()) {
        const Film* film = catalogue_.find(m.captured(1).toInt());
        if (film && film->poster != PosterKind::None)
            return poster(*film);
    }
    return errorPage(404, QStringLiteral("La page demandée n'existe pas."));
}

HttpResponse SiteContent::errorPage(int status, const QString& message) const
{
    HttpResponse r;
    r.status = status;
    r.parts << QByteArray(kHead)
            << utf8(QStringLiteral("<title>Erreur %1 - %2</title>\n</head>\n<body>\n<h1>Erreur %1</h1>\n<p>%3</p>\n"
                                   "<p><a href=\"/\">Retour &agrave; l'accueil</a></p>\n</body>\n</html>\n")
                        .arg(status)
                        .arg(htmlEscape(catalogue_.siteName), htmlEscape(message)));
    return r;
}

HttpResponse SiteContent::homePage() const
{
    HttpResponse r;
    r.chunkedWhenPossible = true;
    r.parts << QByteArray(kHead) << utf8(QStringLiteral("<title>%1 - le grenier du cin&eacute;ma</title>\n").arg(htmlEscape(catalogue_.siteName)))
            << QByteArray(kScripts) << QByteArray(kBanner);
    QString body = QStringLiteral("<h2>Rechercher un film</h2>\n"
                                  "<form action=\"/recherche\" method=\"post\">\n"
                                  "  Titre : <input type=\"text\" name=\"titre\" size=\"40\">\n"
                                  "  <input type=\"submit\" value=\"Chercher\">\n</form>\n"
                                  "<h3>Tous les films</h3>\n<ul class=\"tous\">\n");
    for (const Film& film : catalogue_.films)
        body += QStringLiteral("<li><a href=\"%1\">%2</a> (%3)</li>\n").arg(film.pagePath(), html(film, film.title)).arg(film.year);
    body += QLatin1String("</ul>\n");
    r.parts << utf8(body) << QByteArray(kFooter);
    return r;
}

HttpResponse SiteContent::searchPage(const QString& text) const
{
    const std::vector<const Film*> found = search(text);
    HttpResponse r;
    r.chunkedWhenPossible = true;
    r.parts << QByteArray(kHead)
            << utf8(QStringLiteral("<title>%1 - Recherche : %2</title>\n").arg(htmlEscape(catalogue_.siteName), htmlEscape(text)))
            << QByteArray(kScripts) << QByteArray(kBanner);
    r.parts << utf8(QStringLiteral("<!-- moteur v2.3 : %1 resultat(s) en 0.0%2 s -->\n"
                                   "<h2 class=titre-page>R&eacute;sultats de la recherche</h2>\n"
                                   "<p class=\"compte\">%1 film(s) trouvé(s) pour <b>« %3 »</b></p>\n")
                        .arg(found.size())
                        .arg(found.size() + 3)
                        .arg(htmlEscape(text)));
    if (found.empty()) {
        r.parts << QByteArray("<p class=\"aucun\">Aucun film ne correspond &agrave; votre recherche.<br>\n"
                              "V&eacute;rifiez l'orthographe du titre.</p>\n");
    } else {
        r.parts << QByteArray("<table class=\"resultats\" cellpadding=2 cellspacing=0 width=\"100%\">\n"
                              "<tr><th>&nbsp;</th><th>Titre</th><th>Informations</th></tr>\n");
        int row = 0;
        for (const Film* film : found) {
            const QString poster = film->poster == PosterKind::None
                                       ? QStringLiteral("<img src=\"/img/sans-affiche.gif\" width=40 height=60 alt=\"\">")
                                       : QStringLiteral("<img src='%1' width=40 height=60 alt=\"\">").arg(film->posterPath());
            r.parts << utf8(QStringLiteral("<tr class=\"resultat%1\" onmouseover=\"surligne(this,1)\" onmouseout=\"surligne(this,0)\">\n"
                                           "  <td class=vignette>%2</td>\n"
                                           "  <td class=\"titre\"><a class=\"lien-film\" href=\"%3\" title=\"Voir la fiche\">%4</a>\n"
                                           "  </td>\n"
                                           "  <td class='infos'>\n"
                                           "     %5 - %6<br>\n"
                                           "     de %7\n"
                                           "  </td>\n"
                                           "</tr>\n")
                                .arg(row++ % 2 ? QStringLiteral(" impair") : QString())
                                .arg(poster, film->pagePath(), wrapped(html(*film, film->title), QStringLiteral("      ")))
                                .arg(film->year)
                                .arg(html(*film, film->genre), html(*film, film->director)));
        }
        r.parts << QByteArray("</table>\n");
    }
    // A sidebar of popular films: plain links to detail pages that are not results.
    QString side = QStringLiteral("<div id=\"colonne\">\n<h4>Les plus consult&eacute;s</h4>\n<ol>\n");
    for (int i = 0; i < 3 && i < int(catalogue_.films.size()); ++i) {
        const Film& film = catalogue_.films[(i * 7 + 3) % catalogue_.films.size()];
        side += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n").arg(film.pagePath(), html(film, film.title));
    }
    side += QLatin1String("</ol>\n</div>\n");
    r.parts << utf8(side) << QByteArray(kFooter);
    return r;
}

HttpResponse SiteContent::filmPage(const Film& film) const
{
    const QString indent = QStringLiteral("        ");
    QString others;
    for (const Film& other : catalogue_.films)
        if (other.id != film.id && other.director == film.director)
            others += QStringLiteral("  <li><a href=\"%1\"><img src=\"%2\" width=30 border=0> %3</a></li>\n")
                          .arg(other.pagePath(), other.posterPath(), html(other, other.title));

    const QString poster = film.poster == PosterKind::None
                               ? QStringLiteral("<div class=\"affiche vide\">Pas d'affiche disponible</div>")
                               : QStringLiteral("<div class=\"affiche\">\n  <img src=\"%1\" alt=\"Affiche : %2\" width=\"300\" height=\"450\">\n</div>")
                                     .arg(film.posterPath(), htmlEscape(film.title));
    const QString duration = film.entities ? htmlEntities(nonBreaking(film.durationText())) : film.durationText();

    QString page;
    page += QStringLiteral("<title>%1 (%2) - %3</title>\n"
                           "<meta name=\"description\" content=\"%4\">\n")
                .arg(htmlEscape(film.title))
                .arg(film.year)
                .arg(htmlEscape(catalogue_.siteName), htmlEscape(film.synopsis.left(80)));
    HttpResponse r;
    r.parts << QByteArray(kHead) << utf8(page) << QByteArray(kScripts) << QByteArray(kBanner);

    QString body;
    body += QStringLiteral("<div id=\"fiche\" class=\"film-%1\">\n"
                           "<!-- fiche generee le 02/11/2026 -->\n"
                           "<h1 class=\"titre-film\">%2</h1>\n")
                .arg(film.id)
                .arg(html(film, film.title));
    body += poster + QLatin1Char('\n');
    body += QStringLiteral("<table class=\"infos-film\" border=0>\n"
                           "<tr><th>Ann&eacute;e</th><td class=annee>%1</td></tr>\n"
                           "<tr><th>R&eacute;alisation</th>\n    <td><a href=\"/personne?nom=%2\">%3</a></td></tr>\n"
                           "<tr><th>Avec</th><td class=\"acteurs\">%4\n    </td></tr>\n"
                           "<TR><TH>Genre</TH><TD>%5</TD></TR>\n"
                           "<tr><th>Pays</th><td>%6</td></tr>\n"
                           "<tr><th>Dur&eacute;e</th><td class=\"duree\">%7</td></tr>\n"
                           "<tr><th>Langue</th><td>%8</td></tr>\n"
                           "<tr><th>Sortie</th><td class=\"sortie\">%9</td></tr>\n")
                .arg(film.year)
                .arg(QString::fromLatin1(film.director.toUtf8().toPercentEncoding()), html(film, film.director),
                     wrapped(html(film, film.castText()), indent), html(film, film.genre), html(film, film.country), duration,
                     html(film, film.language), html(film, film.released));
    body += QStringLiteral("<tr><th>Distributeur</th><td>%1</td></tr>\n"
                           "<tr><th>Note des lecteurs</th><td class=\"note\"><img src=\"/img/etoiles-%2.gif\" alt=\"\"> <b>%3</b></td></tr>\n"
                           "</table>\n")
                .arg(html(film, film.distributor), film.rating.left(1), htmlEscape(film.ratingText()));
    body += QStringLiteral("<div class=\"resume\">\n<h3>R&eacute;sum&eacute;</h3>\n<p>\n%1\n</p>\n</div>\n")
                .arg(wrapped(html(film, film.synopsis), QString()));
    if (!others.isEmpty())
        body += QStringLiteral("<div class=\"autres\">\n<h4>Du m&ecirc;me r&eacute;alisateur</h4>\n<ul>\n%1</ul>\n</div>\n").arg(others);
    body += QLatin1String("</div>\n");
    r.parts << utf8(body) << QByteArray(kFooter);
    return r;
}

HttpResponse SiteContent::poster(const Film& film)
{
    HttpResponse r;
    r.contentType = "image/jpeg";
    r.extraHeaders.append(qMakePair(QByteArray("Cache-Control"), QByteArray("max-age=86400")));
    if (film.poster == PosterKind::Broken) {
        r.parts << brokenPosterBytes();
        return r;
    }
    auto it = posters_.find(film.id);
    if (it == posters_.end())
        it = posters_.insert(film.id, paintPoster(film));
    r.parts << *it;
    return r;
}

} // namespace trouvel::demo
