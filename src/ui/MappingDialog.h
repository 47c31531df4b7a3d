// The column-mapping dialog ("Exportation des informations"): which script field fills
// each host column, stored in Trouvel.ini in the host's working folder.
#pragma once

#include "common/UserInteraction.h"

#include <trouvel/Trouvel.h>

#include <QString>

class QWidget;

namespace trouvel::ui {

// Shows the dialog modally. section: the script's name as shown in the wizard's script list.
void showMappingDialog(QWidget* parent, HostApplication& host, const QString& scriptPath, const QString& section,
                       UserInteraction& ui);

} // namespace trouvel::ui
