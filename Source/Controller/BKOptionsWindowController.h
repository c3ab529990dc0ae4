#pragma once

// The options window: the logged-in user's display and security options kept on the server
// (list font, row colour, visible list columns, auto-lock, auto-submit, clipboard clearing) and
// two settings of this computer (the event-log backup folder and launch at login). Each opening
// refills it from the user; OK checks, stores and announces "Ostrel Preference Changed
// Notification"; Cancel, Esc and the close button store nothing. The backup folder and launch
// at login take effect as soon as they are changed, whatever button ends the window.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <optional>

class BKMinutesChoice;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPropertyAnimation;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QToolBar;
class QToolButton;

class BKOptionsWindowController : public QDialog {
    Q_OBJECT
public:
    // The check boxes of the list columns, cell (row r, column c) at index r + 5c, with the mask
    // bit and the list column identifier each controls.
    static constexpr int kShowColumnRows = 5;
    static constexpr int kShowColumnCount = 14;
    static constexpr std::array<quint16, kShowColumnCount> kColumnMasks{
        0x400, 0x800, 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x1000, 0x2000};
    // List column identifier of the check box at `index` ("1" type ... "14" attachment).
    static QString columnIdentifierOfMaskIndex(int index);
    // The user's column mask as the window reads it: its low 16 bits, sign-extended.
    static qint64 shownColumnMask(quint64 storedMask);

    static constexpr int kMinimumClearMinutes = 1;
    static constexpr int kMaximumClearMinutes = 999;
    static constexpr int kMaxLockMinutes = 60;
    // Radio ids of the clearing choices.
    static constexpr int kClearOnlyAtExit = 0;
    static constexpr int kClearAfterMinutes = 1;

    // Choosers for the font, colour and folder panels; tests put their own in.
    using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& current)>;
    using ColorChooser = std::function<std::optional<QColor>(QWidget* parent, const QColor& current)>;
    using FolderChooser = std::function<QString(QWidget* parent, const QString& current)>;
    // Writes or removes the autostart entry; false when that failed.
    using LoginItemWriter = std::function<bool(bool enabled)>;

    explicit BKOptionsWindowController(OTVDataBase& store, QWidget* parent = nullptr);

    // Fills the window from the current user and runs it application-modally. kBKModalStop
    // after OK (then "Edit Settings" is logged), kBKModalAbort otherwise.
    int orderFrontOptionsPanel();

    void initUserPreferences();
    // Writes the controls to the current user and the server. False when the options could not
    // be stored: the user's options in memory are then as before and the alert was shown.
    bool saveUserPreference();

    // OK: checks the auto-lock minutes, saves, announces the change and ends the window.
    void ok();
    void cancel();
    void reject() override;

    // The toolbar: shows the pane of that identifier ("Security", "User Data", "Format",
    // "Show Columns").
    void setActivePane(const QString& identifier);
    QString activePane() const;
    static QStringList paneIdentifiers();

    // The choices of the controls, as their panels would make them.
    void selectFont();
    void selectRowColor();
    void browseDatabaseLocation();
    void toLoginItems(bool enabled);
    // The disclosure of the column settings: 1 shows them, growing the window at its bottom
    // edge, 0 hides them and shrinks it (animated); other states do nothing.
    void showColumns(int state);
    bool columnsShown() const;

    QFont selectedFont() const { return mSelectedFont_; }
    void setSelectedFont(const QFont& font);
    QColor rowColor() const { return mRowColor_; }
    void setRowColor(const QColor& color);

    // "%@ - %d pt size" of a font.
    static QString fontDescription(const QFont& font);
    // "After %.2d     Minutes".
    static QString clearAfterTitle(int minutes);

    void setFontChooser(FontChooser chooser) { fontChooser_ = std::move(chooser); }
    void setColorChooser(ColorChooser chooser) { colorChooser_ = std::move(chooser); }
    void setFolderChooser(FolderChooser chooser) { folderChooser_ = std::move(chooser); }
    void setLoginItemWriter(LoginItemWriter writer) { loginItemWriter_ = std::move(writer); }

    // Controls, for the tests and the panes.
    QCheckBox* autoLockButton() const { return mAutoLock_; }
    QLineEdit* autoLockField() const { return mAutoLockField_; }
    QCheckBox* clearClipBoardButton() const { return mClearClipBoardButton_; }
    QGroupBox* clearClipBoardBox() const { return mClearClipBoardBox_; }
    QButtonGroup* clearClipBoardChoices() const { return mClearClipBoardMatrix_; }
    QSpinBox* clearAfterTimeStepper() const { return mClearAfterTimeStepper_; }
    QCheckBox* columnButton(int row, int column) const;
    QCheckBox* runOnStartupButton() const { return mRunOnStartupButton_; }
    QLineEdit* databaseLocationField() const { return mDatabaseLocationField_; }
    QLabel* fontNameField() const { return mFontNameField_; }
    QToolButton* rowColorWell() const { return mRowColorWell_; }
    QToolBar* toolBar() const { return mToolBar_; }
    QToolButton* showColumnsButton() const { return mShowColumnsDisclosure_; }
    static constexpr int kResizeAnimationMs = 150;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeSecurityPane();
    QWidget* makeUserDataPane();
    QWidget* makeFormatPane();
    QWidget* makeShowColumnsPane();
    void fitToActivePane();
    void clearClipBoardStateChanged(bool on);
    void clearMinutesChanged(int minutes);
    quint16 checkedColumnMask() const;
    // Asks whether the column settings apply to every type: the types whose layout rows to store.
    QStringList typesOfColumnSettings();
    bool autoLockMinutesAreValid() const;

    OTVDataBase& store_;
    FontChooser fontChooser_;
    ColorChooser colorChooser_;
    FolderChooser folderChooser_;
    LoginItemWriter loginItemWriter_;

    QFont mSelectedFont_;
    QColor mRowColor_;
    bool mPasswordEnabled_ = false;

    QToolBar* mToolBar_ = nullptr;
    QActionGroup* mPaneActions_ = nullptr;
    QStackedWidget* mActiveContentView_ = nullptr;
    QCheckBox* mAutoLock_ = nullptr;
    QLabel* mAutolockLabel_ = nullptr;
    QLineEdit* mAutoLockField_ = nullptr;
    QCheckBox* mClearClipBoardButton_ = nullptr;
    QGroupBox* mClearClipBoardBox_ = nullptr;
    QButtonGroup* mClearClipBoardMatrix_ = nullptr;
    BKMinutesChoice* mClearAfterRadio_ = nullptr;
    QSpinBox* mClearAfterTimeStepper_ = nullptr;
    QLineEdit* mDatabaseLocationField_ = nullptr;
    QCheckBox* mRunOnStartupButton_ = nullptr;
    QLabel* mFontNameField_ = nullptr;
    QToolButton* mRowColorWell_ = nullptr;
    QToolButton* mShowColumnsDisclosure_ = nullptr;
    QWidget* mShowColumnMatrixView_ = nullptr;
    std::array<QCheckBox*, kShowColumnCount> mShowColumnMatrix_{};
    QPropertyAnimation* mResizeAnimation_ = nullptr;
};
