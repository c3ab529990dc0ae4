#include "BKConnectionDialog.h"

#include "BKDialogButtons.h"
#include "Platform/BKLocalization.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A TCP port, 1 to 65535. The plain integer validator lets a number above its top through as
// "not finished yet"; no further digit can make such a number a port.
class PortValidator final : public QIntValidator {
public:
    explicit PortValidator(QObject* parent) : QIntValidator(1, 65535, parent) {}

    State validate(QString& input, int& position) const override
    {
        const State state = QIntValidator::validate(input, position);
        bool number = false;
        const int value = input.toInt(&number);
        return state == Intermediate && number && value > top() ? Invalid : state;
    }
};

} // namespace

BKConnectionDialog::BKConnectionDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(BKLocalizedString("Connect to Server"));
    setWindowModality(Qt::ApplicationModal);

    mServerField_ = new QLineEdit(this);
    mServerField_->setObjectName(QStringLiteral("serverField"));
    mPortField_ = new QLineEdit(this);
    mPortField_->setObjectName(QStringLiteral("portField"));
    mPortField_->setValidator(new PortValidator(mPortField_));
    mUserField_ = new QLineEdit(this);
    mUserField_->setObjectName(QStringLiteral("userField"));
    mPasswordField_ = new QLineEdit(this);
    mPasswordField_->setObjectName(QStringLiteral("passwordField"));
    mPasswordField_->setEchoMode(QLineEdit::Password);
    mMasterPasswordField_ = new QLineEdit(this);
    mMasterPasswordField_->setObjectName(QStringLiteral("masterPasswordField"));
    mMasterPasswordField_->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(BKLocalizedString("Server:"), mServerField_);
    form->addRow(BKLocalizedString("Port:"), mPortField_);
    form->addRow(BKLocalizedString("User name:"), mUserField_);
    form->addRow(BKLocalizedString("Password:"), mPasswordField_);
    form->addRow(BKLocalizedString("Master password:"), mMasterPasswordField_);

    mSpinner_ = new QProgressBar(this);
    mSpinner_->setRange(0, 0);   // busy: animates as long as the event loop runs
    mSpinner_->setTextVisible(false);
    QSizePolicy keepPlace = mSpinner_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);   // the dialog keeps its size as the spinner comes and goes
    mSpinner_->setSizePolicy(keepPlace);
    mSpinner_->setVisible(false);

    auto* buttons = new QDialogButtonBox(this);
    mConnectButton_ = buttons->addButton(BKLocalizedString("Connect"), QDialogButtonBox::AcceptRole);
    mConnectButton_->setDefault(true);
    mCancelButton_ = buttons->addButton(BKLocalizedString("Cancel"), QDialogButtonBox::RejectRole);
    connect(mConnectButton_, &QPushButton::clicked, this, &BKConnectionDialog::connectRequested);
    connect(mCancelButton_, &QPushButton::clicked, this, &BKConnectionDialog::cancelRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(mSpinner_);
    layout->addWidget(buttons);
    BKFitDialogToContents(this);
}

void BKConnectionDialog::setConnecting(bool connecting)
{
    mConnecting_ = connecting;
    for (QLineEdit* field : {mPasswordField_, mMasterPasswordField_})
        field->setReadOnly(connecting);
    mUserField_->setReadOnly(connecting || !mUserNameEditable_);
    mServerField_->setReadOnly(connecting || !mServerEditable_);
    mPortField_->setReadOnly(connecting || !mServerEditable_);
    mConnectButton_->setEnabled(!connecting);
    mCancelButton_->setEnabled(!connecting);
    mSpinner_->setVisible(connecting);
}

void BKConnectionDialog::setUserNameEditable(bool editable)
{
    mUserNameEditable_ = editable;
    mUserField_->setReadOnly(mConnecting_ || !editable);
    mUserField_->setEnabled(true);
}

void BKConnectionDialog::setServerEditable(bool editable)
{
    mServerEditable_ = editable;
    mServerField_->setReadOnly(mConnecting_ || !editable);
    mPortField_->setReadOnly(mConnecting_ || !editable);
}

void BKConnectionDialog::finish(int result)
{
    mFinishing_ = true;
    done(result);
    mFinishing_ = false;
}

void BKConnectionDialog::reject()
{
    // Escape: a running attempt must end first (its worker reports to this dialog).
    if (!mConnecting_)
        emit cancelRequested();
}

void BKConnectionDialog::closeEvent(QCloseEvent* event)
{
    if (mFinishing_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (!mConnecting_)
        emit cancelRequested();
}
