#include "BKDetailsWindowController.h"

#include "BKController.h"
#include "BKCopyGuard.h"
#include "BKDialogButtons.h"
#include "BKIconSelectionPanel.h"
#include "BKMainWindowViews.h"
#include "BKViewImages.h"

#include "Customization/BKDrawnImage.h"
#include "Customization/BKPlainTextEdit.h"
#include "Customization/BKRecordWrites.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/Database_Engine/OTVStoreStatus.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVUser.h"
#include "Model/OTVUserRights.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kAddAttachmentImage = QStringLiteral("AddAttachment");
const QString kDeleteAttachmentImage = QStringLiteral("DeleteAttachment");
const char* const kIconNumberProperty = "iconNumber";
constexpr int kFieldLabelWidth = 130;
const char* const kImageNameProperty = "imageName";

QImage attachmentStateImage(bool add)
{
    return BKViewImages::namedImage(add ? kAddAttachmentImageName : kDeleteAttachmentImageName);
}

// A small calendar leaf: the date buttons.
QImage dateButtonImage()
{
    return BKDrawnImage(14, [](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 11, 10));
        p.fillRect(QRectF(2, 3, 10, 3), QColor(200, 60, 60));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int x = 4; x <= 10; x += 3)
            for (int y = 8; y <= 10; y += 2)
                p.drawPoint(x, y);
    });
}

} // namespace

BKDetailsWindowController& BKDetailsWindowController::sharedDetailsController()
{
    static BKDetailsWindowController* shared = new BKDetailsWindowController;   // lives for the process
    return *shared;
}

BKDetailsWindowController::BKDetailsWindowController(OTVDataBase* store)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), mStore_(store)
{
    setObjectName(QStringLiteral("BKDetailWindow"));
    setWindowTitle(BKLocalizedString("Record Details"));
    setWindowModality(Qt::ApplicationModal);
    buildWindow();
    buildIconPanel();
}

BKDetailsWindowController::~BKDetailsWindowController() = default;

OTVDataBase& BKDetailsWindowController::store() const
{
    return mStore_ ? *mStore_ : OTVDataBase::sharedOTVDataBase();
}

// ---------------------------------------------------------------------------------------------
// The window

