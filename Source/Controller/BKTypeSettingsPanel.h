#pragma once

// The type panel: a record type's name, icon, group, ten field labels and ten mask boxes; it
// also gives one record its own labels and masks (its custom type). It validates what the user
// typed and returns a type; it writes nothing (storeTypeFromPanel does the write of a new or
// edited type). An edit comes back as a changed copy with the edited type's UID: the store's
// objects change only once the write succeeded.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class BKIconSelectionPanel;
class OTVType;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class BKTypeSettingsPanel : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAddOperation = 0;
    static constexpr int kEditOperation = 1;
    static constexpr int kCustomiseOperation = 4;
    // The group of a new type for which no group was chosen: every group.
    static inline const QString kAllGroupsUID = QStringLiteral("000000000000FFFF");

    // Chooses an icon number for the icon button, starting from `current`; nullopt leaves it.
    using IconChooser = std::function<std::optional<int>(QWidget* parent, int current)>;

    explicit BKTypeSettingsPanel(OTVDataBase& store, QWidget* parent = nullptr);
    OTVDataBase& store() const { return store_; }

    // Runs the panel as a sheet on `window` (none: application-modal) for `type` (none: a new
    // type) and *operation (0 add, 1 edit, 4 customise a record). nullptr when cancelled.
    // - edit: a copy of `type` with the panel's values and the same UID, *operation stays 1;
    //   unless the name changed or the user chose to make a new type: then as add.
    // - add, and customise: a new type (new UID), *operation = 0. With the controls hidden
    //   (customising a record) it holds the labels and mask, and the name and icon of `type`.
    // `type` itself is never changed.
    std::shared_ptr<OTVType> runCustomSettingsPanelForWindow(QWidget* window, const std::shared_ptr<OTVType>& type,
                                                             int* operation);

    // Set by the callers around a run (customising a record hides name, icon and group).
    void setCustomizing(bool customizing) { mIsCustomizing_ = customizing; }
    bool isCustomizing() const { return mIsCustomizing_; }
    void setShouldHideControls(bool hide) { mShouldHideControls_ = hide; }
    bool shouldHideControls() const { return mShouldHideControls_; }
    // The type Reset fills the panel from.
    void setResetInfo(std::shared_ptr<OTVType> type) { mResetInfo_ = std::move(type); }
    void setIconChooser(IconChooser chooser) { iconChooser_ = std::move(chooser); }
    // The icon chooser the icon button opens (unless another chooser was set), with its import
    // of custom icons; made on first use.
    BKIconSelectionPanel& iconSelectionPanel();
    // The type most recently built from the panel.
    std::shared_ptr<OTVType> customTypeSaved() const { return mCustomTypeSaved_; }

    // The label an empty label cell stands for: "Field n"; field 10 is always "Date Mod".
    static QString defaultLabel(int field);

    // --- Actions
    void customSettingsOK();
    void customSettingsReset();
    void customSettingsCancel();
    void chooseIcon();
    // Esc and the close button cancel.
    void reject() override;

    // --- Controls (the tests drive these)
    QLineEdit* nameField() const { return mTypeNameField_; }
    QToolButton* iconButton() const { return mCustomIconButton_; }
    int iconNumber() const { return mIconNumber_; }
    void setIconNumber(int number);
    QComboBox* groupPopup() const { return mGroupSelectionPopupForType_; }
    QLineEdit* labelField(int field) const { return mLabels_.at(field - 1); }
    QCheckBox* maskBox(int field) const { return mMasks_.at(field - 1); }
    QPushButton* resetButton() const { return mResetButton_; }

private:
    void initGroupUIControlForTypePanel();
    void initUIControlsWithInfo(const OTVType& type);
    void resetCustomSettingsUI();
    void typeValuesFromUI(OTVType& type) const;
    std::shared_ptr<OTVType> customTypeFromUI();
    void labelsAndMaskFromUI(OTVType& type) const;
    bool textsFit();

    OTVDataBase& store_;
    QLineEdit* mTypeNameField_ = nullptr;
    QLabel* mTypeNameLable_ = nullptr;
    QToolButton* mCustomIconButton_ = nullptr;
    QLabel* mIconLabel_ = nullptr;
    QComboBox* mGroupSelectionPopupForType_ = nullptr;
    QLabel* mGroupNameLabel_ = nullptr;
    std::array<QLineEdit*, 10> mLabels_{};
    std::array<QCheckBox*, 10> mMasks_{};
    QPushButton* mResetButton_ = nullptr;
    IconChooser iconChooser_;
    BKIconSelectionPanel* mIconSelectionPanel_ = nullptr;
    int mIconNumber_ = 0;

    // One run's state, set afresh each time the panel opens.
    std::shared_ptr<OTVType> mTempCustomTypeReference_;
    QString mPreviousTypeName_;
    QString mOldTypeName_;
    int mOperation_ = kAddOperation;
    bool mShouldEditType_ = false;

    std::shared_ptr<OTVType> mResetInfo_;
    std::shared_ptr<OTVType> mCustomTypeSaved_;
    bool mIsCustomizing_ = false;
    bool mShouldHideControls_ = false;
};

// The type panel and the write of its result: a new type is added; an edited one is written
// into the store's own object (so every record of the type shows it), which gets its old
// values back when the store refused the write. A refusal is shown with the store's status.
// Returns the stored type (nullptr when cancelled or refused); *status (may be null) gets the
// store's status, 0 when cancelled. Without `mayAdd` an edit that became a new type is dropped
// unwritten, like a cancel.
std::shared_ptr<OTVType> BKStoreTypeFromPanel(BKTypeSettingsPanel& panel, QWidget* window,
                                              const std::shared_ptr<OTVType>& type, int operation,
                                              int* status = nullptr, bool mayAdd = true);
