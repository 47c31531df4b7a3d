// The films of the demo site, read from a JSON data file.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::demo {

enum class PosterKind {
    Picture, // a JPEG painted from the film's data
    None,    // the film has no poster at all
    Broken,  // the poster address answers with something that is not a picture
};

struct Film {
    int id = 0;
    QString title;
    int year = 0;
    QString director;
    QStringList cast;
    QString genre;
    QString country;
    int minutes = 0;
    QString language;
    QString released;
    QString distributor;
    QString rating; // "3,5", out of 5
    QString synopsis;
    PosterKind poster = PosterKind::Picture;
    // The pages write this film's accented letters as HTML entities.
    bool entities = false;

    // The texts the detail page shows, as a reader sees them once the markup is gone.
    QString castText() const;     // "A, B, C"
    QString durationText() const; // "1 h 44 min"
    QString ratingText() const;   // "3,5/5"
    QString posterPath() const;   // "/affiches/101.jpg"
    QString pagePath() const;     // "/film/101"
};

struct FilmCatalogue {
    QString siteName;
    std::vector<Film> films;

    const Film* find(int id) const;
};

// Throws std::runtime_error with a readable message when the file is missing or malformed.
FilmCatalogue loadFilmCatalogue(const QString& path);
// The data bundled into the program.
FilmCatalogue bundledFilmCatalogue();

} // namespace trouvel::demo
