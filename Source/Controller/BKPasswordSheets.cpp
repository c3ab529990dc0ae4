#include "BKPasswordSheets.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Customization/BKPasswordStrengthMeter.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/PasswordStrength.h"
#include "Platform/BKLocalization.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The first question's item carries this number plus one.
constexpr int kHintQuestionTagBase = 999;

QLineEdit* passwordField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setEchoMode(QLineEdit::Password);
    return field;
}

} // namespace

BKUserPasswordSheet::BKUserPasswordSheet(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mPasswordPanel"));
    setWindowTitle(BKLocalizedString("Set Password"));
    setWindowModality(Qt::ApplicationModal);
    mOldField_ = passwordField(this, "mOldPasswordField");
    mNewField_ = passwordField(this, "mNewPasswordField");
    mConfirmField_ = passwordField(this, "mConfirmPasswordField");
    mHintField_ = new QLineEdit(this);
    mHintField_->setObjectName(QStringLiteral("mHintField"));
    mAnswerField_ = new QLineEdit(this);
    mAnswerField_->setObjectName(QStringLiteral("mHintAnswerField"));
    mQuestionPopUp_ = new QComboBox(this);
    mQuestionPopUp_->setObjectName(QStringLiteral("mHintQuestionPopUp"));
    for (int number = 0; number < OTVDataBase::kHintQuestionCount; ++number)
        mQuestionPopUp_->addItem(BKLocalizedString(OTVDataBase::kQuestions().at(number)),
                                 kHintQuestionTagBase + number + 1);
    connect(mQuestionPopUp_, &QComboBox::currentIndexChanged, this, [this](int index) {
        mAnswerField_->setEnabled(index > 0);
        if (index == 0)
            mAnswerField_->clear();
    });
    mStrengthMeter_ = new BKPasswordStrengthMeter(this);
    mStrengthLabel_ = new QLabel(this);
    mStrengthLabel_->setObjectName(QStringLiteral("mStrengthLabel"));
    // As wide as its widest text from the start: the sheet keeps its width while one types.
    int widest = 0;
    for (double strength : {0.0, 0.5, 0.75, 1.0}) {
        mStrengthLabel_->setText(PasswordStrength::labelFor(strength));
        widest = std::max(widest, mStrengthLabel_->sizeHint().width());
    }
    mStrengthLabel_->setMinimumWidth(widest);
    connect(mNewField_, &QLineEdit::textChanged, this, &BKUserPasswordSheet::showStrength);

    auto* form = new QFormLayout;
    mOldLabel_ = new QLabel(BKLocalizedString("Old Password:"), this);
    form->addRow(mOldLabel_, mOldField_);
    form->addRow(BKLocalizedString("New Password:"), mNewField_);
    form->addRow(BKLocalizedString("Confirm Password:"), mConfirmField_);
    form->addRow(mStrengthLabel_, mStrengthMeter_);
    form->addRow(BKLocalizedString("Hint:"), mHintField_);
    form->addRow(BKLocalizedString("Hint Question:"), mQuestionPopUp_);
    form->addRow(BKLocalizedString("Answer:"), mAnswerField_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BKMakeOkCancelButtons(
        this, [this] { emit okRequested(); }, [this] { done(kBKModalAbort); }));
    BKFitDialogToContents(this);
}

void BKUserPasswordSheet::prepare(bool hasPassword)
{
    for (QLineEdit* field : {mOldField_, mNewField_, mConfirmField_, mHintField_, mAnswerField_})
        field->clear();
    mQuestionPopUp_->setCurrentIndex(0);
    mAnswerField_->setEnabled(false);
    mOldField_->setVisible(hasPassword);
    mOldLabel_->setVisible(hasPassword);
    showStrength(QString());
    (hasPassword ? mOldField_ : mNewField_)->setFocus();
}

int BKUserPasswordSheet::questionNumber() const
{
    return mQuestionPopUp_->currentData().toInt() - kHintQuestionTagBase - 1;
}

void BKUserPasswordSheet::showStrength(const QString& password)
{
    const float strength = password.isEmpty() ? 0.0f : PasswordStrength::strengthFromText(password);
    mStrengthMeter_->setStrenth(strength);
    mStrengthLabel_->setText(PasswordStrength::labelFor(strength));
}

BKMasterPasswordPanel::BKMasterPasswordPanel(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mMasterPasswordPanel"));
    setWindowModality(Qt::ApplicationModal);
    mOldField_ = passwordField(this, "mOldMasterPasswordField");
    mNewField_ = passwordField(this, "mNewMasterPasswordField");
    mConfirmField_ = passwordField(this, "mConfirmMasterPasswordField");
    auto* form = new QFormLayout;
    mOldLabel_ = new QLabel(BKLocalizedString("Old Master Password:"), this);
    form->addRow(mOldLabel_, mOldField_);
    form->addRow(BKLocalizedString("New Master Password:"), mNewField_);
    form->addRow(BKLocalizedString("Confirm:"), mConfirmField_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BKMakeOkCancelButtons(
        this, [this] { emit okRequested(); }, [this] { done(kBKModalAbort); }));
    BKFitDialogToContents(this);
}

void BKMasterPasswordPanel::prepare(bool change)
{
    setWindowTitle(BKLocalizedString(change ? "Change Master Password" : "Set Master Password"));
    for (QLineEdit* field : {mOldField_, mNewField_, mConfirmField_})
        field->clear();
    mOldField_->setVisible(change);
    mOldLabel_->setVisible(change);
    (change ? mOldField_ : mNewField_)->setFocus();
}

bool BKMasterPasswordPanel::isChangePanel() const
{
    return !mOldField_->isHidden();
}
