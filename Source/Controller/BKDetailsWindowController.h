#pragma once

// BKDetailsWindowController: the record details window, the one place where a record's content
// is entered or changed. The record commands and the details pane hand it a record and an
// operation (BKDetailsOperation: add, edit, duplicate); it runs application-modal and answers
// with a new record built from what it shows and what the caller is to do with it (add, replace,
// store as new), or with none (cancelled, or delete). It writes to the store itself only when
// Duplicate is pressed a second time (the content is stored at once) and when the icon panel
// imports pictures as custom icons.
//
// The window's work is spread over two files:
//   BKDetailsWindowController.cpp        building, filling, the answer, OK/Cancel/Delete/Duplicate
//   BKDetailsWindowController_Tools.cpp  icon panel, attachment, date picker, generator, Customize,
//                                        printing
// The rules without widgets are in BKDetailsWindowRules.h.

#include "BKDetailsWindowRules.h"

#include "Customization/BKRecordWrites.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class BKDetailsView;
class BKIconSelectionPanel;
class BKImageMatrix;
class BKPopUpButton;
class BKTypeSettingsPanel;
class OTVDataBase;
class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class BKDetailsWindowController : public QDialog {
    Q_OBJECT

public:
    // The process-wide window, on the shared store; made on first use.
    static BKDetailsWindowController& sharedDetailsController();
    // `store` is the vault store the window reads and writes (the shared one when null).
    explicit BKDetailsWindowController(OTVDataBase* store = nullptr);
    ~BKDetailsWindowController() override;

