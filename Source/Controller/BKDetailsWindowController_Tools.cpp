// The record details window's tools: the icon panel and the custom-icon import, the attachment
// button, the date picker, the password generator, Customize and printing one record.

#include "BKDetailsWindowController.h"
#include "BKFileDialog.h"
#include "BKPrintJob.h"

#include "BKController.h"
#include "BKIconSelectionPanel.h"
#include "BKPasswordWindowController.h"
#include "BKTypeSettingsPanel.h"
#include "BKViewImages.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKImageMatrix.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVUser.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QCalendarWidget>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Icon panel

void BKDetailsWindowController::buildIconPanel()
{
    mIconSelectionPanel_ = new BKIconSelectionPanel(store(), this);
    mIconSelectionPanel_->setFilePicker([this](QWidget* parent) {
        return mFilePicker_ ? mFilePicker_(parent, OpenPanel::Icons) : BKIconSelectionPanel::runImageOpenPanel(parent);
    });
    mIconSelectionPanel_->setStoreWorkerRunner([this](std::function<void()> work) {
        if (mStoreWorkerRunner_)
            mStoreWorkerRunner_(std::move(work));
        else
            BKIconSelectionPanel::runOnStoreWorker(std::move(work));
    });
}

QDialog* BKDetailsWindowController::iconSelectionPanel() const
{
    return mIconSelectionPanel_;
}

BKImageMatrix* BKDetailsWindowController::imageMatrix() const
{
    return mIconSelectionPanel_->imageMatrix();
}

void BKDetailsWindowController::renewImageMatrix()
{
    mIconSelectionPanel_->renewIconMatrix();
}

void BKDetailsWindowController::displayIconSelectionPanel()
{
    const std::optional<int> number = mIconSelectionPanel_->chooseIcon(shownIconNumber());
    if (!number)
        return;
    setIconNumber(*number);
    mSelectedImageID_ = *number;
}

void BKDetailsWindowController::customIconPanelOk()
{
    mIconSelectionPanel_->customIconPanelOk();
}

void BKDetailsWindowController::addCustomIcons()
{
    mIconSelectionPanel_->addCustomIcons();
}

// ---------------------------------------------------------------------------------------------
// Attachment

void BKDetailsWindowController::attachdetachFile()
{
    if (mHasAttachmentState_) {
        const int answer = BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                                           BKLocalizedString("Are you sure you want to delete attachment?"),
                                           BKLocalizedString("No"), BKLocalizedString("Yes"));
        if (answer != kBKAlertAlternateReturn)
            return;
        mAttachmentPath_.clear();
        mAttachmentName_->clear();
        mAttachmentModified_ = true;
        setAlternateInfoToAttachmentButton(false);
        return;
    }
    const QStringList chosen = mFilePicker_ ? mFilePicker_(this, OpenPanel::Attachment)
                                            : QStringList{BKChooseAttachmentFile(this)};
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    // The check is made on the file that will be read: links resolved, a regular file.
    const QString resolved = BKAcceptableAttachmentPath(chosen.first());
    if (resolved.isNull()) {
        alert("The attachment size exceeds 1MB limit.");
        return;
    }
    if (!BKAttachmentNameFits(chosen.first())) {
        OTVShowStatusAlert(kOTVStatusValueTooLong);
        return;
    }
    mAttachmentPath_ = resolved;
    mAttachmentName_->setText(QFileInfo(chosen.first()).fileName());
    mAttachmentModified_ = true;
    setAlternateInfoToAttachmentButton(true);
}

// ---------------------------------------------------------------------------------------------
// Date picker

void BKDetailsWindowController::displayDatePickerWindow(int field)
{
    if (field < 1 || field > kNoOfFields)
        return;
    mEditedDateButton_ = dateButton(field);
    mDatePicker_->setSelectedDate(BKDateFromPickerText(valueField(field)->text(), QDate::currentDate()));
    // Left of the button, reaching from 22 points above its bottom edge downwards.
    const QRect button(mEditedDateButton_->mapTo(this, QPoint(0, 0)), mEditedDateButton_->size());
    const QSize size = mDatePicker_->sizeHint().expandedTo(QSize(140, 150));
    QRect frame(button.x() - 125, button.bottom() + 1 - 22, size.width(), size.height());
    frame.moveRight(std::min(frame.right(), width() - 1));
    frame.moveLeft(std::max(frame.left(), 0));
    frame.moveBottom(std::min(frame.bottom(), height() - 1));
    frame.moveTop(std::max(frame.top(), 0));
    mDatePicker_->setGeometry(frame);
    mDatePicker_->raise();
    mDatePicker_->show();
    mDatePicker_->setFocus();
}

