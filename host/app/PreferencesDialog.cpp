#include "PreferencesDialog.h"

#include "config/IniFile.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace cadrelle {

namespace {
const QString kSection = QStringLiteral("Internet");
}

PreferencesDialog::PreferencesDialog(const QString& profileFile, QWidget* parent)
    : QDialog(parent), profileFile_(profileFile), useProxy_(new QCheckBox(tr("Passer par un proxy"), this)),
      host_(new QLineEdit(this)), port_(new QSpinBox(this))
{
    setWindowTitle(tr("Préférences"));
    port_->setRange(0, 65535);
    port_->setSpecialValueText(tr("(aucun)"));

    using trouvel::config::ReadIniString;
    useProxy_->setChecked(trouvel::config::IniFlag(ReadIniString(profileFile_, kSection, QStringLiteral("UseProxy"), QStringLiteral("0"))));
    host_->setText(ReadIniString(profileFile_, kSection, QStringLiteral("HostProxy"), QString()));
    port_->setValue(ReadIniString(profileFile_, kSection, QStringLiteral("PortProxy"), QString()).toInt());

    auto* form = new QFormLayout;
    form->addRow(useProxy_);
    form->addRow(tr("Serveur proxy :"), host_);
    form->addRow(tr("Port :"), port_);
    auto enable = [this](bool on) {
        host_->setEnabled(on);
        port_->setEnabled(on);
    };
    connect(useProxy_, &QCheckBox::toggled, this, enable);
    enable(useProxy_->isChecked());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

bool PreferencesDialog::save()
{
    using trouvel::config::writeIniValue;
    const QString port = port_->value() == 0 ? QString() : QString::number(port_->value());
    QString reason = writeIniValue(profileFile_, kSection, QStringLiteral("UseProxy"), useProxy_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    if (reason.isEmpty())
        reason = writeIniValue(profileFile_, kSection, QStringLiteral("HostProxy"), host_->text().trimmed());
    if (reason.isEmpty())
        reason = writeIniValue(profileFile_, kSection, QStringLiteral("PortProxy"), port);
    if (!reason.isEmpty())
        QMessageBox::critical(this, tr("Préférences"), tr("Impossible d'écrire « %1 » : %2").arg(profileFile_, reason));
    return reason.isEmpty();
}

} // namespace cadrelle
