// The host's list of entries with plain 0-based rows and columns. The host contract numbers
// entries from 1 through 16-bit references and keeps the title apart from the other columns;
// this is the one place that knows it. Errors of the host's members pass through unchanged
// (a list beyond 16 bits throws trouvel::Error).
#pragma once

#include <trouvel/Trouvel.h>

#include <QString>
#include <QStringList>

#include <string>

namespace trouvel::wizard {

class HostEntries {
public:
    explicit HostEntries(HostApplication& host)
        : host_(host)
    {
    }

    int count() const;
    // Whether the host gives entry `row` at all (a row beyond its list, or a failing member: no).
    bool reachable(int row) const;
    bool isSelected(int row) const;
    void setSelected(int row, bool selected);
    // Column 0 is the entry's title (its Text), column c > 0 its SubItems(c).
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& value);
    std::string tag(int row) const; // the picture's file name, "" for none
    void setTag(int row, const std::string& tag);

    int columnCount() const;
    QStringList captions() const; // column 0 first
    QString workFolder() const;   // where Trouvel.ini and the pictures are
    void markChanged();           // the host's list must be saved

private:
    ListItem& item(int row) const;

    HostApplication& host_;
};

// A count or an index as the host contract takes it; throws trouvel::Error beyond 16 bits.
std::int16_t checkedInt16(std::int32_t value);

} // namespace trouvel::wizard
