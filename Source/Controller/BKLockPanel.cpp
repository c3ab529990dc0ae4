#include "BKLockPanel.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Platform/BKLocalization.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// What a title bar takes beside its text: the window icon and up to three buttons.
constexpr int kTitleBarAllowance = 120;

} // namespace

BKLockPanel::BKLockPanel(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mLockPanel"));
    setWindowTitle(BKLocalizedString("Ostrevin Darovazivu is locked"));
    setWindowModality(Qt::ApplicationModal);
    // A title bar without minimise, maximise and close buttons, where the window manager
    // follows the hints.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    mUserNameField_ = new QLineEdit(this);
    mUserNameField_->setObjectName(QStringLiteral("mLockUserNameField"));
    mUserNameField_->setEnabled(false);
    mPasswordField_ = new QLineEdit(this);
    mPasswordField_->setObjectName(QStringLiteral("mLockPasswordField"));
    mPasswordField_->setEchoMode(QLineEdit::Password);
    mAttemptsLine_ = new QLabel(this);
    mAttemptsLine_->setObjectName(QStringLiteral("mAttemptsLine"));
    mAttemptsLine_->setTextFormat(Qt::PlainText);
    mAttemptsLine_->hide();

    auto* form = new QFormLayout;
    form->addRow(BKLocalizedString("User Name:"), mUserNameField_);
    form->addRow(BKLocalizedString("Password:"), mPasswordField_);

    auto* buttons = new QDialogButtonBox(this);
    mHintButton_ = buttons->addButton(BKLocalizedString("Hint"), QDialogButtonBox::HelpRole);
    mHintButton_->setObjectName(QStringLiteral("hintButton"));
    mQuitButton_ = buttons->addButton(BKLocalizedString("Quit"), QDialogButtonBox::RejectRole);
    mQuitButton_->setObjectName(QStringLiteral("quitButton"));
    mOkButton_ = buttons->addButton(BKLocalizedString("OK"), QDialogButtonBox::AcceptRole);
    mOkButton_->setObjectName(QStringLiteral("okButton"));
    mOkButton_->setDefault(true);
    connect(mOkButton_, &QPushButton::clicked, this, &BKLockPanel::okRequested);
    connect(mHintButton_, &QPushButton::clicked, this, &BKLockPanel::hintRequested);
    connect(mQuitButton_, &QPushButton::clicked, this, &BKLockPanel::quitRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(mAttemptsLine_);
    layout->addWidget(buttons);
    // Wide enough for the whole title beside the frame's icon and buttons (title bars set it
    // in bold).
    QFont titleFont = font();
    titleFont.setBold(true);
    layout->addStrut(std::max(380, QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarAllowance));
    BKFitDialogToContents(this);
}

void BKLockPanel::setUserName(const QString& name)
{
    mUserNameField_->setText(name);
}

QString BKLockPanel::password() const
{
    return mPasswordField_->text();
}

void BKLockPanel::showAttemptsLeft(int left)
{
    mAttemptsLine_->setVisible(left >= 0);
    if (left >= 0)
        mAttemptsLine_->setText(QStringLiteral("%1 %2").arg(left).arg(BKLocalizedString("attempts left")));
}

void BKLockPanel::reject()
{
}

void BKLockPanel::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void BKLockPanel::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible() && isMinimized())
        QTimer::singleShot(0, this, &BKLockPanel::restoreFromMinimised);
}

void BKLockPanel::restoreFromMinimised()
{
    if (!isVisible())
        return;
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr; main && main->isMinimized())
        main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

BKHintChallengePanel::BKHintChallengePanel(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mHintChallengePanel"));
    setWindowTitle(BKLocalizedString("Hint Question"));
    setWindowModality(Qt::ApplicationModal);
    mQuestion_ = new QLabel(this);
    mQuestion_->setTextFormat(Qt::PlainText);
    mQuestion_->setWordWrap(true);
    mAnswerField_ = new QLineEdit(this);
    mAnswerField_->setObjectName(QStringLiteral("mHintAnswerField"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mQuestion_);
    layout->addWidget(mAnswerField_);
    layout->addWidget(BKMakeOkCancelButtons(
        this, [this] { done(kBKModalStop); }, [this] { done(kBKModalAbort); }));
    BKFitDialogToContents(this);
}

void BKHintChallengePanel::setQuestion(const QString& question)
{
    mQuestion_->setText(question);
    mAnswerField_->clear();
    mAnswerField_->setFocus();
}

QString BKHintChallengePanel::answer() const
{
    return mAnswerField_->text();
}
