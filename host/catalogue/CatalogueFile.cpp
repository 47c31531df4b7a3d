#include "CatalogueFile.h"

#include "Csv.h"
#include "common/WholeFile.h"
#include "text/TextCodec.h"

#include <QFile>

#include <utility>

namespace cadrelle {

QString parseCatalogue(const QByteArray& bytes, Catalogue& catalogue)
{
    QByteArray content = bytes;
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    const QString text = trouvel::text::decodeText(content);

    QList<QStringList> rows;
    if (QString error = csv::parse(text, rows); !error.isEmpty())
        return error;

    QStringList columns;
    bool hasTag = false;
    if (!rows.isEmpty()) {
        columns = rows.takeFirst();
        if (!columns.isEmpty() && columns.last() == QStringView(kTagColumn)) {
            columns.removeLast();
            hasTag = true;
        }
    }
    const qsizetype width = columns.size() + (hasTag ? 1 : 0);

    QList<Entry> entries;
    entries.reserve(rows.size());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList& fields = rows[r];
        // Spreadsheets drop trailing empty cells, so short records are padded; a longer one
        // would lose cells on the next save and is refused.
        if (fields.size() > width)
            return QStringLiteral("entrée %1 : %2 cellules pour %3 colonnes")
                .arg(r + 1)
                .arg(fields.size())
                .arg(width);
        fields.resize(width);
        Entry e;
        if (hasTag)
            e.tag = fields.takeLast();
        e.cells = std::move(fields);
        entries.append(std::move(e));
    }
    catalogue.assign(std::move(columns), std::move(entries));
    return {};
}

QString loadCatalogue(const QString& path, Catalogue& catalogue)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Impossible d'ouvrir « %1 » : %2").arg(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("Impossible de lire « %1 » : %2").arg(path, file.errorString());
    if (QString error = parseCatalogue(bytes, catalogue); !error.isEmpty())
        return QStringLiteral("« %1 » n'est pas un catalogue valide (%2)").arg(path, error);
    return {};
}

bool formatCatalogue(const Catalogue& catalogue, const trouvel::PieceSink& sink)
{
    // Record by record, so that a large catalogue is never held a second time, whole, as text.
    constexpr qsizetype kPiece = 64 * 1024;
    QString record;
    QByteArray piece;
    const auto add = [&](const QStringList& fields, const QString& last) {
        record.clear();
        QStringList withLast = fields;
        withLast.append(last);
        csv::appendRecord(record, withLast);
        piece.append(record.toUtf8());
        if (piece.size() < kPiece)
            return true;
        const bool taken = sink(piece);
        piece.clear();
        return taken;
    };
    if (!add(catalogue.columns(), QString::fromUtf16(kTagColumn)))
        return false;
    for (int r = 0; r < catalogue.entryCount(); ++r) {
        const Entry& e = catalogue.entry(r);
        if (!add(e.cells, e.tag))
            return false;
    }
    return piece.isEmpty() || sink(piece);
}

QByteArray formatCatalogue(const Catalogue& catalogue)
{
    return trouvel::gatherPieces([&](const trouvel::PieceSink& sink) { return formatCatalogue(catalogue, sink); });
}

QString saveCatalogue(const QString& path, const Catalogue& catalogue)
{
    if (const QString reason = trouvel::writeWholeFileInPieces(
            path, [&](const trouvel::PieceSink& sink) { return formatCatalogue(catalogue, sink); });
        !reason.isEmpty())
        return QStringLiteral("Impossible d'enregistrer « %1 » : %2").arg(path, reason);
    return {};
}

bool isTagInFolder(const QString& tag)
{
    return !tag.isEmpty() && tag != QStringLiteral(".") && tag != QStringLiteral("..") && !tag.contains(u'/')
           && !tag.contains(u'\\') && !tag.contains(QChar(u'\0'));
}

} // namespace cadrelle
