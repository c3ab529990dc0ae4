#include "BKTypeSettingsPanel.h"

#include "BKIconSelectionPanel.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Customization/BKImageMatrix.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVTextFits.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVType.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kFieldsPerColumn = 5;

void showAlert(const QString& message)
{
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), message, BKLocalizedString("OK"));
}

} // namespace

BKTypeSettingsPanel::BKTypeSettingsPanel(OTVDataBase& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("mCustomSettingsPanel"));
    setWindowTitle(BKLocalizedString("Type Settings"));
    iconChooser_ = [this](QWidget*, int current) { return iconSelectionPanel().chooseIcon(current); };

    mTypeNameLable_ = new QLabel(BKLocalizedString("Type Name:"), this);
    mTypeNameField_ = new QLineEdit(this);
    mTypeNameField_->setObjectName(QStringLiteral("mTypeNameField"));
    mIconLabel_ = new QLabel(BKLocalizedString("Icon:"), this);
    mCustomIconButton_ = new QToolButton(this);
    mCustomIconButton_->setObjectName(QStringLiteral("mCustomIconButton"));
    mCustomIconButton_->setIconSize(QSize(24, 24));
    mCustomIconButton_->setFixedSize(36, 36);
    mCustomIconButton_->setToolTip(BKLocalizedString("Choose Icon"));
    connect(mCustomIconButton_, &QToolButton::clicked, this, [this] { chooseIcon(); });
    mGroupNameLabel_ = new QLabel(BKLocalizedString("Group:"), this);
    mGroupSelectionPopupForType_ = new QComboBox(this);
    mGroupSelectionPopupForType_->setObjectName(QStringLiteral("mGroupSelectionPopupForType"));
    mGroupSelectionPopupForType_->setMinimumContentsLength(16);

    auto* top = new QGridLayout;
    top->addWidget(mTypeNameLable_, 0, 0);
    top->addWidget(mTypeNameField_, 0, 1);
    top->addWidget(mIconLabel_, 0, 2);
    top->addWidget(mCustomIconButton_, 0, 3);
    top->addWidget(mGroupNameLabel_, 1, 0);
    top->addWidget(mGroupSelectionPopupForType_, 1, 1);
    top->setColumnStretch(1, 1);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(BKLocalizedString("Field Labels"), this), 0, 0);
    fields->addWidget(new QLabel(BKLocalizedString("Mask"), this), 0, 1);
    fields->addWidget(new QLabel(BKLocalizedString("Field Labels"), this), 0, 3);
    fields->addWidget(new QLabel(BKLocalizedString("Mask"), this), 0, 4);
    for (int field = 1; field <= kNoOfFields; ++field) {
        auto* label = new QLineEdit(this);
        label->setObjectName(QStringLiteral("mFieldLabel%1").arg(field));
        auto* mask = new QCheckBox(this);
        mask->setObjectName(QStringLiteral("mFieldMask%1").arg(field));
        mask->setToolTip(BKLocalizedString("Show this field masked"));
        // Fields 1-5 in the first column, 6-10 in the second.
        const int row = 1 + (field - 1) % kFieldsPerColumn;
        const int column = field <= kFieldsPerColumn ? 0 : 3;
        fields->addWidget(label, row, column);
        fields->addWidget(mask, row, column + 1);
        mLabels_[field - 1] = label;
        mMasks_[field - 1] = mask;
    }
    mLabels_[kNoOfFields - 1]->setReadOnly(true);   // the modification date's label is fixed
    fields->setColumnMinimumWidth(2, 16);
    fields->setColumnStretch(0, 1);
    fields->setColumnStretch(3, 1);

    mResetButton_ = new QPushButton(BKLocalizedString("Reset"), this);
    mResetButton_->setObjectName(QStringLiteral("mResetButton"));
    mResetButton_->setAutoDefault(false);
    connect(mResetButton_, &QPushButton::clicked, this, [this] { customSettingsReset(); });
    QDialogButtonBox* buttons = BKMakeOkCancelButtons(this, [this] { customSettingsOK(); }, [this] { customSettingsCancel(); });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(mResetButton_);
    bottom->addWidget(buttons, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addLayout(bottom);
    setIconNumber(kDefaultIconID);
}

QString BKTypeSettingsPanel::defaultLabel(int field)
{
    if (field == kNoOfFields)
        return BKLocalizedString("Date Mod");
    return QStringLiteral("%1 %2").arg(BKLocalizedString("Field")).arg(field);
}

void BKTypeSettingsPanel::setIconNumber(int number)
{
    mIconNumber_ = number;
    const QImage image = store_.getImageFromIconIndex(number);
    mCustomIconButton_->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
    mCustomIconButton_->setProperty("iconNumber", number);
}

