#include "BatchJournal.h"

#include "common/WholeFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace trouvel::cli {

namespace {

constexpr int kFormat = 1;

struct OutcomeName {
    Outcome outcome;
    const char* name;
};
constexpr OutcomeName kOutcomeNames[] = {
    {Outcome::Filled, "filled"},
    {Outcome::Ambiguous, "ambiguous"},
    {Outcome::NotFound, "not-found"},
    {Outcome::Failed, "failed"},
    {Outcome::PictureNotStored, "picture-not-stored"},
    {Outcome::OtherFilm, "other-film"},
};

QString outcomeName(Outcome outcome)
{
    for (const OutcomeName& o : kOutcomeNames)
        if (o.outcome == outcome)
            return QString::fromLatin1(o.name);
    return {};
}

std::optional<Outcome> outcomeNamed(const QString& name)
{
    for (const OutcomeName& o : kOutcomeNames)
        if (name == QLatin1String(o.name))
            return o.outcome;
    return std::nullopt;
}

} // namespace

QString journalPath(const QString& cataloguePath) { return cataloguePath + QStringLiteral(".trouvel-journal"); }

QString fileDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

namespace {

// One JSON value as it stands inside a document, strings escaped.
QByteArray jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

bool formatJournal(const BatchJournal& journal, const trouvel::PieceSink& sink)
{
    // An entry per line, handed over as it is made: a long run's journal is never built whole.
    QByteArray head = "{\"trouvelBatchJournal\":" + QByteArray::number(kFormat) + ",\n\"catalogue\":"
                      + jsonText(journal.catalogue) + ",\n\"script\":" + jsonText(journal.script) + ",\n\"scriptSha256\":"
                      + jsonText(journal.scriptDigest) + ",\n\"nextRow\":" + QByteArray::number(journal.nextRow)
                      + ",\n\"entries\":[";
    if (!sink(head))
        return false;
    bool first = true;
    for (const EntryResult& r : journal.entries) {
        const QJsonObject entry{{QStringLiteral("row"), r.row},
                                {QStringLiteral("title"), r.title},
                                {QStringLiteral("outcome"), outcomeName(r.outcome)},
                                {QStringLiteral("candidates"), r.candidates},
                                {QStringLiteral("detail"), r.detail}};
        const QByteArray line = (first ? "\n" : ",\n") + QJsonDocument(entry).toJson(QJsonDocument::Compact);
        first = false;
        if (!sink(line))
            return false;
    }
    return sink("\n]}\n");
}

QByteArray formatJournal(const BatchJournal& journal)
{
    return trouvel::gatherPieces([&](const trouvel::PieceSink& sink) { return formatJournal(journal, sink); });
}

QString writeJournal(const QString& path, const BatchJournal& journal)
{
    return trouvel::writeWholeFileInPieces(path, [&](const trouvel::PieceSink& sink) { return formatJournal(journal, sink); });
}

std::optional<BatchJournal> parseJournal(const QByteArray& bytes, QString* error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject root = document.object();
    if (parseError.error != QJsonParseError::NoError || root.value(QStringLiteral("trouvelBatchJournal")).toInt() != kFormat) {
        *error = QStringLiteral("ce n'est pas un journal de reprise de trouvel batch");
        return std::nullopt;
    }
    BatchJournal journal;
    journal.catalogue = root.value(QStringLiteral("catalogue")).toString();
    journal.script = root.value(QStringLiteral("script")).toString();
    journal.scriptDigest = root.value(QStringLiteral("scriptSha256")).toString();
    journal.nextRow = root.value(QStringLiteral("nextRow")).toInt(-1);
    for (const QJsonValue& value : root.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject o = value.toObject();
        const std::optional<Outcome> outcome = outcomeNamed(o.value(QStringLiteral("outcome")).toString());
        if (!outcome) {
            *error = QStringLiteral("issue inconnue dans le journal");
            return std::nullopt;
        }
        journal.entries.push_back({o.value(QStringLiteral("row")).toInt(), o.value(QStringLiteral("title")).toString(), *outcome,
                                   o.value(QStringLiteral("candidates")).toInt(), o.value(QStringLiteral("detail")).toString()});
    }
    if (journal.catalogue.isEmpty() || journal.nextRow < 0) {
        *error = QStringLiteral("journal incomplet");
        return std::nullopt;
    }
    return journal;
}

QString journalMismatch(const BatchJournal& journal, const QString& cataloguePath, const QString& scriptPath,
                        const QString& scriptDigest, int entryCount)
{
    if (journal.catalogue != cataloguePath)
        return QStringLiteral("le journal concerne un autre catalogue (%1)").arg(journal.catalogue);
    if (journal.script != scriptPath)
        return QStringLiteral("le journal a été écrit avec un autre script (%1)").arg(journal.script);
    if (journal.scriptDigest != scriptDigest)
        return QStringLiteral("le script « %1 » a changé depuis l'interruption").arg(scriptPath);
    if (journal.nextRow > entryCount)
        return QStringLiteral("le catalogue a moins d'entrées que le journal n'en a traitées");
    return {};
}

} // namespace trouvel::cli
