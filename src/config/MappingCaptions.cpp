#include "config/MappingCaptions.h"

#include "config/Convert.h"
#include "config/IniFile.h"
#include "config/MappingFile.h"

namespace trouvel::config {

QString captionKey(int column)
{
    return QStringLiteral("Caption%1").arg(column);
}

QString writeMappingCaptions(const QString& iniFile, const QString& section, const QStringList& captions)
{
    for (int c = 1; c <= captions.size(); ++c) {
        if (QString reason = writeIniValue(iniFile, section, captionKey(c), captions.at(c - 1)); !reason.isEmpty())
            return reason;
    }
    return {};
}

QString mappingCaptionsMismatch(const QString& iniFile, const QString& section, const QStringList& captions)
{
    // A missing key reads as this marker, which no caption can hold (no line breaks in INI).
    const QString absent = QStringLiteral("\n");
    bool anyStored = false;
    QString firstChange;
    // One past the host's last column too: a column removed at the end shows there.
    for (int c = 1; c <= captions.size() + 1; ++c) {
        const QString stored = ReadIniString(iniFile, section, captionKey(c), absent);
        if (stored == absent)
            continue;
        anyStored = true;
        const bool mapped = MappingFile(iniFile).mappedField(section, c) > 0;
        const QString now = c <= captions.size() ? captions.at(c - 1) : QString();
        if (mapped && now != stored && firstChange.isEmpty()) {
            firstChange = c <= captions.size()
                              ? QStringLiteral("la colonne %1 s'appelait « %2 », elle s'appelle maintenant « %3 »").arg(c).arg(stored, now)
                              : QStringLiteral("la colonne %1 (« %2 ») n'existe plus").arg(c).arg(stored);
        }
    }
    if (!anyStored || firstChange.isEmpty())
        return {};
    return QStringLiteral("Les colonnes du catalogue ont changé depuis que la correspondance du script « %1 » a été faite "
                          "(%2). Vérifiez la correspondance des colonnes : rien n'a été enregistré.")
        .arg(section, firstChange);
}

} // namespace trouvel::config