std::shared_ptr<OTVType> BKTypeSettingsPanel::runCustomSettingsPanelForWindow(QWidget* window,
                                                                            const std::shared_ptr<OTVType>& type,
                                                                            int* operation)
{
    mOperation_ = operation ? *operation : kAddOperation;
    mTempCustomTypeReference_ = type;
    mShouldEditType_ = false;
    mPreviousTypeName_.clear();
    mOldTypeName_.clear();
    mGroupSelectionPopupForType_->setVisible(true);
    mGroupNameLabel_->setVisible(true);
    if (mOperation_ == kEditOperation && type) {
        mPreviousTypeName_ = type->mTypeName();
        mShouldEditType_ = true;
    } else if (mOperation_ == kCustomiseOperation) {
        mGroupSelectionPopupForType_->setVisible(false);
        mGroupNameLabel_->setVisible(false);
    }
    const bool hide = mShouldHideControls_;
    for (QWidget* control : std::initializer_list<QWidget*>{mCustomIconButton_, mIconLabel_, mTypeNameField_,
                                                            mTypeNameLable_})
        control->setVisible(!hide);
    mResetButton_->setVisible(hide);
    initGroupUIControlForTypePanel();
    if (type) {
        mOldTypeName_ = type->mTypeName();
        initUIControlsWithInfo(*type);
    } else {
        resetCustomSettingsUI();
    }

    if (window != parentWidget())
        setParent(window, windowFlags());
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    BKCentreOverParent(this);
    std::shared_ptr<OTVType> result;
    if (exec() == kBKModalStop) {
        if (type && mShouldEditType_) {
            result = OTVType::createCopyforType(*type);
            typeValuesFromUI(*result);
        } else {
            result = customTypeFromUI();
            if (operation)
                *operation = kAddOperation;
        }
        setCustomizing(true);
    }
    mShouldEditType_ = false;
    mTempCustomTypeReference_.reset();
    setShouldHideControls(false);
    return result;
}

void BKTypeSettingsPanel::initGroupUIControlForTypePanel()
{
    mGroupSelectionPopupForType_->clear();
    for (const std::shared_ptr<BKGroup>& group : store_.groupsForEditing())
        mGroupSelectionPopupForType_->addItem(group->mGroupName(), group->mGroupUID());
    // A new type offers the first group; a type's own group, or none, is shown when filling.
    mGroupSelectionPopupForType_->setCurrentIndex(mGroupSelectionPopupForType_->count() > 0 ? 0 : -1);
}

void BKTypeSettingsPanel::initUIControlsWithInfo(const OTVType& type)
{
    const std::shared_ptr<BKGroup> group = store_.groupWithUID(type.mSelectedGroupUID());
    mGroupSelectionPopupForType_->setCurrentIndex(
        group ? mGroupSelectionPopupForType_->findText(group->mGroupName(), Qt::MatchExactly) : -1);
    if (!type.mTypeName().isEmpty())
        mTypeNameField_->setText(type.mTypeName());
    const int mask = type.mTypeMask().value_or(0);
    for (int field = 1; field <= kNoOfFields; ++field) {
        const QString label = type.label(field);
        mLabels_[field - 1]->setText(field == kNoOfFields || label.isEmpty() ? defaultLabel(field) : label);
        mMasks_[field - 1]->setChecked(mask & (1 << (field - 1)));
    }
    setIconNumber(type.mTypeIconID().value_or(kDefaultIconID));
}

void BKTypeSettingsPanel::resetCustomSettingsUI()
{
    mTypeNameField_->clear();
    for (int field = 1; field <= kNoOfFields; ++field) {
        mLabels_[field - 1]->setText(defaultLabel(field));
        mMasks_[field - 1]->setChecked(false);
    }
    setIconNumber(kDefaultIconID);
}

void BKTypeSettingsPanel::labelsAndMaskFromUI(OTVType& type) const
{
    int mask = 0;
    for (int field = 1; field <= kNoOfFields; ++field) {
        const QString text = mLabels_[field - 1]->text();
        type.setLabel(field, text.isEmpty() || field == kNoOfFields ? defaultLabel(field) : text);
        if (mMasks_[field - 1]->isChecked())
            mask |= 1 << (field - 1);
    }
    type.setMTypeMask(mask);
}

void BKTypeSettingsPanel::typeValuesFromUI(OTVType& type) const
{
    labelsAndMaskFromUI(type);
    if (!mShouldHideControls_) {
        type.setMTypeName(mTypeNameField_->text());
        type.setMTypeIconID(mIconNumber_);
    }
}

std::shared_ptr<OTVType> BKTypeSettingsPanel::customTypeFromUI()
{
    std::shared_ptr<OTVType> type = OTVType::createType();
    labelsAndMaskFromUI(*type);
    if (!mShouldHideControls_) {
        type->setMTypeName(mTypeNameField_->text());
        type->setMTypeIconID(mIconNumber_);
        const std::shared_ptr<BKGroup> group =
            mGroupSelectionPopupForType_->currentIndex() < 0
                ? nullptr
                : store_.getGroupFromGroupName(mGroupSelectionPopupForType_->currentText());
        type->setMSelectedGroupUID(group ? group->mGroupUID() : kAllGroupsUID);
    } else if (mTempCustomTypeReference_) {
        // A record's own labels keep the icon and name of the type they customise: only the
        // labels and the mask were open to change.
        type->setMTypeName(mTempCustomTypeReference_->mTypeName());
        type->setMTypeIconID(mTempCustomTypeReference_->mTypeIconID().value_or(kDefaultIconID));
    }
    mCustomTypeSaved_ = type;
    return type;
}

