#include "BKController.h"

#include "BKDetailsWindowRules.h"
#include "BKMainWindowViews.h"
#include "BKMenuTable.h"
#include "BKRecordCells.h"
#include "BKTypeSettingsPanel.h"
#include "BKViewImages.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKOwnClipboard.h"
#include "Customization/BKRecordWrites.h"
#include "Customization/BKTableView.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/OTVRecordDuplicates.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKPrivateFile.h"
#include "Platform/BKUserGuide.h"
#include "Platform/BKUserDefaults.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

// The record commands: add, edit, duplicate, delete, de-duplicate, copy a field, masking, the
// details pane toggle, customising a record's labels and the small commands of the main window.

namespace {

const char* const kNeedGroupAndType = "Before adding record you need to have atleast one group and a type.";

constexpr int kCopyCategoryMenuItemTag = 206;
constexpr int kCopyField1MenuItemTag = 207;
constexpr int kCopyField10MenuItemTag = 216;
constexpr int kCopyNotesMenuItemTag = 217;
constexpr int kEditTypesMenuItemTag = 101;

// The de-duplicate sheet's question, over the list of the duplicates' first values.
class DedupeSheet : public QDialog {
public:
    explicit DedupeSheet(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("mDedupeItems"));
        setWindowModality(Qt::WindowModal);
        auto* layout = new QVBoxLayout(this);
        mMessage_ = new QLabel(this);
        mMessage_->setObjectName(QStringLiteral("mDedupeMessage"));
        mMessage_->setTextFormat(Qt::PlainText);
        mMessage_->setWordWrap(true);
        layout->addWidget(mMessage_);
        mList_ = new QListView(this);
        mList_->setObjectName(QStringLiteral("mDedupeItemsList"));
        mList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        mList_->setModel(&mNames_);
        layout->addWidget(mList_);
        auto* buttons = new QDialogButtonBox(this);
        QPushButton* yes = buttons->addButton(BKLocalizedString("Yes"), QDialogButtonBox::YesRole);
        yes->setObjectName(QStringLiteral("yesButton"));
        QPushButton* no = buttons->addButton(BKLocalizedString("No"), QDialogButtonBox::NoRole);
        no->setObjectName(QStringLiteral("noButton"));
        no->setDefault(true);
        connect(yes, &QPushButton::clicked, this, [this] { done(kBKModalStop); });
        connect(no, &QPushButton::clicked, this, [this] { done(kBKModalAbort); });
        layout->addWidget(buttons);
    }

    int run(int count, const QStringList& names)
    {
        mMessage_->setText(
            BKLocalizedString("%1 duplicate item(s) found. Do you want to delete these item(s)?").arg(count));
        // Plain text: the values are the user's own (a list view does not interpret markup).
        mNames_.setStringList(names);
        mList_->scrollToTop();
        return exec();
    }

    void reject() override { done(kBKModalAbort); }

private:
    QLabel* mMessage_ = nullptr;
    QListView* mList_ = nullptr;
    QStringListModel mNames_;
};

// The path of a file named after an attachment inside `folder`: only the name's last component,
// never "", "." or ".." nor a hidden name; a null string when nothing usable is left.
QString attachmentFilePath(const QString& folder, const QString& attachmentName)
{
    QString name = QFileInfo(QString(attachmentName).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty() || folder.isEmpty())
        return QString();
    return QDir(folder).filePath(name);
}

// Whether the panel's answer gives the record the labels, icon and mask of its type: then it is
// no customisation. The answer carries the name of the custom type it was opened on, so names
// are not compared; an empty label is the default one the panel writes for it.
bool looksLikeType(const OTVType& answer, const OTVType& type)
{
    if (answer.mTypeIconID() != type.mTypeIconID() || answer.mTypeMask().value_or(0) != type.mTypeMask().value_or(0))
        return false;
    const auto shown = [](const OTVType& t, int field) {
        const QString label = t.label(field);
        return label.isEmpty() || field == kNoOfFields ? BKTypeSettingsPanel::defaultLabel(field) : label;
    };
    for (int field = 1; field <= kNoOfFields; ++field)
        if (shown(answer, field) != shown(type, field))
            return false;
    return true;
}

} // namespace

std::shared_ptr<OTVRecord> BKController::runDetailsWindow(const std::shared_ptr<OTVRecord>& record, int* operation,
                                                          const BKDetailsAnswerWriter& write)
{
    return BKRunDetailsWindowWriting(
        store_,
        [&](const BKDetailsAnswerWriter& writer) {
            return mDetailsWindowRunner_ ? mDetailsWindowRunner_(record, operation, writer)
                                         : orderFrontDetailsWindowWithInfo(record, operation, writer);
        },
        write, operation);
}

