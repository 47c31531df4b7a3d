#include "config/MappingFile.h"

#include "config/Convert.h"
#include "config/IniFile.h"

namespace trouvel::config {

MappingFile MappingFile::inFolder(const QString& folder)
{
    return MappingFile(folder + QStringLiteral("/Trouvel.ini"));
}

MappingFile::MappingFile(QString path)
    : path_(std::move(path))
{
}

QString MappingFile::columnKey(int column)
{
    return QStringLiteral("Col%1").arg(column);
}

QString MappingFile::columnText(const QString& section, int column, const QString& absent) const
{
    return ReadIniString(path_, section, columnKey(column), absent);
}

int MappingFile::mappedField(const QString& section, int column) const
{
    return tryToInt16(columnText(section, column, QStringLiteral("0"))).value_or(0);
}

QString MappingFile::writeColumn(const QString& section, int column, const QString& value) const
{
    return writeIniValue(path_, section, columnKey(column), value);
}

} // namespace trouvel::config
