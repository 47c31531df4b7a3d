// Whether a text a site shows names the film a catalogue entry means: titles compared as a
// reader compares them, and the year a text gives.
#pragma once

#include <QString>

#include <optional>

namespace trouvel::text {

// The title as it is compared: case, accents, ligatures (œ, æ, ß), punctuation and blanks
// do not count, nor a trailing year in brackets or after a dash or comma ("Titre (1995)",
// "Titre - 1995"). A bare trailing number stays: it is part of "Blade Runner 2049".
QString comparableTitle(const QString& title);

enum class TitleSource {
    Candidate, // a candidate's short text: the title, maybe with its year
    PageTitle, // a page's own title ("Titre - Film 1995 - Site"): one of its leading parts will do
};

// Whether text names the entry's title.
bool namesTitle(const QString& entryTitle, const QString& text, TitleSource source = TitleSource::Candidate);

// The first year (1870 to 2100) standing alone in the text: "1995", "sorti le 3 mai 1995".
std::optional<int> yearIn(const QString& text);

} // namespace trouvel::text
