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

std::vector<MappingRow> loadMappingRows(HostApplication& host, const QString& iniFile, const QString& section,
                                        const QString& scriptPath)
{
    const std::int16_t colCount = config::toInt16(QString::number(host.ColCount()));
    std::vector<MappingRow> rows;
    rows.reserve(colCount > 0 ? colCount : 0);
    for (int i = 1; i <= colCount; ++i) {
        MappingRow row;
        row.columnName = QString::fromStdString(host.MyLV().ColumnHeaders(static_cast<std::int16_t>(i)));
        row.nb = config::MappingFile(iniFile).columnText(section, i);
        row.contenu = mappedFieldLabel(scriptPath, row.nb);
        rows.push_back(std::move(row));
    }
    return rows;
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