    // Runs the window on `info` with `*operation` (kDetailsAdd, kDetailsEdit, kDetailsDuplicate)
    // until it is closed. Answers a new record and sets `*operation` to what the caller is to do
    // with it: kDetailsAdd (add it), kDetailsEdit (replace `info`: it carries info's UID) or
    // kDetailsDuplicate (store it as a new record). Answers nullptr when cancelled (the operation
    // unchanged) or when Delete was pressed (the operation becomes kDetailsDelete). `info` is
    // never changed.
    // With `write`, OK hands the answer to it before the window closes, and a status other
    // than 0 keeps the window open with what was typed (the answer is then already stored).
    std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                               int* operation,
                                                               const BKDetailsAnswerWriter& write = {});
    // A sub-sheet (password generator or Customize) is up; isVisible() tells whether the window is.
    bool isPanelDisplayed() const { return mIsPanelDisplayed_; }
    // The idle lock's OK: the checks and the write of OK without a word. True when the window
    // closed with its answer; otherwise it stays as it is, to be finished after the unlock.
    bool commitBeforeLock();
    // Rebuilds the icon grid of the icon panel.
    void renewImageMatrix();

    // -----------------------------------------------------------------------------------------
    // The window's actions (its buttons); public so that tests and the auto-lock can press them.

    void detailPanelOK();
    void detailPanelCancel();
    void deleteItem();
    void duplicateItem();
    void printRecord();
    void displayCustomSettingsPanel();
    void displayIconSelectionPanel();
    void customIconPanelOk();
    void addCustomIcons();
    void displayPasswordSelectionPanel();
    void displayDatePickerWindow(int field);
    void disposeDatePicker();
    // Hides the date picker when it is shown and `point` (window coordinates) lies outside it.
    void removeDatePicker(const QPoint& point);
    void attachdetachFile();
    // The type chosen in the pop-up: labels, marks, date buttons and icon follow it; the values
    // stay. `byUser` drops the record's own labels (its custom type).
    void changeTypeSelection(bool byUser);
    // AutoFill: the web login of the record as the window shows it (nothing is stored).
    void webLogin();

    // -----------------------------------------------------------------------------------------
    // What the window asks of others. Each has a working default; tests replace them.

    // The password generator sheet: the chosen password, or "" when cancelled.
    using PasswordGenerator = std::function<QString(QWidget* window)>;
    void setPasswordGenerator(PasswordGenerator generator) { mPasswordGenerator_ = std::move(generator); }
    // The type panel run to give the record labels of its own: `info` is the type to edit,
    // `resetInfo` the record type it started from. The edited type, or nullopt when cancelled.
    using CustomSettingsPanel =
        std::function<std::optional<OTVType>(QWidget* window, const OTVType& info, const OTVType& resetInfo)>;
    void setCustomSettingsPanel(CustomSettingsPanel panel) { mCustomSettingsPanel_ = std::move(panel); }
    // The open panels: one existing file to attach; image files to import as icons.
    enum class OpenPanel { Attachment, Icons };
    using FilePicker = std::function<QStringList(QWidget* window, OpenPanel panel)>;
    void setFilePicker(FilePicker picker) { mFilePicker_ = std::move(picker); }
    // Prints the record laid out in `view` (asks for the printer first).
    using RecordPrinter = std::function<void(QWidget* window, BKDetailsView& view)>;
    void setRecordPrinter(RecordPrinter printer) { mRecordPrinter_ = std::move(printer); }
    // The main window's web login, run on a record; without one the AutoFill button stays hidden.
    using WebLogin = std::function<void(const OTVRecord& record)>;
    void setWebLogin(WebLogin webLogin) { mWebLogin_ = std::move(webLogin); }
    // Runs store work on a worker while the interface waits in a modal panel (the controller's
    // store-worker gate when there is a controller).
    using StoreWorkerRunner = std::function<void(std::function<void()> work)>;
    void setStoreWorkerRunner(StoreWorkerRunner runner) { mStoreWorkerRunner_ = std::move(runner); }

    // -----------------------------------------------------------------------------------------
    // Controls and state, for tests.

    BKPopUpButton* groupPopup() const { return mCategoriesPopupButton_; }
    BKPopUpButton* typesPopup() const { return mTypesPopupButton_; }
    QLineEdit* valueField(int field) const { return mValueFields_[size_t(field - 1)]; }
    QLabel* labelCell(int field) const { return mLabelCells_[size_t(field - 1)]; }
    QLabel* maskCell(int field) const { return mMaskCells_[size_t(field - 1)]; }
    QToolButton* dateButton(int field) const { return mDateButtons_[size_t(field - 1)]; }
    QPlainTextEdit* notesView() const { return mNotesTextView_; }
    QToolButton* iconButton() const { return mIconSelectionButton_; }
    int shownIconNumber() const;
    QLabel* attachmentNameField() const { return mAttachmentName_; }
    QToolButton* attachmentButton() const { return mAttachmentButton_; }
    // The attachment button is in its remove state.
    bool hasAttachment() const { return mHasAttachmentState_; }
    QPushButton* okButton() const { return mOKButton_; }
    QPushButton* cancelButton() const { return mCancelButton_; }
    QPushButton* deleteButton() const { return mDeleteButton_; }
    QPushButton* duplicateButton() const { return mDuplicateButton_; }
    QPushButton* printButton() const { return mPrintButton_; }
    QPushButton* customizeButton() const { return mCustomizeButton_; }
    QPushButton* generateButton() const { return mGenerateButton_; }
    QPushButton* autoFillButton() const { return mAutoFillButton_; }
    QCalendarWidget* datePicker() const { return mDatePicker_; }
    QDialog* iconSelectionPanel() const;
    BKImageMatrix* imageMatrix() const;
    bool isDuplicateMode() const { return mStateForDuplicate_; }
    bool isCustomizing() const { return mCustom_.customizing; }
    int previousTypeSelection() const { return mPriviousTypeSelection_; }
    int previousGroupSelection() const { return mPriviousGroupSelection_; }

