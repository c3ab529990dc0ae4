// The event-log window, the About box, Page Setup and Close.
#include "BKController.h"

#include "BKEventLoggerWindowController.h"
#include "BKPrintJob.h"

#include "Platform/BKLocalization.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Qt's page-setup dialog serves native printers only; without one (no print system, or printing
// to PDF) the paper size and the orientation are chosen here.
bool runPageSetupPanel(QPrinter& printer, QWidget* parent)
{
    if (printer.outputFormat() == QPrinter::NativeFormat)
        return QPageSetupDialog(&printer, parent).exec() == QDialog::Accepted;
    QDialog panel(parent);
    panel.setObjectName(QStringLiteral("PageSetupPanel"));
    panel.setWindowTitle(BKLocalizedString("Page Setup"));
    auto* paper = new QComboBox(&panel);
    for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::Legal, QPageSize::A3,
                                           QPageSize::A5, QPageSize::B5, QPageSize::Executive})
        paper->addItem(QPageSize::name(id), int(id));
    paper->setCurrentIndex(std::max(0, paper->findData(int(printer.pageLayout().pageSize().id()))));
    auto* portrait = new QRadioButton(BKLocalizedString("Portrait"), &panel);
    auto* landscape = new QRadioButton(BKLocalizedString("Landscape"), &panel);
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &panel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &panel, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &panel, &QDialog::reject);
    auto* form = new QFormLayout(&panel);
    form->addRow(BKLocalizedString("Paper size:"), paper);
    form->addRow(BKLocalizedString("Orientation:"), orientation);
    form->addRow(buttons);
    if (panel.exec() != QDialog::Accepted)
        return false;
    printer.setPageSize(QPageSize(QPageSize::PageSizeId(paper->currentData().toInt())));
    printer.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    return true;
}

} // namespace

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
                                          : runPageSetupPanel(printer, mainWindow());
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
