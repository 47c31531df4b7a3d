#include "wizard/HostEntries.h"

#include <limits>

namespace trouvel::wizard {

std::int16_t checkedInt16(std::int32_t value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw Error("Dépassement de capacité");
    return static_cast<std::int16_t>(value);
}

ListItem& HostEntries::item(int row) const
{
    std::int16_t index = checkedInt16(row + 1);
    return host_.MyLV().ListItems().Item(index);
}

int HostEntries::count() const
{
    return checkedInt16(host_.MyLV().ListItems().Count());
}

bool HostEntries::reachable(int row) const
{
    try {
        item(row);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool HostEntries::isSelected(int row) const
{
    return item(row).Selected();
}

void HostEntries::setSelected(int row, bool selected)
{
    item(row).Selected(selected);
}

QString HostEntries::cell(int row, int column) const
{
    ListItem& entry = item(row);
    return QString::fromStdString(column == 0 ? entry.Text() : entry.SubItems(checkedInt16(column)));
}

void HostEntries::setCell(int row, int column, const QString& value)
{
    ListItem& entry = item(row);
    if (column == 0)
        entry.Text(value.toStdString());
    else
        entry.SubItems(checkedInt16(column), value.toStdString());
}

std::string HostEntries::tag(int row) const
{
    return item(row).Tag();
}

void HostEntries::setTag(int row, const std::string& tag)
{
    item(row).Tag(tag);
}

int HostEntries::columnCount() const
{
    return checkedInt16(host_.ColCount());
}

QStringList HostEntries::captions() const
{
    QStringList captions;
    const int count = columnCount();
    for (int c = 1; c <= count; ++c)
        captions.append(QString::fromStdString(host_.MyLV().ColumnHeaders(std::int16_t(c))));
    return captions;
}

QString HostEntries::workFolder() const
{
    return QString::fromStdString(host_.tmpfolder());
}

void HostEntries::markChanged()
{
    host_.ilfautsauver(true);
}

} // namespace trouvel::wizard
