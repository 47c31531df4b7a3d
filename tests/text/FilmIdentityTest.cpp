#include "text/FilmIdentity.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

namespace {

struct TitleCase {
    const char* name;
    const char* entry;
    const char* shown;
    TitleSource source;
    bool same;
};

class NamesTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(NamesTitle, AsAReaderComparesThem)
{
    const TitleCase& c = GetParam();
    EXPECT_EQ(namesTitle(QString::fromUtf8(c.entry), QString::fromUtf8(c.shown), c.source), c.same)
        << comparableTitle(QString::fromUtf8(c.entry)).toStdString() << " / " << comparableTitle(QString::fromUtf8(c.shown)).toStdString();
}

constexpr auto C = TitleSource::Candidate;
constexpr auto P = TitleSource::PageTitle;

INSTANTIATE_TEST_SUITE_P(
    Pairs, NamesTitle,
    ::testing::Values(TitleCase{"Same", "Le Dernier Été", "Le Dernier Été", C, true},
                      TitleCase{"CaseAndAccents", "le dernier ete", "LE DERNIER ÉTÉ", C, true},
                      TitleCase{"Apostrophes", "L'Été meurtrier", "L’été meurtrier", C, true},
                      TitleCase{"Ligature", "Cœur fidèle", "Coeur fidele", C, true},
                      TitleCase{"Punctuation", "Tom & Lola", "Tom  Lola", C, true},
                      TitleCase{"ColonAndBlanks", "Mission : Impossible", "Mission: Impossible", C, true},
                      TitleCase{"YearInBrackets", "Heat", "Heat (1995)", C, true},
                      TitleCase{"YearAfterDash", "Heat", "Heat - 1995", C, true},
                      TitleCase{"YearAfterComma", "La Haine, 1995", "La Haine", C, true},
                      TitleCase{"LongerTitle", "Le Bureau des légendes", "Le Bureau des légendes du cinéma", C, false},
                      TitleCase{"TitleStartsTheOther", "Cœur", "Cœur de pierre", C, false},
                      TitleCase{"Sequel", "Alien", "Aliens", C, false},
                      TitleCase{"BareNumberIsTitle", "Blade Runner", "Blade Runner 2049", C, false},
                      TitleCase{"NumberedSequel", "Rocky", "Rocky II", C, false},
                      TitleCase{"EmptyCandidate", "Heat", "", C, false},
                      TitleCase{"EmptyEntry", "", "", C, false},
                      TitleCase{"SiteNameNotForACandidate", "Heat", "Heat - CinéSite", C, false},
                      TitleCase{"PageTitleWithSite", "Heat", "Heat (1995) - CinéSite", P, true},
                      TitleCase{"PageTitleTwoParts", "Mission : Impossible - Fallout", "Mission: Impossible - Fallout | Films", P, true},
                      TitleCase{"PageTitleOtherFilm", "Cœur", "Cœur de pierre - CinéSite", P, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(YearIn, FirstYearStandingAlone)
{
    struct Row {
        const char* name;
        const char* text;
        std::optional<int> year;
    };
    for (const Row& row : {Row{"plain", "1995", 1995}, Row{"in_a_date", "sorti le 3 mai 1995", 1995},
                           Row{"first_of_two", "1995 (ressorti en 2003)", 1995}, Row{"digits_around", "n°119950", std::nullopt},
                           Row{"too_old", "1850", std::nullopt}, Row{"none", "inconnue", std::nullopt}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(yearIn(QString::fromUtf8(row.text)), row.year);
    }
}

} // namespace