bool BKTypeSettingsPanel::textsFit()
{
    QList<QLineEdit*> texts(mLabels_.begin(), mLabels_.end());
    if (!mShouldHideControls_)
        texts.prepend(mTypeNameField_);
    for (QLineEdit* text : texts) {
        if (!OTVFitsEncipheredTinyBlob(text->text())) {
            showAlert(OTVStatusMessage(kOTVStatusValueTooLong));
            text->setFocus();
            text->selectAll();
            return false;
        }
    }
    return true;
}

void BKTypeSettingsPanel::customSettingsOK()
{
    // Names and labels the type tables cannot hold are refused before anything is written.
    if (!textsFit())
        return;
    if (mShouldHideControls_) {
        done(kBKModalStop);
        return;
    }
    const QString name = mTypeNameField_->text();
    if (BKController::isStringAnEmptySet(name)) {
        BKRunAlertPanel(QString(), QStringLiteral("You must specify a name for this type."), QStringLiteral("OK"));
        return;
    }
    if (mOperation_ == kEditOperation && mTempCustomTypeReference_) {
        if (name != mPreviousTypeName_) {
            mShouldEditType_ = false;   // a renamed type becomes a new one
        } else {
            std::shared_ptr<OTVType> described = OTVType::createCopyforType(*mTempCustomTypeReference_);
            typeValuesFromUI(*described);
            if (!described->isEqualToType(*mTempCustomTypeReference_)) {
                // The default, No, rewrites every record of the type: Esc and close cancel.
                const int answer = BKRunAlertPanelCancelledBy(
                    kBKAlertAlternateReturn, BKLocalizedString(kDefaultAlertTitle),
                    BKLocalizedString("Changing existing type will reflect on all the records under this type. Would "
                                      "you like to create a new Type instead?"),
                    BKLocalizedString("No"), BKLocalizedString("Cancel"), BKLocalizedString("Yes"));
                if (answer == kBKAlertAlternateReturn)
                    return;
                if (answer == kBKAlertOtherReturn) {
                    mShouldEditType_ = false;
                    resetCustomSettingsUI();
                    return;
                }
                mShouldEditType_ = true;
            }
        }
    }
    if (mShouldEditType_ && name == mOldTypeName_) {
        done(kBKModalStop);
        return;
    }
    int status = kOTVStatusOK;
    const bool duplicate = store_.checkForTypeDuplicate(name, &status);
    if (status != kOTVStatusOK) {
        // An unchecked name could be a duplicate: the panel stays open.
        showAlert(OTVStatusMessage(status));
        return;
    }
    if (duplicate) {
        showAlert(BKLocalizedString("Type name could not be duplicated"));
        return;
    }
    done(kBKModalStop);
}

void BKTypeSettingsPanel::customSettingsReset()
{
    if (mResetInfo_)
        initUIControlsWithInfo(*mResetInfo_);
}

void BKTypeSettingsPanel::customSettingsCancel()
{
    done(kBKModalAbort);
}

void BKTypeSettingsPanel::reject()
{
    customSettingsCancel();
}

void BKTypeSettingsPanel::chooseIcon()
{
    if (!iconChooser_)
        return;
    if (const std::optional<int> number = iconChooser_(this, mIconNumber_))
        setIconNumber(*number);
}

std::shared_ptr<OTVType> BKStoreTypeFromPanel(BKTypeSettingsPanel& panel, QWidget* window,
                                              const std::shared_ptr<OTVType>& type, int operation, int* status,
                                              bool mayAdd)
{
    if (status)
        *status = kOTVStatusOK;
    int op = operation;
    const std::shared_ptr<OTVType> result = panel.runCustomSettingsPanelForWindow(window, type, &op);
    if (!result || (op != BKTypeSettingsPanel::kEditOperation && !mayAdd))
        return nullptr;
    OTVDataBase& store = panel.store();
    int written = kOTVStatusOK;
    std::shared_ptr<OTVType> stored = result;
    if (type && op == BKTypeSettingsPanel::kEditOperation && result->isEqualToType(*type)) {
        stored = type;   // nothing changed: nothing to write
    } else if (type && op == BKTypeSettingsPanel::kEditOperation) {
        // The store's object is the one its records show: change it in place, and give it its
        // old values back when the write is refused.
        const OTVType before = *type;
        const QString group = type->mSelectedGroupUID();
        *type = *result;
        type->setMSelectedGroupUID(group);
        written = store.updateType(type);
        if (written != kOTVStatusOK)
            *type = before;
        stored = type;
    } else {
        written = store.addType(result);
    }
    if (status)
        *status = written;
    if (written != kOTVStatusOK) {
        showAlert(OTVStatusMessage(written));
        return nullptr;
    }
    return stored;
}

BKIconSelectionPanel& BKTypeSettingsPanel::iconSelectionPanel()
{
    if (!mIconSelectionPanel_)
        mIconSelectionPanel_ = new BKIconSelectionPanel(store_, this);
    return *mIconSelectionPanel_;
}