void BKDetailsWindowController::buildWindow()
{
    auto* layout = new QVBoxLayout(this);

    auto* choosers = new QHBoxLayout;
    mCategoriesPopupButton_ = new BKPopUpButton(this);
    mCategoriesPopupButton_->setObjectName(QStringLiteral("mCategoriesPopupButton"));
    mTypesPopupButton_ = new BKPopUpButton(this);
    mTypesPopupButton_->setObjectName(QStringLiteral("mTypesPopupButton"));
    mIconSelectionButton_ = new QToolButton(this);
    mIconSelectionButton_->setObjectName(QStringLiteral("mIconSelectionButton"));
    mIconSelectionButton_->setIconSize(QSize(24, 24));
    mIconSelectionButton_->setToolTip(BKLocalizedString("Choose Icon"));
    choosers->addWidget(new QLabel(BKLocalizedString("Group:"), this));
    choosers->addWidget(mCategoriesPopupButton_, 1);
    choosers->addSpacing(12);
    choosers->addWidget(new QLabel(BKLocalizedString("Type:"), this));
    choosers->addWidget(mTypesPopupButton_, 1);
    choosers->addSpacing(12);
    choosers->addWidget(mIconSelectionButton_);
    layout->addLayout(choosers);

    // Fields 1-5 in the left column, 6-10 in the right one.
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    const QIcon dateIcon(QPixmap::fromImage(dateButtonImage()));
    for (int field = 1; field <= kNoOfFields; ++field) {
        const size_t index = size_t(field - 1);
        const int row = (field - 1) % kDetailsMatrixControlCount;
        const int column = field <= kDetailsMatrixControlCount ? 0 : 5;
        auto* label = new QLabel(BKGenericFieldLabel(field), this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Labels of one width, a long one wrapped: the window keeps its width when the type changes.
        label->setFixedWidth(kFieldLabelWidth);
        label->setWordWrap(true);
        auto* value = new QLineEdit(this);
        value->setObjectName(QStringLiteral("mValue%1").arg(field));
        value->setMinimumWidth(170);
        value->installEventFilter(this);
        auto* mark = new QLabel(this);
        mark->setFixedWidth(10);
        auto* date = new QToolButton(this);
        date->setIcon(dateIcon);
        date->setProperty("tag", field);
        date->setToolTip(BKLocalizedString("Choose a Date"));
        // The date buttons come and go with the labels; their room stays.
        QSizePolicy keepRoom = date->sizePolicy();
        keepRoom.setRetainSizeWhenHidden(true);
        date->setSizePolicy(keepRoom);
        date->hide();
        connect(date, &QToolButton::clicked, this, [this, field] { displayDatePickerWindow(field); });
        fields->addWidget(label, row, column);
        fields->addWidget(value, row, column + 1);
        fields->addWidget(mark, row, column + 2);
        fields->addWidget(date, row, column + 3);
        mLabelCells_[index] = label;
        mValueFields_[index] = value;
        mMaskCells_[index] = mark;
        mDateButtons_[index] = date;
    }
    // Field 10 is the modification date: shown, never read back.
    mValueFields_[kNoOfFields - 1]->setReadOnly(true);
    mLabelCells_[kNoOfFields - 1]->setText(BKLocalizedString("Date Modified"));
    fields->setColumnMinimumWidth(4, 16);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(6, 1);
    layout->addLayout(fields);
    for (int field = 1; field < kNoOfFields; ++field)
        setTabOrder(mValueFields_[size_t(field - 1)], mValueFields_[size_t(field)]);

    layout->addWidget(new QLabel(BKLocalizedString("Notes:"), this));
    mNotesTextView_ = new BKPlainTextEdit(this);
    mNotesTextView_->setObjectName(QStringLiteral("mNotesTextView"));
    mNotesTextView_->setTabChangesFocus(true);
    mNotesTextView_->setMinimumHeight(90);
    layout->addWidget(mNotesTextView_, 1);
    // What the window shows leaves it only with the user's Copy right.
    const auto mayCopy = [this] {
        return OTVUserRights(store().mCurrentUser().get(), store().isAdministratorSession())
            .mayUseData(kDataPermissionCopy);
    };
    for (QLineEdit* value : mValueFields_)
        BKCopyGuard::guard(value, mayCopy);
    BKCopyGuard::guard(mNotesTextView_, mayCopy);

    auto* attachment = new QHBoxLayout;
    attachment->addWidget(new QLabel(BKLocalizedString("Attachment:"), this));
    mAttachmentName_ = new QLabel(this);
    mAttachmentName_->setObjectName(QStringLiteral("mAttachmentName"));
    mAttachmentName_->setTextFormat(Qt::PlainText);
    mAttachmentButton_ = new QToolButton(this);
    mAttachmentButton_->setObjectName(QStringLiteral("mAttachmentButton"));
    attachment->addWidget(mAttachmentName_, 1);
    attachment->addWidget(mAttachmentButton_);
    layout->addLayout(attachment);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* title, void (BKDetailsWindowController::*action)()) {
        auto* pushButton = new QPushButton(BKLocalizedString(title), this);
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, action);
        buttons->addWidget(pushButton);
        return pushButton;
    };
    mDeleteButton_ = button("Delete", &BKDetailsWindowController::deleteItem);
    mDuplicateButton_ = button("Duplicate", &BKDetailsWindowController::duplicateItem);
    mPrintButton_ = button("Print...", &BKDetailsWindowController::printRecord);
    mCustomizeButton_ = button("Customize...", &BKDetailsWindowController::displayCustomSettingsPanel);
    mGenerateButton_ = button("Generate Password...", &BKDetailsWindowController::displayPasswordSelectionPanel);
    mAutoFillButton_ = button("AutoFill", &BKDetailsWindowController::webLogin);
    QSizePolicy keepRoom = mAutoFillButton_->sizePolicy();   // the window keeps its width without it
    keepRoom.setRetainSizeWhenHidden(true);
    mAutoFillButton_->setSizePolicy(keepRoom);
    buttons->addStretch(1);
    mCancelButton_ = button("Cancel", &BKDetailsWindowController::detailPanelCancel);
    mOKButton_ = button("OK", &BKDetailsWindowController::detailPanelOK);
    mOKButton_->setDefault(true);
    layout->addLayout(buttons);

    // The inline date picker floats over the fields; hidden until a date button opens it.
    mDatePicker_ = new QCalendarWidget(this);
    mDatePicker_->setObjectName(QStringLiteral("mDatePicker"));
    mDatePicker_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    mDatePicker_->setAutoFillBackground(true);
    QPalette palette = mDatePicker_->palette();
    const QColor selection = palette.color(QPalette::Highlight);
    palette.setColor(QPalette::Base, QColor::fromRgbF(selection.redF() + (1 - selection.redF()) * 0.6f,
                                                      selection.greenF() + (1 - selection.greenF()) * 0.6f,
                                                      selection.blueF() + (1 - selection.blueF()) * 0.6f));
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    palette.setColor(QPalette::Text, Qt::blue);
    mDatePicker_->setPalette(palette);
    mDatePicker_->hide();
    connect(mDatePicker_, &QCalendarWidget::clicked, this, [this] { disposeDatePicker(); });
    connect(mDatePicker_, &QCalendarWidget::activated, this, [this] { disposeDatePicker(); });

    connect(mAttachmentButton_, &QToolButton::clicked, this, &BKDetailsWindowController::attachdetachFile);
    connect(mIconSelectionButton_, &QToolButton::clicked, this, &BKDetailsWindowController::displayIconSelectionPanel);
    connect(mTypesPopupButton_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { changeTypeSelection(true); });
    connect(mTypesPopupButton_, &BKPopUpButton::aboutToPopup, this,
            [this] { mPriviousTypeSelection_ = mTypesPopupButton_->currentIndex(); });
    connect(mCategoriesPopupButton_, &BKPopUpButton::aboutToPopup, this,
            [this] { mPriviousGroupSelection_ = mCategoriesPopupButton_->currentIndex(); });
    connect(mCategoriesPopupButton_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &BKDetailsWindowController::enableCommandsForChoices);
    connect(mValueFields_[3], &QLineEdit::textChanged, this, &BKDetailsWindowController::enableCommandsForChoices);
    setAlternateInfoToAttachmentButton(false);
    setIconNumber(kDefaultIconID);
}

