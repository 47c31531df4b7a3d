// An entry's outcome as its step results decide it, in the one place that derives it: what an
// unattended walk reports and counts for each entry.
#include "wizard/EntryOutcome.h"
#include "wizard/NetworkSettings.h"

#include <gtest/gtest.h>

#include <functional>

namespace trouvel::wizard {
namespace {

PageResult page(int status, std::int16_t code = 0)
{
    PageResult p;
    p.code = code;
    p.report.status = status;
    p.report.reason = status == 200 ? QStringLiteral("OK") : QStringLiteral("Not Found");
    return p;
}

SearchResult searched(int candidates, int status = 200)
{
    SearchResult s;
    s.end = StepEnd::Done;
    s.page = page(status);
    s.candidates.resize(std::size_t(candidates));
    return s;
}

DetailResult detailed(std::optional<PictureResult> picture, int status = 200, StepEnd end = StepEnd::Done)
{
    DetailResult d;
    d.end = end;
    d.page = page(status);
    d.fieldsComplete = end == StepEnd::Done;
    d.picture = std::move(picture);
    return d;
}

PictureResult picture(bool fetched, const char* failure = "", bool shown = true)
{
    PictureResult p;
    p.address = fetched ? QStringLiteral("/a/1.jpg") : QString();
    p.fetched = fetched;
    p.fetchFailure = QString::fromUtf8(failure);
    p.shown = fetched && p.fetchFailure.isEmpty() && shown;
    return p;
}

SaveResult saved(SaveResult::Picture picture = SaveResult::Picture::Stored, bool columnRefused = false)
{
    SaveResult s;
    s.end = StepEnd::Done;
    s.entry = 4;
    s.picture = picture;
    s.pictureFailure = picture == SaveResult::Picture::Failed ? QStringLiteral("Plus de place sur le disque") : QString();
    if (columnRefused)
        s.notWritten.push_back({3, QStringLiteral("Genre"), QStringLiteral("refusé")});
    return s;
}

struct OutcomeCase {
    const char* name;
    std::function<EntrySteps()> steps;
    std::optional<SaveResult> save;
    EntryOutcome::Kind kind;
    const char* stage;
    const char* reason;
};

class Outcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(Outcome, FollowsTheStepResults)
{
    const OutcomeCase& c = GetParam();
    const EntryOutcome outcome = outcomeOf(c.steps(), c.save ? &*c.save : nullptr);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.stage, QString::fromUtf8(c.stage));
    EXPECT_EQ(outcome.reason, QString::fromUtf8(c.reason));
}

using K = EntryOutcome::Kind;
INSTANTIATE_TEST_SUITE_P(
    Steps, Outcome,
    ::testing::Values(
        OutcomeCase{"NothingYet", [] { return EntrySteps{}; }, {}, K::Failed, "recherche", "aucune recherche"},
        OutcomeCase{"NotFound", [] { return EntrySteps{searched(0), {}}; }, {}, K::NotFound, "", ""},
        OutcomeCase{"Ambiguous", [] { return EntrySteps{searched(3), {}}; }, {}, K::Ambiguous, "", ""},
        OutcomeCase{"OneNotRead", [] { return EntrySteps{searched(1), {}}; }, {}, K::Failed, "fiche", "fiche non lue"},
        OutcomeCase{"SearchErrorPageStaysTheOutcome", [] { return EntrySteps{searched(1, 404), detailed(picture(false))}; }, {},
                    K::Failed, "recherche", "recherche : HTTP 404 Not Found"},
        OutcomeCase{"DetailErrorPage", [] { return EntrySteps{searched(1), detailed(picture(false), 404)}; }, {}, K::Failed,
                    "fiche", "fiche : HTTP 404 Not Found"},
        OutcomeCase{"DetailStopped", [] { return EntrySteps{searched(1), detailed({}, 200, StepEnd::Stopped)}; }, {}, K::Failed,
                    "fiche", "fiche incomplète"},
        OutcomeCase{"FilledWithoutPicture", [] { return EntrySteps{searched(1), detailed(picture(false))}; }, {}, K::Filled, "",
                    "sans image"},
        OutcomeCase{"PictureNotDownloaded", [] { return EntrySteps{searched(1), detailed(picture(true, "HTTP 404"))}; }, {},
                    K::Filled, "image", "image non téléchargée : HTTP 404"},
        OutcomeCase{"PictureUnreadable", [] { return EntrySteps{searched(1), detailed(picture(true, "", false))}; }, {}, K::Filled,
                    "image", "image illisible"},
        OutcomeCase{"SavedWhole", [] { return EntrySteps{searched(1), detailed(picture(true))}; }, saved(), K::Filled, "", ""},
        OutcomeCase{"PictureNotStored", [] { return EntrySteps{searched(1), detailed(picture(true))}; },
                    saved(SaveResult::Picture::Failed), K::PictureNotStored, "enregistrement", "Plus de place sur le disque"},
        OutcomeCase{"ColumnNotWritten", [] { return EntrySteps{searched(1), detailed(picture(true))}; },
                    saved(SaveResult::Picture::Stored, true), K::Failed, "enregistrement", "non enregistré : colonne 3 : refusé"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TimeLimitCase {
    const char* name;
    const char* text;
    int milliseconds; // 0: refused
};

class TimeLimit : public ::testing::TestWithParam<TimeLimitCase> {};

// One reading for --timeout and the window's setting.
TEST_P(TimeLimit, IsReadInSecondsWithEitherDecimalMark)
{
    const std::optional<int> limit = timeLimitFromSeconds(QString::fromLatin1(GetParam().text));
    EXPECT_EQ(limit.value_or(0), GetParam().milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Texts, TimeLimit,
                         ::testing::Values(TimeLimitCase{"Whole", "30", 30000}, TimeLimitCase{"Point", "1.5", 1500},
                                           TimeLimitCase{"Comma", " 1,5 ", 1500}, TimeLimitCase{"Smallest", "0.001", 1},
                                           TimeLimitCase{"Largest", "3600", 3600000}, TimeLimitCase{"TooSmall", "0.0004", 0},
                                           TimeLimitCase{"TooLarge", "3601", 0}, TimeLimitCase{"NotANumber", "vite", 0},
                                           TimeLimitCase{"Empty", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::wizard
