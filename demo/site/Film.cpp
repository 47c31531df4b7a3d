#include "Film.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace trouvel::demo {

QString Film::castText() const { return cast.join(QStringLiteral(", ")); }

QString Film::durationText() const
{
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString Film::ratingText() const { return rating + QStringLiteral("/5"); }

QString Film::posterPath() const { return QStringLiteral("/affiches/%1.jpg").arg(id); }

QString Film::pagePath() const { return QStringLiteral("/film/%1").arg(id); }

const Film* FilmCatalogue::find(int id) const
{
    for (const Film& film : films)
        if (film.id == id)
            return &film;
    return nullptr;
}

namespace {

[[noreturn]] void fail(const QString& path, const QString& what)
{
    throw std::runtime_error(QStringLiteral("%1: %2").arg(path, what).toStdString());
}

QString requiredText(const QJsonObject& o, const char* key, const QString& path)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString() || v.toString().trimmed().isEmpty())
        fail(path, QStringLiteral("film %1: \"%2\" missing or empty").arg(o.value(QLatin1String("id")).toInt()).arg(QLatin1String(key)));
    return v.toString();
}

PosterKind posterKind(const QString& text, const QString& path)
{
    if (text == QLatin1String("oui"))
        return PosterKind::Picture;
    if (text == QLatin1String("aucune"))
        return PosterKind::None;
    if (text == QLatin1String("cassee"))
        return PosterKind::Broken;
    fail(path, QStringLiteral("unknown poster kind \"%1\"").arg(text));
}

} // namespace

FilmCatalogue loadFilmCatalogue(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, file.errorString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull())
        fail(path, error.errorString());
    const QJsonObject root = doc.object();

    FilmCatalogue catalogue;
    catalogue.siteName = root.value(QLatin1String("site")).toString(QStringLiteral("CinéGrenier"));
    for (const QJsonValue& value : root.value(QLatin1String("films")).toArray()) {
        const QJsonObject o = value.toObject();
        Film film;
        film.id = o.value(QLatin1String("id")).toInt(-1);
        if (film.id <= 0 || catalogue.find(film.id))
            fail(path, QStringLiteral("film id %1 missing or repeated").arg(film.id));
        film.title = requiredText(o, "titre", path);
        film.year = o.value(QLatin1String("annee")).toInt();
        film.director = requiredText(o, "realisateur", path);
        for (const QJsonValue& actor : o.value(QLatin1String("acteurs")).toArray())
            film.cast << actor.toString();
        film.genre = requiredText(o, "genre", path);
        film.country = requiredText(o, "pays", path);
        film.minutes = o.value(QLatin1String("duree")).toInt();
        film.language = requiredText(o, "langue", path);
        film.released = requiredText(o, "sortie", path);
        film.distributor = requiredText(o, "distributeur", path);
        film.rating = requiredText(o, "note", path);
        film.synopsis = requiredText(o, "resume", path);
        film.poster = posterKind(o.value(QLatin1String("affiche")).toString(QStringLiteral("oui")), path);
        film.entities = o.value(QLatin1String("entites")).toBool();
        if (film.year <= 0 || film.minutes <= 0 || film.cast.isEmpty())
            fail(path, QStringLiteral("film %1: year, running time or cast missing").arg(film.id));
        catalogue.films.push_back(std::move(film));
    }
    if (catalogue.films.empty())
        fail(path, QStringLiteral("no films"));
    return catalogue;
}

FilmCatalogue bundledFilmCatalogue()
{
    return loadFilmCatalogue(QStringLiteral(":/trouvel-demo/films.json"));
}

} // namespace trouvel::demo
