// Posters of the demo films, painted from their data (no outside pictures).
#pragma once

#include "Film.h"

#include <QByteArray>

namespace trouvel::demo {

// A 300 x 450 JPEG showing the title, year and director over a pattern that depends on the
// film. Needs a QGuiApplication (fonts).
QByteArray paintPoster(const Film& film);

// What the poster address of a film with a broken poster answers: an HTML error text
// served as image/jpeg, as a misconfigured server does.
QByteArray brokenPosterBytes();

} // namespace trouvel::demo
