// The column-mapping dialog ("Exportation des informations"): which script field fills
// each host column, stored in Trouvel.ini in the host's working folder.
#pragma once

#include "common/UserInteraction.h"

#include <trouvel/Trouvel.h>

#include <QString>

class QWidget;

namespace trouvel::ui {

// Shows the dialog modally. section: the script's name as shown in the wizard's script list.
// True when the mapping was written with a change (OK after editing, or after the host's
// columns changed); false after Annuler or an OK that changed nothing.
bool showMappingDialog(QWidget* parent, HostApplication& host, const QString& scriptPath, const QString& section,
                       UserInteraction& ui);

} // namespace trouvel::ui
