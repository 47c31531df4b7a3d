#include "BatchReport.h"

#include "common/WholeFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace trouvel::cli {

namespace {

QString reason(const EntryResult& r)
{
    if (r.retryNote.isEmpty())
        return r.detail;
    return r.detail.isEmpty() ? r.retryNote : r.detail + QStringLiteral(" ; ") + r.retryNote;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray csv(const ResultLog& entries)
{
    QString out = QStringLiteral("n°,titre,résultat,candidats,étape,raison\r\n");
    for (const EntryResult& r : entries) {
        const QStringList fields{QString::number(r.row + 1), r.title, outcomeName(r.outcome), r.candidateTexts.join(QLatin1Char('\n')),
                                 reportStage(r), reason(r)};
        QStringList quoted;
        for (const QString& field : fields)
            quoted << csvField(field);
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

QByteArray json(const ResultLog& entries)
{
    QJsonArray rows;
    for (const EntryResult& r : entries) {
        QJsonObject row;
        row.insert(QStringLiteral("row"), r.row + 1);
        row.insert(QStringLiteral("title"), r.title);
        row.insert(QStringLiteral("outcome"), outcomeName(r.outcome));
        row.insert(QStringLiteral("candidates"), QJsonArray::fromStringList(r.candidateTexts));
        row.insert(QStringLiteral("stage"), reportStage(r));
        row.insert(QStringLiteral("reason"), reason(r));
        rows.append(row);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("entries"), rows}}).toJson(QJsonDocument::Indented);
}

} // namespace

std::optional<ReportFormat> reportFormatFor(const QString& path)
{
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return ReportFormat::Csv;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return ReportFormat::Json;
    return std::nullopt;
}

QString candidateText(const wizard::Candidate& candidate)
{
    QStringList parts;
    for (const QString& text : {candidate.desc1, candidate.desc2})
        if (!text.trimmed().isEmpty())
            parts << text;
    return parts.join(QStringLiteral(" | "));
}

QString outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Filled: return QStringLiteral("rempli");
    case Outcome::Ambiguous: return QStringLiteral("ambigu");
    case Outcome::NotFound: return QStringLiteral("introuvable");
    case Outcome::Failed: return QStringLiteral("échec");
    case Outcome::PictureNotStored: return QStringLiteral("image non enregistrée");
    case Outcome::OtherFilm: return QStringLiteral("autre film");
    }
    return {};
}

QString reportStage(const EntryResult& result)
{
    if (!result.stage.isEmpty())
        return result.stage;
    if (result.outcome == Outcome::PictureNotStored)
        return QStringLiteral("enregistrement");
    if (result.outcome == Outcome::Failed)
        return QStringLiteral("fiche");
    return {};
}

QByteArray formatReport(const ResultLog& entries, ReportFormat format)
{
    return format == ReportFormat::Csv ? csv(entries) : json(entries);
}

QString writeReport(const QString& path, const ResultLog& entries)
{
    const std::optional<ReportFormat> format = reportFormatFor(path);
    if (!format)
        return QStringLiteral("extension inconnue (.csv ou .json attendu)");
    return writeWholeFile(path, formatReport(entries, *format));
}

} // namespace trouvel::cli
