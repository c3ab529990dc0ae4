#include "BKIconSelectionPanel.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Customization/BKImageMatrix.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QVBoxLayout>

BKIconSelectionPanel::BKIconSelectionPanel(OTVDataBase& store, QWidget* parent)
    : QDialog(parent, Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint), store_(store)
{
    setObjectName(QStringLiteral("mIconSelectionPanel"));
    setWindowTitle(BKLocalizedString("Choose Icon"));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    mImageMatrix_ = new BKImageMatrix(&store_, this);
    auto* scroller = new QScrollArea(this);
    scroller->setWidget(mImageMatrix_);
    scroller->setWidgetResizable(false);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setMinimumSize(mImageMatrix_->sizeHint().width() + 20, 6 * BKImageMatrix::kCellSide);
    layout->addWidget(scroller, 1);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(BKLocalizedString("Add Custom Icons..."), this);
    add->setObjectName(QStringLiteral("addCustomIconsButton"));
    add->setAutoDefault(false);
    auto* cancel = new QPushButton(BKLocalizedString("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    auto* ok = new QPushButton(BKLocalizedString("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addWidget(add);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &BKIconSelectionPanel::addCustomIcons);
    connect(cancel, &QPushButton::clicked, this, [this] { done(kBKModalAbort); });
    connect(ok, &QPushButton::clicked, this, &BKIconSelectionPanel::customIconPanelOk);
}

std::optional<int> BKIconSelectionPanel::chooseIcon(int current)
{
    renewIconMatrix();
    mImageMatrix_->setSelectedImage(current);
    BKCentreOverParent(this);
    if (exec() != kBKModalStop)
        return std::nullopt;
    const int number = mImageMatrix_->selectedIconNumber();
    if (number <= 0)
        return std::nullopt;
    return number;
}

void BKIconSelectionPanel::renewIconMatrix()
{
    mImageMatrix_->renewIconMatrix();
}

void BKIconSelectionPanel::customIconPanelOk()
{
    if (isVisible())
        done(kBKModalStop);
}

void BKIconSelectionPanel::addCustomIcons()
{
    const QStringList paths = mFilePicker_ ? mFilePicker_(this) : runImageOpenPanel(this);
    if (paths.isEmpty())
        return;
    // Each stored icon reaches the grid through "ExternalIconCreated", on the main thread.
    OTVDataBase* vault = &store_;
    std::function<void()> work = [vault, paths] { vault->addCustomIconsFromImages(paths); };
    if (mStoreWorkerRunner_)
        mStoreWorkerRunner_(std::move(work));
    else
        runOnStoreWorker(std::move(work));
}

void BKIconSelectionPanel::runOnStoreWorker(std::function<void()> work)
{
    if (BKController* controller = BKController::sharedApplicationController())
        controller->runStoreWorkerAndWait(std::move(work));
    else
        BKRunWorkerAndWait(std::move(work), &OTVDataBase::endDatabaseThread);
}

QStringList BKIconSelectionPanel::runImageOpenPanel(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(BKLocalizedString("Images"), patterns.join(QLatin1Char(' '))));
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    dialog.setDirectory(QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}
