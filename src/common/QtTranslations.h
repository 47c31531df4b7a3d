// Qt's own texts in French: socket and TLS errors, standard buttons (Oui / Non / Annuler),
// file dialogs. Loaded from Qt's translations folder (Debian qt6-translations-l10n).
#pragma once

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace trouvel {

// Installs qtbase_fr once for the process, unless a French Qt translation is already in
// place (a host that loaded its own). false when the file could not be loaded.
inline bool installQtFrenchTranslations()
{
    if (!QCoreApplication::instance())
        return false;
    // "&Yes" is translated by a host that installed qtbase for French already.
    if (QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes"))
        return true;
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

} // namespace trouvel
