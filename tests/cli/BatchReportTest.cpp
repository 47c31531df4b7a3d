// The batch report's CSV fields.
#include "BatchReport.h"

#include <gtest/gtest.h>

using namespace trouvel::cli;

namespace {

TEST(BatchReport, CsvQuotesWhatNeedsItAndFormatsByExtension)
{
    EntryResult ambiguous(0, QStringLiteral("Heat, le \"vrai\""), Outcome::Ambiguous, 2, {});
    ambiguous.candidateTexts = {QStringLiteral("Heat | 1995"), QStringLiteral("Heat | 1986")};
    EntryResult failed(1, QStringLiteral("Nord"), Outcome::Failed, 0, QStringLiteral("recherche : HTTP 503"));
    failed.stage = QStringLiteral("recherche");
    failed.retryNote = QStringLiteral("attente trop longue");
    const EntryResult unsaved(2, QStringLiteral("Sud"), Outcome::PictureNotStored, 1, QStringLiteral("disque plein"));
    EntryResult other(3, QStringLiteral("Cœur"), Outcome::OtherFilm, 1, QString::fromUtf8("titre différent : « Cœur de pierre »"));
    other.candidateTexts = {QString::fromUtf8("Cœur de pierre")};
    EXPECT_EQ(QString::fromUtf8(formatReport({ambiguous, failed, unsaved, other}, ReportFormat::Csv)),
              QString::fromUtf8("n°,titre,résultat,candidats,étape,raison\r\n"
                                "1,\"Heat, le \"\"vrai\"\"\",ambigu,\"Heat | 1995\nHeat | 1986\",,\r\n"
                                "2,Nord,échec,,recherche,recherche : HTTP 503 ; attente trop longue\r\n"
                                "3,Sud,image non enregistrée,,enregistrement,disque plein\r\n"
                                "4,Cœur,autre film,Cœur de pierre,,titre différent : « Cœur de pierre »\r\n"));
    EXPECT_EQ(reportFormatFor(QStringLiteral("a/r.JSON")), ReportFormat::Json);
    EXPECT_EQ(reportFormatFor(QStringLiteral("r.csv")), ReportFormat::Csv);
    EXPECT_EQ(reportFormatFor(QStringLiteral("r.csv.txt")), std::nullopt);
}

} // namespace
