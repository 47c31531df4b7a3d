// Design sizes are given in twips (1/1440 inch); widgets want pixels at the screen's DPI.
#pragma once

class QWidget;

namespace trouvel::ui {

int twipsToPixels(int twips, const QWidget& onScreen);

} // namespace trouvel::ui