protected:
    // Esc and the window manager's close mean Cancel: nothing is answered without OK's checks.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    OTVDataBase& store() const;
    void buildWindow();
    void buildIconPanel();
    void resetDetailSettingsUI();
    void initGroupUIControl(const OTVRecord& record);
    void initTypesUIControl(const OTVRecord& record);
    void updateDetailPanelFieldsWithRecord(const OTVRecord& record);
    void updateUIWithMaskInfo(const OTVType* type);
    void showLabelsAndMarks(const OTVType* type, bool genericForEmpty);
    void setIconNumber(int number);
    void setAlternateInfoToAttachmentButton(bool removeState);
    std::shared_ptr<BKGroup> selectedGroup() const;
    std::shared_ptr<OTVType> selectedType() const;
    // The type whose labels the window shows: the record's own, else the chosen type.
    const OTVType* effectiveType() const;
    bool noTypeExists() const;
    BKDetailsForm formFromUI() const;
    std::shared_ptr<OTVRecord> itemRecordFromUIWithCustomInfo(const OTVType* customType);
    // The answer as OK gives it, reading and updating `state`; `*operation` (the opening's)
    // becomes what the caller is to do with it.
    std::shared_ptr<OTVRecord> answerFromUI(BKCustomTypeState& state, int* operation) const;
    bool writeAnswer();
    void alert(const char* message);
    bool valuesCanBeStored();
    void storeDuplicateNow();
    QLineEdit* generatorTarget() const;
    std::optional<OTVType> runTypePanel(const OTVType& info, const OTVType& resetInfo);

    OTVDataBase* mStore_ = nullptr;

    // Controls
    BKPopUpButton* mCategoriesPopupButton_ = nullptr;
    BKPopUpButton* mTypesPopupButton_ = nullptr;
    QToolButton* mIconSelectionButton_ = nullptr;
    std::array<QLabel*, kNoOfFields> mLabelCells_{};
    std::array<QLineEdit*, kNoOfFields> mValueFields_{};
    std::array<QLabel*, kNoOfFields> mMaskCells_{};
    std::array<QToolButton*, kNoOfFields> mDateButtons_{};
    QPlainTextEdit* mNotesTextView_ = nullptr;
    QLabel* mAttachmentName_ = nullptr;
    QToolButton* mAttachmentButton_ = nullptr;
    QPushButton* mOKButton_ = nullptr;
    QPushButton* mCancelButton_ = nullptr;
    QPushButton* mDeleteButton_ = nullptr;
    QPushButton* mDuplicateButton_ = nullptr;
    QPushButton* mPrintButton_ = nullptr;
    QPushButton* mCustomizeButton_ = nullptr;
    QPushButton* mGenerateButton_ = nullptr;
    QPushButton* mAutoFillButton_ = nullptr;
    QCalendarWidget* mDatePicker_ = nullptr;
    QToolButton* mEditedDateButton_ = nullptr;
    BKIconSelectionPanel* mIconSelectionPanel_ = nullptr;
    QPointer<QLineEdit> mLastValueField_;
    BKTypeSettingsPanel* mTypeSettingsPanel_ = nullptr;   // without a controller to lend its own

    // The opening's state
    std::shared_ptr<OTVRecord> mCurrentRecord_;
    std::optional<OTVType> mRecordCustomType_;   // the record's own labels while the window is open
    BKCustomTypeState mCustom_;
    QString mAttachmentPath_;
    bool mAttachmentModified_ = false;
    bool mHasAttachmentState_ = false;
    bool mShouldDeleteItem_ = false;
    bool mShouldDuplicateItem_ = false;
    bool mStateForDuplicate_ = false;
    bool mShouldAddRecord_ = false;
    bool mShouldEditRecord_ = false;
    bool mIsPanelDisplayed_ = false;
    bool mIsTypeCustomizedOnce_ = false;
    bool mQuiet_ = false;   // OK run by the idle lock: refusals keep the window without alerts
    BKDetailsAnswerWriter mAnswerWriter_;
    std::shared_ptr<OTVRecord> mAnswer_;   // written by OK's write
    int mAnswerOperation_ = kDetailsAdd;
    int mOpenedOperation_ = kDetailsAdd;
    int mPriviousTypeSelection_ = -1;
    int mPriviousGroupSelection_ = -1;
    int mSelectedImageID_ = kDefaultIconID;

    PasswordGenerator mPasswordGenerator_;
    CustomSettingsPanel mCustomSettingsPanel_;
    FilePicker mFilePicker_;
    RecordPrinter mRecordPrinter_;
    StoreWorkerRunner mStoreWorkerRunner_;
    WebLogin mWebLogin_;
};
