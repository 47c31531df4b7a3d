// Cadrelle's preferences: the "Internet" section of its profile file, which plug-ins read
// for the proxy to use.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace cadrelle {

class PreferencesDialog final : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(const QString& profileFile, QWidget* parent = nullptr);

    // Writes the values back; false (and a message already shown) when the file could not be written.
    bool save();

private:
    QString profileFile_;
    QCheckBox* useProxy_;
    QLineEdit* host_;
    QSpinBox* port_;
};

} // namespace cadrelle
