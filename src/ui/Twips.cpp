#include "ui/Twips.h"

#include <QWidget>

#include <cmath>

namespace trouvel::ui {

int twipsToPixels(int twips, const QWidget& onScreen)
{
    return static_cast<int>(std::lround(twips * onScreen.logicalDpiX() / 1440.0));
}

} // namespace trouvel::ui
