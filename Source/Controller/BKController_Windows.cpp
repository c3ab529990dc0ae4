// The event-log window, the About box, Page Setup and Close.
#include "BKController.h"

#include "BKEventLoggerWindowController.h"
#include "BKPrintJob.h"

#include "Platform/BKLocalization.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMainWindow>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

void BKController::eventLogger()
{
    eventLoggerWindowController().displayEventLogger();
}

BKEventLoggerWindowController& BKController::eventLoggerWindowController()
{
    if (!mEventLoggerWindowController_)
        mEventLoggerWindowController_ = new BKEventLoggerWindowController(store_, mMainWindow_.get());
    return *mEventLoggerWindowController_;
}

void BKController::initAboutBoxsetting()
{
    if (mAboutBoxWindow_)
        return;
    auto* box = new QDialog(mMainWindow_.get());
    box->setObjectName(QStringLiteral("mAboutBoxWindow"));
    box->setWindowTitle(BKLocalizedString("About Ostrevin Darovazivu"));
    auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(BKLocalizedString("Ostrevin Darovazivu")), box);
    name->setAlignment(Qt::AlignCenter);
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    name->setFont(large);
    auto* version = new QLabel(BKLocalizedString("Version %1").arg(QCoreApplication::applicationVersion()), box);
    version->setObjectName(QStringLiteral("versionField"));
    version->setAlignment(Qt::AlignCenter);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* purpose = new QLabel(BKLocalizedString("The organisation's confidential records in one shared vault."), box);
    purpose->setAlignment(Qt::AlignCenter);
    purpose->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
    buttons->button(QDialogButtonBox::Ok)->setText(BKLocalizedString("OK"));
    connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(28, 20, 28, 14);
    layout->setSpacing(10);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(purpose);
    layout->addWidget(buttons);
    box->setFixedWidth(360);
    mAboutBoxWindow_ = box;
}

QDialog* BKController::aboutBox() const
{
    return mAboutBoxWindow_;
}

void BKController::showAboutBox()
{
    initAboutBoxsetting();
    QDialog* box = mAboutBoxWindow_;
    box->adjustSize();
    // Centred over the main window (over the screen while the window is hidden).
    const QRect over = mMainWindow_ && mMainWindow_->isVisible() ? mMainWindow_->frameGeometry()
                       : box->screen()                           ? box->screen()->availableGeometry()
                                                                 : QRect();
    if (over.isValid())
        box->move(over.center() - QPoint(box->width() / 2, box->height() / 2));
    box->exec();
}

void BKController::runPageLayout()
{
    QPrinter printer(QPrinter::HighResolution);
    BKPrintJob::applySharedPageLayout(printer);
    const bool chosen = mPageSetupRunner_ ? mPageSetupRunner_(printer, mainWindow())
                                          : QPageSetupDialog(&printer, mainWindow()).exec() == QDialog::Accepted;
    if (chosen)
        BKPrintJob::setSharedPageLayout(printer.pageLayout());
}

void BKController::performClose()
{
    QWidget* front = QApplication::activeWindow();
    if (!front)
        front = mMainWindow_.get();
    if (front)
        front->close();
}