void BKController::setDetailsWindowRunner(DetailsWindowRunner runner)
{
    mDetailsWindowRunner_ = std::move(runner);
}

void BKController::refreshAfterRecordCommand()
{
    if (!mViews_)
        return;
    mViews_->updateTables();
    emit mViews_->validateUIControls();
    updateDetailInfoViewWithRecord(itemPropertiesForTableViewSelectedRow());
}

// ---------------------------------------------------------------------------------------------
// Add, edit, duplicate, delete

void BKController::addItemsToDetail()
{
    if (!mViews_ || !isCommandPermitted(kBKAddRecordMenuTag))
        return;
    if (!store_.isGroupExistsInDatabase() || !store_.isTypeExistsInDatabase()) {
        BKRunAlertPanel(QString(), BKLocalizedString(kNeedGroupAndType));
        return;
    }
    const std::shared_ptr<OTVRecord> record = OTVRecord::createRecord();
    record->setMGroup(mViews_->selectedGroup());
    int operation = kDetailsAdd;
    const std::shared_ptr<OTVRecord> answer =
        runDetailsWindow(record, &operation, [this](const std::shared_ptr<OTVRecord>& added, int op) {
            // The window may file it in another group: that group's word decides.
            if ((op != kDetailsAdd && op != kDetailsDuplicate) ||
                !checkForRecordPermissionFor(kPermissionAdd, added->mGroup()))
                return int(kOTVStatusOK);
            // The store logs the add itself.
            return store_.addRecord(added);
        });
    if (answer)
        refreshAfterRecordCommand();
}

void BKController::editItemDoubleAction()
{
    if (!mViews_)
        return;
    const std::shared_ptr<OTVRecord> selected = itemPropertiesForTableViewSelectedRow();
    if (!selected) {
        // A double click on a type row of the tree expands or collapses it (the tree does that
        // itself); with nothing selected the pane and the views are brought up to date.
        refreshAfterRecordCommand();
        return;
    }
    if (!isCommandPermitted(kBKEditRecordMenuTag))
        return;
    int operation = kDetailsEdit;
    runDetailsWindow(selected, &operation, [this, selected](const std::shared_ptr<OTVRecord>& answer, int op) {
        // Saved as new it is added; saved into another group it is moved there.
        if (!checkForRecordPermissionFor(op == kDetailsDuplicate ? kPermissionAdd : kPermissionEdit, answer->mGroup()))
            return int(kOTVStatusOK);
        if (op == kDetailsDuplicate)
            return BKAddRecordAsNew(store_, *selected, answer).addStatus;
        return store_.replaceRecord(answer);
    });
    if (operation == kDetailsDelete) {
        deleteRecordFromWindow(selected);
        return;
    }
    refreshAfterRecordCommand();
}

void BKController::duplicateItem()
{
    if (!mViews_)
        return;
    const std::shared_ptr<OTVRecord> selected = itemPropertiesForTableViewSelectedRow();
    if (!selected || !isCommandPermitted(kBKDuplicateRecordMenuTag))
        return;
    const std::shared_ptr<OTVRecord> copy = OTVRecord::copyRecord(*selected);
    copy->setValue(1, selected->value(1) + BKLocalizedString(" Copy"));
    QString extracted;
    if (selected->mHasAttachment()) {
        extracted = extractAttachmentToPrivateFolder(*selected);
        if (extracted.isEmpty())
            return;   // the failure was reported
        copy->setMAttachmentPath(extracted);
    }
    int operation = kDetailsDuplicate;
    runDetailsWindow(copy, &operation, [this, selected](const std::shared_ptr<OTVRecord>& answer, int) {
        if (!checkForRecordPermissionFor(kPermissionAdd, answer->mGroup()))
            return int(kOTVStatusOK);
        const int status = BKAddRecordAsNew(store_, *selected, answer).addStatus;
        if (status == kOTVStatusOK) {
            const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
            store_.addLogEvent(QStringLiteral("Duplicate Record"), answer->value(1), QString(),
                               user ? user->mUsername() : QString());
        }
        return status;
    });
    // The plain copy of the attachment is not kept once the window has stored or dropped it.
    if (!extracted.isEmpty())
        QFile::remove(extracted);
    mViews_->initTypesUIControl();
    refreshAfterRecordCommand();
}

