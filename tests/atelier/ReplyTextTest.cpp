// The status line after a fetch names what came, page by page, or why nothing did.
#include "ReplyText.h"

#include <gtest/gtest.h>

namespace trouvel::atelier {
namespace {

FetchedPage page(int http, qsizetype bytes, int redirects = 0, const QString& problem = {})
{
    FetchedPage p;
    p.http = http;
    p.stored = QByteArray(bytes, 'x');
    p.redirects = redirects;
    p.problem = problem;
    return p;
}

struct ReplyCase {
    const char* name;
    FetchReply reply;
    QString text;
};
void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ReplyRows : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyRows, SaysWhatCame)
{
    EXPECT_EQ(replyText(GetParam().reply), GetParam().text);
}

FetchReply searchOnly()
{
    FetchReply r;
    r.asked = QStringLiteral("Heat");
    r.searchPage = page(200, 9000);
    return r;
}

FetchReply searchAndFilm()
{
    FetchReply r = searchOnly();
    r.filmPage = page(200, 100, 1);
    r.filmLink = QStringLiteral("101");
    return r;
}

FetchReply filmFailed()
{
    FetchReply r;
    r.search = false;
    r.asked = QStringLiteral("102");
    r.filmPage = page(0, 0, 0, QStringLiteral("Le site ne répond pas"));
    return r;
}

FetchReply notStarted()
{
    FetchReply r;
    r.asked = QStringLiteral("Heat");
    r.error = QStringLiteral("Demo.tvs : Charset inconnu");
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReplyRows,
    ::testing::Values(
        ReplyCase{"search_page", searchOnly(), QString::fromUtf8("Recherche « Heat » : page lue (HTTP 200, 9 Ko)")},
        ReplyCase{"search_and_its_one_film", searchAndFilm(),
                  QString::fromUtf8("Recherche « Heat » : page lue (HTTP 200, 9 Ko) ; fiche « 101 » : page lue (HTTP 200, 1 Ko, 1 redirection(s))")},
        ReplyCase{"film_that_did_not_come", filmFailed(), QString::fromUtf8("Fiche « 102 » : Le site ne répond pas")},
        ReplyCase{"session_that_did_not_start", notStarted(), QString::fromUtf8("Recherche « Heat » : Demo.tvs : Charset inconnu")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::atelier