void BKDetailsWindowController::resetDetailSettingsUI()
{
    mNotesTextView_->clear();
    for (int field = 1; field <= kNoOfFields; ++field) {
        valueField(field)->clear();
        maskCell(field)->clear();
    }
    for (int field = 6; field < kNoOfFields; ++field)
        labelCell(field)->setText(BKGenericFieldLabel(field));
    mDatePicker_->hide();
}

void BKDetailsWindowController::setIconNumber(int number)
{
    mIconSelectionButton_->setProperty(kIconNumberProperty, number);
    mIconSelectionButton_->setProperty(kImageNameProperty, QStringLiteral("Icon%1").arg(number));
    QImage image = store().getImageFromIconIndex(number);
    if (image.isNull()) {
        OTVType standIn;
        standIn.setMTypeIconID(number);
        image = BKViewImages::typeIcon(store(), &standIn);
    }
    mIconSelectionButton_->setIcon(QIcon(QPixmap::fromImage(image)));
}

int BKDetailsWindowController::shownIconNumber() const
{
    const int number = mIconSelectionButton_->property(kIconNumberProperty).toInt();
    return number == 0 ? mSelectedImageID_ : number;
}

void BKDetailsWindowController::setAlternateInfoToAttachmentButton(bool removeState)
{
    mHasAttachmentState_ = removeState;
    mAttachmentButton_->setProperty(kImageNameProperty, removeState ? kDeleteAttachmentImage : kAddAttachmentImage);
    mAttachmentButton_->setIcon(QIcon(QPixmap::fromImage(attachmentStateImage(!removeState))));
    mAttachmentButton_->setToolTip(BKLocalizedString(removeState ? "Delete Attachment" : "Add Attachment"));
}

// ---------------------------------------------------------------------------------------------
// Opening and the answer

