#include "ui/MappingDialog.h"

#include "ui/Frm3.h"

namespace trouvel::ui {

using namespace trouvel::mapping;

bool showMappingDialog(QWidget* parent, HostApplication& host, const QString& scriptPath, const QString& section,
                       UserInteraction& ui)
{
    Frm3 dialog(host, scriptPath, section, ui, parent);
    dialog.exec();
    return dialog.mappingChanged();
}

} // namespace trouvel::ui
