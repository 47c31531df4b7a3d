// Trouvel.ini, the column mapping kept in the host's working folder: one section per script
// name, "Col<c>" = the field number written into host column c (1-based; 0 or missing: not
// written), and "Caption<c>" = that column's caption when it was mapped (see MappingCaptions).
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::config {

class MappingFile {
public:
    // The mapping file of a host working folder: "<folder>/Trouvel.ini".
    static MappingFile inFolder(const QString& folder);
    explicit MappingFile(QString path);
    const QString& path() const { return path_; }

    static QString columnKey(int column); // "Col<column>"
    // Col<column> of section as stored.
    QString columnText(const QString& section, int column, const QString& absent = {}) const;
    // The field number mapped to column; 0 when none (missing, not a 16-bit number).
    int mappedField(const QString& section, int column) const;
    // "" when stored, else why not (French).
    QString writeColumn(const QString& section, int column, const QString& value) const;

private:
    QString path_;
};

} // namespace trouvel::config
