#include "BKPasswordPolicySheet.h"

#include "BKDialogButtons.h"
#include "Customization/BKPasswordStrengthMeter.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

BKPasswordPolicySheet::BKPasswordPolicySheet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordPolicySheet"));
    setWindowTitle(BKLocalizedString("Password Policy"));
    lengthField_ = new QSpinBox(this);
    lengthField_->setObjectName(QStringLiteral("minimumLengthField"));
    // Longer minimums could not be met: an account password has at most 40 characters.
    lengthField_->setRange(kPasswordPolicyMinLengthLowest, kPasswordPolicyMinLengthHighest);
    lettersBox_ = new QCheckBox(BKLocalizedString("Must contain letters"), this);
    digitsBox_ = new QCheckBox(BKLocalizedString("Must contain digits"), this);
    meter_ = new BKPasswordStrengthMeter(this);
    connect(lengthField_, &QSpinBox::valueChanged, this, &BKPasswordPolicySheet::updateMeter);
    connect(lettersBox_, &QCheckBox::toggled, this, &BKPasswordPolicySheet::updateMeter);
    connect(digitsBox_, &QCheckBox::toggled, this, &BKPasswordPolicySheet::updateMeter);

    auto* form = new QFormLayout;
    form->addRow(BKLocalizedString("Minimum length:"), lengthField_);
    form->addRow(QString(), lettersBox_);
    form->addRow(QString(), digitsBox_);
    form->addRow(BKLocalizedString("Strength:"), meter_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BKMakeOkCancelButtons(this, [this] { accept(); }, [this] { reject(); }));
    setForm({});
}

void BKPasswordPolicySheet::setForm(const OTVPasswordPolicyForm& form)
{
    lengthField_->setValue(form.minLength);
    lettersBox_->setChecked(form.letters);
    digitsBox_->setChecked(form.digits);
    updateMeter();
}

OTVPasswordPolicyForm BKPasswordPolicySheet::form() const
{
    return {lengthField_->value(), lettersBox_->isChecked(), digitsBox_->isChecked()};
}

void BKPasswordPolicySheet::updateMeter()
{
    meter_->setStrenth(OTVPolicyFormStrength(form()));
}

int BKPasswordPolicySheet::runForStore(OTVDataBase& store, BKPasswordPolicyController& policies, QWidget* parent)
{
    BKPasswordPolicySheet sheet(parent);
    sheet.setForm(OTVPolicyFormFromStored(store.passwordPolicyDetails()));
    if (sheet.exec() != QDialog::Accepted)
        return 0;
    const OTVPasswordPolicy policy = OTVPolicyFromForm(sheet.form());
    const int status = store.setPasswordPolicy(&policy);
    // The store has reported a failure; the policy in force stays the stored one.
    if (status == 0)
        policies.passwordPolicyDidChanged(policy);
    return status;
}