void BKDetailsWindowController::disposeDatePicker()
{
    if (mEditedDateButton_) {
        const int field = mEditedDateButton_->property("tag").toInt();
        valueField(field)->setText(BKPickerTextFromDate(mDatePicker_->selectedDate()));
    }
    mDatePicker_->hide();
}

void BKDetailsWindowController::removeDatePicker(const QPoint& point)
{
    if (mDatePicker_->isVisible() && !mDatePicker_->geometry().contains(point))
        mDatePicker_->hide();
}

// ---------------------------------------------------------------------------------------------
// Password generator and Customize

QLineEdit* BKDetailsWindowController::generatorTarget() const
{
    if (mLastValueField_ && !mLastValueField_->isReadOnly())
        return mLastValueField_;
    return valueField(1);
}

void BKDetailsWindowController::displayPasswordSelectionPanel()
{
    QLineEdit* target = generatorTarget();
    mIsPanelDisplayed_ = true;
    const QString password = mPasswordGenerator_
                                 ? mPasswordGenerator_(this)
                                 : BKPasswordWindowController::sharedPasswordController().displayPasswordGenerationPanel(this);
    mIsPanelDisplayed_ = false;
    // Cancel answers "": the field keeps its text.
    if (!password.isEmpty())
        target->setText(password);
}

void BKDetailsWindowController::displayCustomSettingsPanel()
{
    const std::shared_ptr<OTVType> selected = selectedType();
    if (noTypeExists() || !selected) {
        alert("You need to set the group and type first");
        return;
    }
    const OTVType toEdit = mRecordCustomType_ ? *mRecordCustomType_ : *OTVType::createCopyforType(*selected);
    const bool again = mCustom_.customizing && mIsTypeCustomizedOnce_ && mCustom_.typeCustomFields;
    mIsPanelDisplayed_ = true;
    const OTVType& info = again ? *mCustom_.typeCustomFields : toEdit;
    const std::optional<OTVType> answer =
        mCustomSettingsPanel_ ? mCustomSettingsPanel_(this, info, *selected) : runTypePanel(info, *selected);
    mIsPanelDisplayed_ = false;
    if (answer) {
        mCustom_.typeCustomFields = answer;
        mCustom_.isCustomFromDetailPanel = true;
        mCustom_.customizing = true;
        mIsTypeCustomizedOnce_ = true;
    }
    if (mCustom_.typeCustomFields)
        updateUIWithMaskInfo(&*mCustom_.typeCustomFields);
    else
        updateUIWithMaskInfo(mRecordCustomType_ ? &toEdit : selected.get());
}

// The type panel in its customise mode: name, icon and group hidden.
std::optional<OTVType> BKDetailsWindowController::runTypePanel(const OTVType& info, const OTVType& resetInfo)
{
    BKTypeSettingsPanel* panel = nullptr;
    if (BKController* controller = BKController::sharedApplicationController())
        panel = &controller->typeSettingsPanel();
    if (!panel) {
        if (!mTypeSettingsPanel_)
            mTypeSettingsPanel_ = new BKTypeSettingsPanel(store(), this);
        panel = mTypeSettingsPanel_;
    }
    panel->setShouldHideControls(true);
    panel->setCustomizing(true);
    panel->setResetInfo(OTVType::createCopyforType(resetInfo));
    int operation = BKTypeSettingsPanel::kCustomiseOperation;
    const std::shared_ptr<OTVType> answer =
        panel->runCustomSettingsPanelForWindow(this, OTVType::createCopyforType(info), &operation);
    panel->setShouldHideControls(false);
    panel->setCustomizing(false);
    return answer ? std::optional<OTVType>(*answer) : std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Printing one record

void BKDetailsWindowController::printRecord()
{
    if (!mPrintButton_->isEnabled())
        return;
    if (noTypeExists() || !selectedGroup()) {
        alert("You need to set the group and type first");
        return;
    }
    // Printed as OK would answer; nothing is stored, and nothing is written to a file.
    const std::shared_ptr<OTVRecord> record =
        itemRecordFromUIWithCustomInfo(mRecordCustomType_ ? &*mRecordCustomType_ : nullptr);
    BKDetailsView view(nullptr, false);
    view.setDataBase(&store());
    view.setHeaderTitle(record->value(1));
    view.setDetailInfo(record);
    const OTVType* type = record->mRecordCustomType() ? record->mRecordCustomType() : record->mType().get();
    view.setHeaderImage(BKViewImages::typeIcon(store(), type));
    if (mRecordPrinter_)
        mRecordPrinter_(this, view);
    else
        BKPrintJob::printRecord(record, store(), this);
}