std::shared_ptr<OTVRecord> BKDetailsWindowController::orderFrontDetailsWindowWithInfo(
    const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter& write)
{
    if (!info || !operation)
        return nullptr;
    mAnswerWriter_ = write;
    mAnswer_.reset();
    mOpenedOperation_ = *operation;
    mShouldDeleteItem_ = mShouldDuplicateItem_ = mStateForDuplicate_ = false;
    mShouldAddRecord_ = mShouldEditRecord_ = mAttachmentModified_ = false;
    mAttachmentPath_.clear();
    mCustom_ = BKCustomTypeState();
    mIsPanelDisplayed_ = false;
    mLastValueField_ = nullptr;

    // The buttons that add, delete or print follow the user's permission words.
    const OTVUserRights rights(store().mCurrentUser().get(), store().isAdministratorSession());
    mDeleteButton_->setEnabled(*operation == kDetailsEdit &&
                               rights.mayChangeRecords(kPermissionDelete, info->mGroup().get()));
    mPrintButton_->setEnabled(rights.mayUseData(kDataPermissionPrint));
    mShouldEditRecord_ = *operation == kDetailsEdit;
    mStateForDuplicate_ = *operation == kDetailsDuplicate;
    mShouldAddRecord_ = *operation == kDetailsAdd;

    // The window works on its own copy of the record's labels: the given record (the store's)
    // stays as it is until the caller stores the answer.
    mCurrentRecord_ = info;
    mRecordCustomType_.reset();
    if (info->mIsCustomized() && info->mRecordCustomType())
        mRecordCustomType_ = *info->mRecordCustomType();
    mCustom_.typeCustomFields = mRecordCustomType_;

    resetDetailSettingsUI();
    updateUIWithMaskInfo(mRecordCustomType_ ? &*mRecordCustomType_ : info->mType().get());
    updateDetailPanelFieldsWithRecord(*info);
    enableCommandsForChoices();
    valueField(1)->setFocus();
    valueField(1)->selectAll();

    BKCentreOverParent(this);
    int response = exec();
    // Only OK, Cancel and Delete end an opening: the lock hides the window (which ends its
    // loop) and shows it again at the unlock, with what was typed, to be finished.
    while (response != kBKModalStop && response != kBKModalAbort && isVisible())
        response = exec();

    std::shared_ptr<OTVRecord> result;
    if (response == kBKModalStop && mAnswer_) {
        result = mAnswer_;
        *operation = mAnswerOperation_;
    } else if (response == kBKModalStop) {
        result = answerFromUI(mCustom_, operation);
    } else if (mShouldDeleteItem_) {
        *operation = kDetailsDelete;
    }
    mAnswerWriter_ = nullptr;
    mAnswer_.reset();
    mAttachmentPath_.clear();
    mCurrentRecord_.reset();
    mRecordCustomType_.reset();
    mCustom_.customizing = false;
    return result;
}

void BKDetailsWindowController::initGroupUIControl(const OTVRecord& record)
{
    const OTVGroupList groups = store().groupsForEditing();
    QSignalBlocker blocker(mCategoriesPopupButton_);
    mCategoriesPopupButton_->clear();
    for (int index = 0; index < groups.size(); ++index)
        mCategoriesPopupButton_->addItem(groups.at(index)->mGroupName(), index);
    const QString name = record.mGroup() ? record.mGroup()->mGroupName() : QString();
    const int found = name.isNull() ? -1 : mCategoriesPopupButton_->findText(name, Qt::MatchExactly);
    mCategoriesPopupButton_->setCurrentIndex(found >= 0 ? found : (groups.isEmpty() ? -1 : 0));
}

void BKDetailsWindowController::initTypesUIControl(const OTVRecord& record)
{
    const OTVTypeList types = store().typesForEditing();
    QSignalBlocker blocker(mTypesPopupButton_);
    mTypesPopupButton_->clear();
    for (int index = 0; index < types.size(); ++index)
        mTypesPopupButton_->addItem(types.at(index)->mTypeName(), index);
    mTypesPopupButton_->setEnabled(!types.isEmpty());
    if (!types.isEmpty())
        setIconNumber(types.first()->mTypeIconID().value_or(kDefaultIconID));
    const QString name = record.mType() ? record.mType()->mTypeName() : QString();
    const int found = name.isNull() ? -1 : mTypesPopupButton_->findText(name, Qt::MatchExactly);
    mTypesPopupButton_->setCurrentIndex(found >= 0 ? found : (types.isEmpty() ? -1 : 0));
}

std::shared_ptr<BKGroup> BKDetailsWindowController::selectedGroup() const
{
    const OTVGroupList groups = store().groupsForEditing();
    const int index = mCategoriesPopupButton_->currentIndex();
    return index >= 0 && index < groups.size() ? groups.at(index) : nullptr;
}

