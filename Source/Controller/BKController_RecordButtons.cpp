// The record buttons under the views. A button does exactly what its menu command does, through
// that command (so its rule is checked again when it fires), and is enabled by the same rule.
#include "BKController.h"

#include "BKMainWindowViews.h"
#include "BKMenuTable.h"
#include "BKRecordButtons.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKImageView.h"

#include "Model/OTVRecord.h"
#include "Platform/BKLocalization.h"

#include <QAction>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

namespace {

// The buttons of a bar with the menu command each one stands for.
QList<std::pair<QAbstractButton*, int>> commandButtons(const BKRecordButtons& bar)
{
    QList<std::pair<QAbstractButton*, int>> buttons{
        {bar.typeAddButton(), kBKNewTypeMenuTag},
        {bar.addButton(), kBKAddRecordMenuTag},
        {bar.editButton(), kBKEditRecordMenuTag},
        {bar.deleteButton(), kBKDeleteRecordMenuTag},
        {bar.printRecordButton(), kBKPrintRecordMenuTag},
        {bar.attachmentButton(), kBKAttachmentMenuTag},
        {bar.autoFillButton(), kBKWebLoginMenuTag},
    };
    for (int view = 0; view < 3; ++view) {
        buttons.append({bar.duplicateButton(view), kBKDuplicateRecordMenuTag});
        buttons.append({bar.toggleInfoButton(view), kBKDetailsMenuTag});
    }
    return buttons;
}

} // namespace

void BKController::buildRecordButtons()
{
    if (mRecordButtons_ || !mViews_)
        return;
    mRecordButtons_ = new BKRecordButtons(mViews_);
    for (const auto& [button, tag] : commandButtons(*mRecordButtons_)) {
        connect(button, &QAbstractButton::clicked, this, [this, tag = tag] {
            if (QAction* action = menuAction(tag))
                action->trigger();
            // A refused command leaves a toggle as it was.
            validateRecordButtons();
        });
    }
    const auto place = [this] {
        const int view = mViews_->currentView();
        mRecordButtons_->showInView(view, mViews_->tabView()->widget(view));
    };
    connect(mViews_, &BKMainWindowViews::viewChanged, this, place);
    place();
}

void BKController::validateRecordButtons()
{
    if (!mRecordButtons_)
        return;
    for (const auto& [button, tag] : commandButtons(*mRecordButtons_))
        button->setEnabled(isCommandEnabled(tag));
    const bool shown = isDetailsPaneShown();
    for (int view = 0; view < 3; ++view) {
        QToolButton* toggle = mRecordButtons_->toggleInfoButton(view);
        toggle->setChecked(shown);
        toggle->setToolTip(BKLocalizedString(shown ? QStringLiteral("Hide Details") : QStringLiteral("Show Details")));
    }
    const std::shared_ptr<OTVRecord> record =
        mViews_ && isItemNotSelected() ? mViews_->itemPropertiesForTableViewSelectedRow() : nullptr;
    mRecordButtons_->setAttachmentRemoves(record && record->mHasAttachment());
}

void BKController::correctTabNextKeyViews()
{
    if (!mViews_ || !mRecordButtons_)
        return;
    // Views and buttons not shown are passed over by Tab, so one loop serves the three views.
    QList<QWidget*> loop{mViews_->columnViewTypesTable(), mViews_->columnViewDescriptionTable(),
                         mViews_->smartTypesTable(),      mViews_->listViewTypesTable(),
                         mViews_->treeViewOutlineView(),  mRecordButtons_->typeAddButton(),
                         mRecordButtons_->addButton(),    mRecordButtons_->editButton(),
                         mRecordButtons_->deleteButton()};
    for (int view = 0; view < 3; ++view)
        loop.append(mRecordButtons_->duplicateButton(view));
    loop.append({mRecordButtons_->printRecordButton(), mRecordButtons_->attachmentButton(),
                 mRecordButtons_->autoFillButton()});
    for (int view = 0; view < 3; ++view)
        loop.append(mRecordButtons_->toggleInfoButton(view));
    if (BKDetailsView* details = detailsView()) {
        if (details->copyImageButton())
            loop.append(details->copyImageButton());
        for (int row = 0; row < BKTextTable::kRowCount; ++row)
            loop.append(details->infoView()->button(row));
    }
    for (qsizetype index = 1; index < loop.size(); ++index)
        QWidget::setTabOrder(loop[index - 1], loop[index]);
}
