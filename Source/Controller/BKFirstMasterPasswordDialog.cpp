#include "BKFirstMasterPasswordDialog.h"

#include "BKDialogButtons.h"
#include "Platform/BKLocalization.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BKFirstMasterPasswordDialog::BKFirstMasterPasswordDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(BKLocalizedString("Set Master Password"));
    setWindowModality(Qt::ApplicationModal);

    auto* explanation = new QLabel(
        BKLocalizedString("The vault is new. Choose the master password that enciphers its records."), this);
    explanation->setWordWrap(true);
    mPasswordField_ = new QLineEdit(this);
    mPasswordField_->setEchoMode(QLineEdit::Password);
    mConfirmField_ = new QLineEdit(this);
    mConfirmField_->setEchoMode(QLineEdit::Password);
    mWithoutPasswordOption_ =
        new QCheckBox(BKLocalizedString("Go on without a master password (records are stored unenciphered)"), this);

    // A vault goes on without a password only when no password is typed: the option empties
    // and locks the fields, so that a typed password is never silently dropped.
    connect(mWithoutPasswordOption_, &QCheckBox::toggled, this, [this](bool without) {
        for (QLineEdit* field : {mPasswordField_, mConfirmField_}) {
            if (without)
                field->clear();
            field->setEnabled(!without);
        }
        if (!without)
            mPasswordField_->setFocus();
    });

    auto* form = new QFormLayout;
    form->addRow(BKLocalizedString("Master password:"), mPasswordField_);
    form->addRow(BKLocalizedString("Confirm:"), mConfirmField_);

    auto* buttons = new QDialogButtonBox(this);
    mOkButton_ = buttons->addButton(BKLocalizedString("OK"), QDialogButtonBox::AcceptRole);
    mOkButton_->setDefault(true);
    mCloseButton_ = buttons->addButton(BKLocalizedString("Close"), QDialogButtonBox::RejectRole);
    connect(mOkButton_, &QPushButton::clicked, this, &BKFirstMasterPasswordDialog::okRequested);
    connect(mCloseButton_, &QPushButton::clicked, this, &BKFirstMasterPasswordDialog::closeRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(mWithoutPasswordOption_);
    layout->addWidget(buttons);
    BKFitDialogToContents(this);
}

void BKFirstMasterPasswordDialog::clear()
{
    mPasswordField_->clear();
    mConfirmField_->clear();
    mWithoutPasswordOption_->setChecked(false);
    mPasswordField_->setFocus();
}

void BKFirstMasterPasswordDialog::finish(int result)
{
    mFinishing_ = true;
    done(result);
    mFinishing_ = false;
}

void BKFirstMasterPasswordDialog::reject()
{
    emit closeRequested();
}

void BKFirstMasterPasswordDialog::closeEvent(QCloseEvent* event)
{
    if (mFinishing_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    emit closeRequested();
}