QString BKController::extractAttachmentToPrivateFolder(const OTVRecord& record)
{
    int status = kOTVStatusOK;
    const std::optional<QByteArray> bytes = store_.extractAttachmentDataForRecord(record, &status);
    if (!bytes || status != kOTVStatusOK) {
        showStoreStatusAlert(status != kOTVStatusOK ? status : kOTVStatusDatabaseError);
        return QString();
    }
    const QString path = attachmentFilePath(attachmentFolderPath(), record.mAttachmentName());
    // Never written through a link someone left in the folder.
    if (path.isEmpty() || QFileInfo(path).isSymLink())
        return QString();
    return BKWritePrivateFile(path, *bytes) ? path : QString();
}

void BKController::deleteSelected()
{
    if (!mViews_ || !isCommandPermitted(kBKDeleteRecordMenuTag))
        return;
    if (BKConfirmRecordDeletion()) {
        int status = kOTVStatusOK;
        switch (mViews_->currentView()) {
        case BKMainWindowViews::kListViewTag: {
            const OTVRecordList records = indexSetForExporting(false);
            if (records.isEmpty())
                break;
            // The row before the first deleted one becomes the selection (none before row 0).
            BKTableView* table = mViews_->listViewTypesTable();
            QList<int> rows;
            for (const QModelIndex& index : table->selectionModel()->selectedRows())
                rows.append(index.row());
            const int first = rows.isEmpty() ? 0 : *std::min_element(rows.begin(), rows.end());
            if (first > 0)
                table->selectionModel()->setCurrentIndex(table->model()->index(first - 1, 0),
                                                         QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
            else
                table->selectionModel()->clearSelection();
            for (auto it = records.crbegin(); it != records.crend() && status == kOTVStatusOK; ++it)
                status = store_.deleteRecord(*it);
            break;
        }
        default:
            // The column view lists records only under a type or a smart list; the tree selects one.
            if (const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow())
                status = store_.deleteRecord(record);
            break;
        }
        showStoreStatusAlert(status);
    }
    mViews_->initTypesUIControl();
    refreshAfterRecordCommand();
}

void BKController::deleteRecordFromWindow(const std::shared_ptr<OTVRecord>& record)
{
    if (!mViews_ || !record || !checkForRecordPermissionFor(kPermissionDelete, record->mGroup()))
        return;
    showStoreStatusAlert(store_.deleteRecord(record));
    mViews_->initTypesUIControl();
    refreshAfterRecordCommand();
}

// ---------------------------------------------------------------------------------------------
// Find and delete duplicates

QDialog* BKController::dedupeSheet()
{
    if (!mDedupeSheet_)
        mDedupeSheet_ = new DedupeSheet(mainWindow());
    return mDedupeSheet_;
}

void BKController::deDupe()
{
    if (!mViews_ || !isCommandPermitted(kBKFindDuplicatesMenuTag))
        return;
    // Only duplicates the user may delete are offered; the others stay as they are.
    OTVRecordList duplicates;
    for (const auto& record : OTVFindDuplicateRecords(store_.itemsOfGroup(nullptr, QString())))
        if (checkForRecordPermissionFor(kPermissionDelete, record->mGroup()))
            duplicates.append(record);
    if (duplicates.isEmpty()) {
        BKRunAlertPanel(QString(), BKLocalizedString("No duplicate item(s) found."), BKLocalizedString("OK"));
        return;
    }
    mDedupeItemsNames_.clear();
    for (const auto& record : duplicates)
        mDedupeItemsNames_.append(record->value(1));
    auto* sheet = static_cast<DedupeSheet*>(dedupeSheet());
    if (sheet->run(int(duplicates.size()), mDedupeItemsNames_) == kBKModalStop) {
        int status = kOTVStatusOK;
        for (auto it = duplicates.crbegin(); it != duplicates.crend() && status == kOTVStatusOK; ++it)
            status = store_.deleteRecord(*it);
        showStoreStatusAlert(status);
        mViews_->initTypesUIControl();
        refreshAfterRecordCommand();
    }
    mDedupeItemsNames_.clear();
}

// ---------------------------------------------------------------------------------------------
// Copy a field, masking, the details pane

void BKController::copyFieldValue(int tag)
{
    if (!checkForDataPermissionFor(kDataPermissionCopy))
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow();
    if (!record)
        return;
    QString text;
    if (tag == kCopyCategoryMenuItemTag)
        text = record->mGroup() ? record->mGroup()->mGroupName() : QString();
    else if (tag >= kCopyField1MenuItemTag && tag < kCopyField10MenuItemTag)
        text = record->value(tag - kCopyField1MenuItemTag + 1);
    else if (tag == kCopyField10MenuItemTag)
        text = OTVRecord::modificationDateDisplayText(record->value(kNoOfFields));
    else if (tag == kCopyNotesMenuItemTag)
        text = record->mNotes();
    else
        return;
    BKCopyToClipboard(text);
}

void BKController::unmask(bool masked)
{
    BKUserDefaults::standardUserDefaults().setObject(masked, kMaskingStatus);
    setShouldMask(masked);
    emit maskingChanged(masked);
}

void BKController::unmaskFromMenu()
{
    unmask(!shouldMask());
}

void BKController::toggleInfoView(bool shown)
{
    buildMainWindowViews();
    BKSplitter* split = mViews_->mainSplitView();
    QWidget* pane = mViews_->detailsViewContainer();
    if (!shown && !pane->isHidden()) {
        mDetailsPaneSizes_ = split->sizes();
        pane->hide();
    } else if (shown && pane->isHidden()) {
        pane->show();
        // A stored layout may have left the pane collapsed: it comes back at a width it can show.
        split->setCollapsible(split->indexOf(pane), false);
        split->setSizes(BKSizesShowingDetailsPane(mDetailsPaneSizes_, split->width(), split->handleWidth()));
    }
    if (store_.mCurrentUser()) {
        const int status = store_.setToggleInfo(shown);
        showStoreStatusAlert(status);
    }
    emit detailsPaneShownChanged(shown);
}

void BKController::toggleInfoViewFromMenu()
{
    toggleInfoView(!isDetailsPaneShown());
}

void BKController::updateDetailInfoViewWithRecord(const std::shared_ptr<OTVRecord>& record)
{
    BKDetailsView* details = detailsView();
    if (!details)
        return;
    details->setCopyAllowed(checkForDataPermissionFor(kDataPermissionCopy));
    if (!record) {
        details->resetDetailInfo();
    } else {
        // The pane masks what it draws itself; its copy button copies the real value.
        details->setHeaderTitle(BKFieldText(*record, 1, false));
        details->setHeaderImage(BKViewImages::typeIcon(store_, BKDisplayType(*record)));
        details->setDetailInfo(record);
    }
    details->update();
}

// ---------------------------------------------------------------------------------------------
// Customising a record's labels

void BKController::displayFieldCustomizePanel()
{
    const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow();
    if (!record || !record->mType() || !isCommandPermitted(kBKCustomizeMenuTag))
        return;
    BKTypeSettingsPanel& panel = typeSettingsPanel();
    panel.setCustomizing(true);
    panel.setShouldHideControls(true);
    panel.setResetInfo(record->mType());
    const OTVType& shown = record->mRecordCustomType() ? *record->mRecordCustomType() : *record->mType();
    int operation = BKTypeSettingsPanel::kCustomiseOperation;
    const std::shared_ptr<OTVType> answer =
        panel.runCustomSettingsPanelForWindow(mainWindow(), std::make_shared<OTVType>(shown), &operation);
    panel.setCustomizing(false);
    if (!answer)
        return;
    // The record changes only once the store took it: a refused write leaves it as it was.
    const std::optional<OTVType> previousType =
        record->mRecordCustomType() ? std::optional<OTVType>(*record->mRecordCustomType()) : std::nullopt;
    const bool previousCustomized = record->mIsCustomized();
    if (looksLikeType(*answer, *record->mType())) {
        record->setMRecordCustomType(std::nullopt);
        record->setMIsCustomized(false);
    } else {
        record->setMRecordCustomType(*answer);
        record->setMIsCustomized(true);
    }
    const int status = store_.replaceRecord(record);
    if (status != kOTVStatusOK) {
        record->setMRecordCustomType(previousType);
        record->setMIsCustomized(previousCustomized);
    }
    showStoreStatusAlert(status);
    refreshAfterRecordCommand();
}

// ---------------------------------------------------------------------------------------------
// Small commands

void BKController::selectAll()
{
    if (mViews_ && mViews_->currentView() == BKMainWindowViews::kListViewTag)
        mViews_->listViewTypesTable()->selectAll();
}

// The guide shipped beside the program, in the desktop's viewer for HTML.
void BKController::showHelp()
{
    const QString guide = BKUserGuide::path();
    if (guide.isEmpty()) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("The user guide is not installed."),
                        BKLocalizedString("OK"));
        return;
    }
    BKUserGuide::open(guide, [guide] {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                        BKLocalizedString("No application could open the user guide. It is the file %1.").arg(guide),
                        BKLocalizedString("OK"));
    });
}

void BKController::focusSearchField()
{
    if (!mViews_)
        return;
    QLineEdit* field = mViews_->searchField();
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
}

void BKController::clearClipBoardAction()
{
    clearClipBoard();
}
