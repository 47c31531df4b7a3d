// What the demo site answers: the home page, the search page (GET query or POST form),
// one detail page per film and the posters.
#pragma once

#include "Film.h"
#include "HttpMessage.h"

#include <QHash>
#include <QString>

#include <vector>

namespace trouvel::demo {

class SiteContent {
public:
    explicit SiteContent(FilmCatalogue catalogue);

    const FilmCatalogue& catalogue() const { return catalogue_; }

    // The films a search for text lists, in the site's order: those whose title is the text
    // (ignoring accents, letter case and punctuation) when there are any, otherwise those
    // whose title contains it. Nothing for an empty text.
    std::vector<const Film*> search(const QString& text) const;

    HttpResponse respond(const HttpRequest& request);

    // Makes every request for path answer with status (429, 503, ...) from now on; 0 undoes it.
    void forceStatus(const QByteArray& path, int status);
    // The Retry-After value sent with a forced 429 or 503 ("30" unless told).
    void setRetryAfter(const QByteArray& value) { retryAfter_ = value; }

private:
    HttpResponse homePage() const;
    HttpResponse searchPage(const QString& text) const;
    HttpResponse filmPage(const Film& film) const;
    HttpResponse poster(const Film& film);
    HttpResponse errorPage(int status, const QString& message) const;

    FilmCatalogue catalogue_;
    QHash<int, QByteArray> posters_;
    QHash<QByteArray, int> forced_;
    QByteArray retryAfter_ = "30";
};

} // namespace trouvel::demo