std::shared_ptr<OTVType> BKDetailsWindowController::selectedType() const
{
    const OTVTypeList types = store().typesForEditing();
    const int index = mTypesPopupButton_->currentIndex();
    return index >= 0 && index < types.size() ? types.at(index) : nullptr;
}

const OTVType* BKDetailsWindowController::effectiveType() const
{
    if (mCustom_.isCustomFromDetailPanel && mCustom_.typeCustomFields)
        return &*mCustom_.typeCustomFields;
    if (mRecordCustomType_)
        return &*mRecordCustomType_;
    return selectedType().get();
}

bool BKDetailsWindowController::noTypeExists() const
{
    return mTypesPopupButton_->count() == 0;
}

void BKDetailsWindowController::updateDetailPanelFieldsWithRecord(const OTVRecord& record)
{
    initGroupUIControl(record);
    initTypesUIControl(record);
    changeTypeSelection(false);
    mNotesTextView_->setPlainText(record.mNotes());

    const QString modified = record.value(kNoOfFields);
    if (mStateForDuplicate_)
        valueField(kNoOfFields)->setText(
            OTVRecord::modificationDateDisplayText(OTVRecord::modificationDateText(QDateTime::currentDateTime())));
    else if (!modified.isEmpty())
        valueField(kNoOfFields)->setText(OTVRecord::modificationDateDisplayText(modified));

    const OTVType* type = effectiveType();
    if (type)
        setIconNumber(type->mTypeIconID().value_or(kDefaultIconID));
    for (int field = 1; field < kNoOfFields; ++field) {
        const QString value = record.value(field);
        if (!value.isNull())
            valueField(field)->setText(value);
    }
    showLabelsAndMarks(type, true);

    const bool attached = record.mHasAttachment();
    mAttachmentName_->setText(attached ? record.mAttachmentName() : QString());
    setAlternateInfoToAttachmentButton(attached);
}

void BKDetailsWindowController::showLabelsAndMarks(const OTVType* type, bool genericForEmpty)
{
    for (int field = 1; field < kNoOfFields; ++field) {
        const QString label = type ? type->label(field).trimmed() : QString();
        dateButton(field)->setVisible(!label.isEmpty() && BKLabelShowsDateButton(label));
        if (!label.isEmpty())
            labelCell(field)->setText(label);
        else if (genericForEmpty)
            labelCell(field)->setText(BKGenericFieldLabel(field));
    }
    const std::optional<int> mask = type ? type->mTypeMask() : std::nullopt;
    for (int field = 1; field <= kNoOfFields; ++field)
        maskCell(field)->setText(BKFieldIsMasked(mask, field) ? kDetailsMaskMark : QString());
}

void BKDetailsWindowController::updateUIWithMaskInfo(const OTVType* type)
{
    showLabelsAndMarks(type, false);
}

void BKDetailsWindowController::changeTypeSelection(bool byUser)
{
    const std::shared_ptr<OTVType> type = selectedType();
    if (byUser) {
        // The user's own choice of type: the labels of the record's own go.
        mRecordCustomType_.reset();
        mCustom_ = BKCustomTypeState();
    }
    mAutoFillButton_->setVisible(type && type->mTypeUID() == kWebLoginUID && mWebLogin_);
    enableCommandsForChoices();
    if (!type)
        return;
    const OTVType* shown = byUser ? type.get() : effectiveType();
    setIconNumber(shown->mTypeIconID().value_or(kDefaultIconID));
    showLabelsAndMarks(shown, true);
}

BKDetailsForm BKDetailsWindowController::formFromUI() const
{
    BKDetailsForm form;
    form.group = selectedGroup();
    form.type = selectedType();
    for (int field = 1; field < kNoOfFields; ++field)
        form.values[size_t(field - 1)] = valueField(field)->text();
    form.notes = mNotesTextView_->toPlainText();
    form.iconNumber = shownIconNumber();
    form.attachmentName = mAttachmentName_->text();
    form.pendingAttachmentPath = mAttachmentPath_;
    form.attachmentModified = mAttachmentModified_;
    form.duplicateMode = mStateForDuplicate_;
    return form;
}

std::shared_ptr<OTVRecord> BKDetailsWindowController::itemRecordFromUIWithCustomInfo(const OTVType* customType)
{
    return BKRecordFromForm(formFromUI(), customType, mCustom_, QDateTime::currentDateTime());
}

