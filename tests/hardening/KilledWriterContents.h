// The two versions that hardening_writer alternates between, shared with the test that
// checks what a killed writer left behind. Large enough that a write spans many blocks.
#pragma once

#include "catalogue/Catalogue.h"

#include <QString>

namespace trouvel::hardening {

inline QString iniValue(int version)
{
    return QString(200 * 1000, version == 0 ? u'a' : u'b');
}

inline cadrelle::Catalogue catalogueVersion(int version)
{
    cadrelle::Catalogue catalogue;
    catalogue.addColumn(QStringLiteral("Titre"));
    catalogue.addColumn(QStringLiteral("Résumé"));
    const QString text(100, version == 0 ? u'x' : u'y');
    for (int i = 0; i < 3000; ++i)
        catalogue.addEntry({QStringLiteral("Film %1").arg(i), text}, QStringLiteral("Film %1.jpg").arg(i));
    return catalogue;
}

} // namespace trouvel::hardening
