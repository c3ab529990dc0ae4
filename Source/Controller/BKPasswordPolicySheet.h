#pragma once

// The password-policy sheet: the minimum length (0 to 40) and whether a password needs a letter
// and a digit, with a bar of how strong such a password is at least.

#include "Model/OTVPasswordPolicyForm.h"

#include <QDialog>

class BKPasswordPolicyController;
class BKPasswordStrengthMeter;
class OTVDataBase;
class QCheckBox;
class QSpinBox;

class BKPasswordPolicySheet : public QDialog {
    Q_OBJECT
public:
    explicit BKPasswordPolicySheet(QWidget* parent = nullptr);

    void setForm(const OTVPasswordPolicyForm& form);
    OTVPasswordPolicyForm form() const;

    // Reads the stored policy, runs the sheet and, on OK, stores the new one; the policy in
    // force changes only when the store accepted it. Returns the store's status (0 also when
    // cancelled).
    static int runForStore(OTVDataBase& store, BKPasswordPolicyController& policies, QWidget* parent);

    QSpinBox* lengthField() const { return lengthField_; }
    QCheckBox* lettersBox() const { return lettersBox_; }
    QCheckBox* digitsBox() const { return digitsBox_; }
    BKPasswordStrengthMeter* meter() const { return meter_; }

private:
    void updateMeter();

    QSpinBox* lengthField_ = nullptr;
    QCheckBox* lettersBox_ = nullptr;
    QCheckBox* digitsBox_ = nullptr;
    BKPasswordStrengthMeter* meter_ = nullptr;
};