std::shared_ptr<OTVRecord> BKDetailsWindowController::answerFromUI(BKCustomTypeState& state, int* operation) const
{
    const std::shared_ptr<OTVRecord> answer = BKRecordFromForm(
        formFromUI(), mRecordCustomType_ ? &*mRecordCustomType_ : nullptr, state, QDateTime::currentDateTime());
    if (mShouldDuplicateItem_ || mStateForDuplicate_)
        *operation = kDetailsDuplicate;
    else if (*operation == kDetailsEdit)
        BKTakeIdentityForReplace(*answer, *mCurrentRecord_, mAttachmentModified_);
    return answer;
}

// The caller's write runs before the window closes: a refusal is told and the window stays,
// with everything typed. A lost connection ends the session instead: the window closes.
bool BKDetailsWindowController::writeAnswer()
{
    mAnswer_.reset();
    if (!mAnswerWriter_)
        return true;
    BKCustomTypeState state = mCustom_;
    int operation = mOpenedOperation_;
    const std::shared_ptr<OTVRecord> answer = answerFromUI(state, &operation);
    const int status = mAnswerWriter_(answer, operation);
    if (status != kOTVStatusOK && !OTVIsLostConnectionStatus(status)) {
        if (!mQuiet_)
            OTVShowStatusAlert(status, store().lastServerMessage());
        return false;
    }
    mCustom_ = state;
    mAnswer_ = answer;
    mAnswerOperation_ = operation;
    return true;
}

bool BKDetailsWindowController::commitBeforeLock()
{
    if (!isVisible())
        return true;
    mQuiet_ = true;
    detailPanelOK();
    mQuiet_ = false;
    return !isVisible();
}

void BKDetailsWindowController::alert(const char* message)
{
    if (mQuiet_)
        return;
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString(message), BKLocalizedString("OK"));
}

// A value that the store would refuse is named before the window closes: what was typed stays.
bool BKDetailsWindowController::valuesCanBeStored()
{
    const int field = BKFirstUnstorableField(formFromUI());
    if (field == 0)
        return true;
    if (!mQuiet_)
        BKShowUnstorableValue(labelCell(field)->text(), valueField(field));
    return false;
}

// ---------------------------------------------------------------------------------------------
// OK, Cancel, Delete, close

void BKDetailsWindowController::detailPanelOK()
{
    if (noTypeExists()) {
        alert("Record must belong to some type. Please add a type.");
        return;
    }
    if (mIconSelectionPanel_->isVisible()) {
        customIconPanelOk();
        return;
    }
    if (!selectedGroup()) {
        alert("You need to set the group and type first");
        return;
    }
    // The group chosen must take the record: told now, the user can choose another and loses
    // nothing of what was typed.
    const bool adding = mShouldAddRecord_ || mShouldDuplicateItem_ || mStateForDuplicate_;
    const OTVUserRights rights(store().mCurrentUser().get(), store().isAdministratorSession());
    if (!rights.mayChangeRecords(adding ? kPermissionAdd : kPermissionEdit, selectedGroup().get())) {
        alert(adding ? "You may not add records to this group. Please choose another group."
                     : "You may not change records of this group. Please choose another group.");
        return;
    }
    if (!valuesCanBeStored())
        return;
    const QString notes = mNotesTextView_->toPlainText();
    if (notes.size() > kDetailsNotesLimit) {
        // Cut only before the user's eyes: the lock leaves the notes as typed.
        if (mQuiet_)
            return;
        mNotesTextView_->setPlainText(BKTruncatedNotes(notes));
        alert("The Note Field was truncated to 4000 characters.");
        return;
    }
    if (!writeAnswer())
        return;
    done(kBKModalStop);
}

void BKDetailsWindowController::detailPanelCancel()
{
    done(kBKModalAbort);
}

void BKDetailsWindowController::deleteItem()
{
    if (!mDeleteButton_->isEnabled())
        return;
    // Asked while the window is up: No (Esc, the close box) goes back to what was typed.
    if (!BKConfirmRecordDeletion())
        return;
    mShouldDeleteItem_ = true;
    done(kBKModalAbort);
}

void BKDetailsWindowController::reject()
{
    mDatePicker_->hide();
    done(kBKModalAbort);
}

