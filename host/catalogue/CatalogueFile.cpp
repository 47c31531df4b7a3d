#include "CatalogueFile.h"

#include "Csv.h"
#include "common/BoundedRead.h"
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
    content.clear();

    // Entries are packed as they are read, so the file is never also held as a list of
    // strings; the result replaces the catalogue only once the whole file has been read.
    Catalogue parsed;
    bool header = true;
    bool hasTag = false;
    qsizetype width = 0;
    const QString error = csv::parse(text, [&](QStringList& fields) -> QString {
        if (header) {
            header = false;
            if (!fields.isEmpty() && fields.last() == QStringView(kTagColumn)) {
                fields.removeLast();
                hasTag = true;
            }
            width = fields.size() + (hasTag ? 1 : 0);
            parsed.assign(std::move(fields), {});
            return {};
        }
        // Spreadsheets drop trailing empty cells, so short records are padded; a longer one
        // would lose cells on the next save and is refused.
        if (fields.size() > width)
            return QStringLiteral("entrée %1 : %2 cellules pour %3 colonnes").arg(parsed.entryCount() + 1).arg(fields.size()).arg(width);
        fields.resize(width);
        const QString tag = hasTag ? fields.takeLast() : QString();
        parsed.addEntry(fields, tag);
        return {};
    });
    if (!error.isEmpty())
        return error;
    catalogue = std::move(parsed);
    return {};
}

QString loadCatalogue(const QString& path, Catalogue& catalogue)
{
    const trouvel::FileRead file = trouvel::readRegularFile(path, kMaxCatalogueBytes);
    if (!file.bytes)
        return QStringLiteral("Impossible de lire « %1 » : %2").arg(path, file.problem);
    if (QString error = parseCatalogue(*file.bytes, catalogue); !error.isEmpty())
        return QStringLiteral("« %1 » n'est pas un catalogue valide (%2)").arg(path, error);
    return {};
}

bool formatCatalogue(const Catalogue& catalogue, const trouvel::PieceSink& sink)
{
    // Record by record, so that a large catalogue is never held a second time, whole, as text;
    // the cells go out as the UTF-8 they are held in.
    constexpr qsizetype kPiece = 64 * 1024;
    QByteArray piece;
    const auto handOver = [&] {
        if (piece.size() < kPiece)
            return true;
        const bool taken = sink(piece);
        piece.clear();
        return taken;
    };
    csv::appendRecord(piece, catalogue.columns() + QStringList{QString::fromUtf16(kTagColumn)});
    if (!handOver())
        return false;
    std::vector<QByteArrayView> fields(std::size_t(catalogue.columnCount()) + 1);
    for (int r = 0; r < catalogue.entryCount(); ++r) {
        for (int c = 0; c < catalogue.columnCount(); ++c)
            fields[std::size_t(c)] = catalogue.cellUtf8(r, c);
        fields.back() = catalogue.tagUtf8(r);
        csv::appendRecord(piece, fields);
        if (!handOver())
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
