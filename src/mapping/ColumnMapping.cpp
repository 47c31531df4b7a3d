#include "mapping/ColumnMapping.h"

#include "config/Convert.h"
#include "config/IniFile.h"
#include "config/MappingCaptions.h"
#include "config/MappingFile.h"
#include "config/ScriptFile.h"

namespace trouvel::mapping {

QString noChangeAnswer()
{
    return QStringLiteral("(#-_-#)");
}

QString leaveAsIsEntry()
{
    return QStringLiteral("(laisser tel quel)");
}

QString settingsFile(const HostApplication& host)
{
    return config::MappingFile::inFolder(QString::fromStdString(host.tmpfolder())).path();
}

QString mappedFieldLabel(const QString& scriptPath, const QString& nb)
{
    return config::splitFieldSpec(config::ScriptFile(scriptPath).fieldText(nb)).name;
}

QStringList hostCaptions(HostApplication& host)
{
    const std::int16_t colCount = config::toInt16(QString::number(host.ColCount()));
    QStringList captions;
    for (int i = 1; i <= colCount; ++i)
        captions.append(QString::fromStdString(host.MyLV().ColumnHeaders(static_cast<std::int16_t>(i))));
    return captions;
}

std::vector<MappingRow> mappingRows(const config::ColumnChanges& changes, const QStringList& captions, const QString& scriptPath)
{
    std::vector<MappingRow> rows;
    rows.reserve(std::size_t(captions.size()));
    for (qsizetype i = 0; i < captions.size(); ++i) {
        MappingRow row;
        row.columnName = captions.at(i);
        row.nb = changes.columns.at(std::size_t(i)).value;
        row.contenu = mappedFieldLabel(scriptPath, row.nb);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<MappingRow> loadMappingRows(HostApplication& host, const QString& iniFile, const QString& section,
                                        const QString& scriptPath)
{
    const QStringList captions = hostCaptions(host);
    return mappingRows(config::compareColumns(iniFile, section, captions), captions, scriptPath);
}

ChangeMarks changeMarks(const config::ColumnChanges& changes, const QString& scriptPath)
{
    using Kind = config::ColumnChange::Kind;
    ChangeMarks marks;
    for (const config::ColumnChange& column : changes.columns) {
        QString mark;
        if (changes.captionsStored) {
            switch (column.kind) {
            case Kind::Same:
                break;
            case Kind::Moved:
                mark = QStringLiteral("Colonne déplacée (elle était la n° %1) : son champ la suit").arg(column.storedColumn);
                break;
            case Kind::Renamed:
                mark = QStringLiteral("Colonne renommée (elle s'appelait « %1 ») : vérifiez son contenu").arg(column.storedCaption);
                break;
            case Kind::New:
                mark = QStringLiteral("Nouvelle colonne : elle ne reçoit rien");
                break;
            }
        }
        marks.rows << mark;
    }
    QStringList lost;
    for (const config::DeletedColumn& column : changes.deleted)
        if (column.mapped)
            lost << QStringLiteral("« %1 » (champ « %2 »)").arg(column.caption, mappedFieldLabel(scriptPath, column.value));
    if (!lost.isEmpty())
        marks.deleted = (lost.size() == 1 ? QStringLiteral("Colonne supprimée : %1, qui n'est plus enregistré.")
                                          : QStringLiteral("Colonnes supprimées : %1, qui ne sont plus enregistrés."))
                            .arg(lost.join(QStringLiteral(", ")));
    return marks;
}

QString writeMappingRows(const QString& iniFile, const QString& section, const std::vector<MappingRow>& rows)
{
    // Every column's value, then the captions the columns have now (so that a later change in
    // the host is noticed), in one write: a mapping is never left half old, half new.
    std::vector<std::pair<QString, QString>> values;
    for (std::size_t i = 0; i < rows.size(); ++i)
        values.emplace_back(config::MappingFile::columnKey(static_cast<int>(i) + 1), rows[i].nb);
    for (std::size_t i = 0; i < rows.size(); ++i)
        values.emplace_back(config::captionKey(static_cast<int>(i) + 1), rows[i].columnName);
    return config::writeIniValues(iniFile, section, values);
}

QStringList chooserEntries(const QString& scriptPath)
{
    QStringList entries{leaveAsIsEntry()};
    const config::ScriptFile script(scriptPath);
    const int fieldCount = script.fieldCount();
    for (int n = 1; n <= fieldCount; ++n)
        entries.append(config::splitFieldSpec(script.fieldText(n, QStringLiteral(" |0"))).name);
    return entries;
}

QString chooserAnswer(int position, const QString& text)
{
    return QString::number(position) + u'|' + text;
}

std::optional<MappingChoice> parseChooserAnswer(const QString& tag)
{
    if (tag == noChangeAnswer() || !tag.contains(u'|'))
        return std::nullopt;
    const QStringList parts = tag.split(u'|');
    return MappingChoice{parts.at(0), parts.at(1)};
}

} // namespace trouvel::mapping