void BKDetailsWindowController::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (isVisible())
        reject();
}

// ---------------------------------------------------------------------------------------------
// Duplicate

void BKDetailsWindowController::duplicateItem()
{
    // The copy is stored in the group chosen now.
    const OTVUserRights rights(store().mCurrentUser().get(), store().isAdministratorSession());
    const std::shared_ptr<BKGroup> group = selectedGroup();
    if (!mDuplicateButton_->isEnabled() || (group && !rights.mayChangeRecords(kPermissionAdd, group.get())))
        return;
    if (noTypeExists() || !selectedGroup()) {
        alert("You need to set the group and type first");
        return;
    }
    if (mStateForDuplicate_ && !valuesCanBeStored())
        return;
    mDeleteButton_->setEnabled(false);
    mShouldDuplicateItem_ = true;
    if (mStateForDuplicate_)
        storeDuplicateNow();
    QLineEdit* first = valueField(1);
    first->setText(first->text() + BKLocalizedString(" Copy"));
    mStateForDuplicate_ = true;
}

// The second press: the content is stored at once as a new record.
void BKDetailsWindowController::storeDuplicateNow()
{
    const std::shared_ptr<OTVRecord> record =
        itemRecordFromUIWithCustomInfo(mRecordCustomType_ ? &*mRecordCustomType_ : nullptr);
    if (!mAttachmentModified_ && record->mHasAttachment()) {
        const QString givenPath = mCurrentRecord_->mAttachmentPath();
        if (!givenPath.isEmpty()) {
            record->setMAttachmentPath(givenPath);
            record->setMAttachmentState(kAttachmentStoreFile);
        } else {
            record->setMAttachmentState(kAttachmentCopyRow);
        }
    }
    const BKAddAsNewResult added = BKAddRecordAsNew(store(), *mCurrentRecord_, record);
    OTVShowStatusAlert(added.addStatus);
    if (added.addStatus != kOTVStatusOK)
        return;   // nothing was stored: nothing to log
    const std::shared_ptr<OTVUser> user = store().mCurrentUser();
    store().addLogEvent(QStringLiteral("Duplicate Record"), record->value(1), QString(),
                        user ? user->mUsername() : QString());
}

void BKDetailsWindowController::enableCommandsForChoices()
{
    const OTVUserRights rights(store().mCurrentUser().get(), store().isAdministratorSession());
    const std::shared_ptr<BKGroup> group = selectedGroup();
    mDuplicateButton_->setEnabled(group && rights.mayChangeRecords(kPermissionAdd, group.get()));
    mAutoFillButton_->setEnabled(!BKWebLoginUrl(valueField(4)->text()).isEmpty());
}

void BKDetailsWindowController::webLogin()
{
    if (!mWebLogin_ || mAutoFillButton_->isHidden() || !mAutoFillButton_->isEnabled())
        return;
    // Built as OK would build it, on a copy of the customising state: nothing of it is kept.
    BKCustomTypeState state = mCustom_;
    const std::shared_ptr<OTVRecord> shown = BKRecordFromForm(
        formFromUI(), mRecordCustomType_ ? &*mRecordCustomType_ : nullptr, state, QDateTime::currentDateTime());
    mWebLogin_(*shown);
}

// ---------------------------------------------------------------------------------------------
// Events

void BKDetailsWindowController::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
}

void BKDetailsWindowController::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

bool BKDetailsWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int field = 1; field < kNoOfFields; ++field)
            if (watched == valueField(field))
                mLastValueField_ = valueField(field);
    }
    if (!mDatePicker_ || !mDatePicker_->isVisible())
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton)
            removeDatePicker(mapFromGlobal(mouse->globalPosition().toPoint()));
    } else if (event->type() == QEvent::KeyPress) {
        // Key presses carry no position: they close the picker unless they are typed into it. The
        // receiver says where they were typed (the focus widget is unknown while the window is not
        // active); the window's own widgets above the picker only see keys passed up from below.
        const bool intoPicker = widget == mDatePicker_ || mDatePicker_->isAncestorOf(widget);
        const bool passedUp = widget->isAncestorOf(mDatePicker_);
        if (!intoPicker && !passedUp)
            mDatePicker_->hide();
    }
    return QDialog::eventFilter(watched, event);
}
