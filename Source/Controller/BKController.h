#pragma once

// BKController: the application's controller. One class, one header; its work is spread over
// one source file per concern:
//   BKController.cpp            creation, start-up, termination, the store-worker gate
//   BKController_Login.cpp      the connection dialog, the login step and the first load
//   BKController_Reload.cpp     reload, lost connection, deleted account
//   BKController_Services.cpp   what the vault store asks of the interface, alerts
//   BKController_ViewsHook.cpp  where the main window's views are rebuilt after a (re)load
//   BKController_Hooks.cpp      the views' layout at quit, the import of a file given at launch
//   BKController_Exchange.cpp   the exchange prompts and the worker behind the progress panel
//   BKController_Export.cpp     export, backup and the export for mail
//   BKController_Import.cpp     import and restore
//   BKController_Mail.cpp       the mail of an exported file
//   BKController_Printing.cpp   printing the list and the selected record
//   BKController_Attachments.cpp  adding, removing, opening and saving attachments
//   BKController_WebLogin.cpp   web login
//   BKController_Details.cpp    the record details window, and what the details pane asks
// The connection dialog and the first-master-password panel are widgets of their own
// (BKConnectionDialog, BKFirstMasterPasswordDialog) that only collect; the controller acts.

#include "BKExchangePrompts.h"
#include "Customization/BKDetailsViewDelegate.h"
#include "Platform/BKApplicationServices.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class BKCategoryEditWindowController;
class BKConnectionDialog;
class BKDetailsView;
class BKEventLoggerWindowController;
class BKRecordButtons;
class BKGroup;
class BKGroupSettingsPanel;
class BKHintChallengePanel;
class BKIdleWatcher;
class BKLockPanel;
class BKMasterPasswordPanel;
class BKUserPasswordSheet;
class OTVUser;
class BKMainWindowViews;
class BKOptionsWindowController;
class QAbstractItemView;
class QColor;
class QFont;
class BKTypeSettingsPanel;
class OTVRecord;
class QAbstractButton;
class QAction;
class QToolBar;
class UserAccountController;
class BKFirstMasterPasswordDialog;
class BKMessageBoxAlertPresenter;
class QDialog;
class OTVDataBase;
class QMainWindow;
class QTimer;
class QMenu;
class QMenuBar;
class OTVType;
class OTVUserRights;
class QPoint;
class QPrinter;
class QWidget;

// The print panel: shows it for `printer` over `parent` and calls `paint` for what is printed
// (and previewed); true when the user printed.
using BKPrintDialogRunner =
    std::function<bool(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint)>;
// A file dialog: with `save` the file to write (starting in `directory` with `name`), else an
// existing file to open; a null string when cancelled.
using BKFileChooser =
    std::function<QString(QWidget* parent, bool save, const QString& directory, const QString& name)>;

// Results of the modal dialogs: OK, cancelled (callers act only on kBKModalStop).
constexpr int kBKModalStop = -1000;
constexpr int kBKModalAbort = -1001;

class BKController : public QObject, public BKApplicationServices, public BKDetailsViewDelegate {
    Q_OBJECT

public:
    // The controller installs itself as the store's interface (and, unless told otherwise, the
    // message-box alert presenter) for its lifetime. Only one exists at a time.
    explicit BKController(OTVDataBase& store, QObject* parent = nullptr);
    ~BKController() override;

    static BKController* sharedApplicationController();
    OTVDataBase& store() const { return store_; }

    // =========================================================================================
    // Life cycle (BKController.cpp)

    // Defaults for the connection dialog given on the command line; they win over the stored
    // ones. Empty values are ignored.
    void setConnectionDefaults(const QString& server, const QString& port, const QString& user);
    // Files given on the command line: each is offered for import once the main window shows.
    void openFilesAtLaunch(const QStringList& paths);

    // Before the event loop runs: drops a stale stored master password, makes the private
    // attachment folder, fills in the defaults, builds the (hidden) main window.
    void applicationWillFinishLaunching();
    // Once the event loop runs: the connection dialog, the login, the load and the main window.
    // True when the main window is shown; false when the application quits instead.
    bool applicationDidFinishLaunching();

    // Asks the application to quit (the main window's close button, the store, the menus).
    // Returns at once: the quit happens when control is back in the event loop.
    void terminate();
    bool isTerminationRequested() const { return mTerminationRequested_; }
    // Runs once as the application quits: removes the attachment folder, and, unless the
    // connection was cancelled, saves the layout and the basic preferences of the user.
    void applicationWillTerminate();
    bool isConnectionCancelled() const { return mIsConnectionCancelled_; }

    QMainWindow* mainWindow() const;
    // The private folder (mode 0700) that decrypted attachments are written to; removed at quit.
    QString attachmentFolderPath() const;
    // "EventLoggerDatabaseLocation" when it is unset.
    static void setUserDefaultValues();

    // A store worker (connection, load, reload, ...) is using the connection. Timers that
    // would touch the store skip their turn meanwhile.
    bool isStoreWorkerRunning() const { return mStoreWorkers_.load() > 0; }
    // A repeating timer owned by the controller whose ticks are skipped while a store worker
    // runs. Not started.
    QTimer* createStoreTimer(int intervalMs, std::function<void()> tick);
    // Runs `work` (which uses the store) on a worker thread while the main thread waits behind
    // the modal loading panel; counted by the gate above. `atThreadEnd` runs last on the worker.
    void runStoreWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd = {}) override;
    void runStoreWorkerBehindPanel(std::function<void()> work, std::function<void()> atThreadEnd = {}) override;

    // Set once the vault is loaded, before the main window's views are built: until then the
    // record views show no rows.
    bool mShouldCreateDatabase() const { return mShouldCreateDatabase_; }
    // The record commands filter by every type.
    QString getSelectedTypeUID() const;

    // The permission words (BKController_Permissions.cpp): the logged-in user's rights; the
    // record word's bit (1 add, 2 edit, 4 delete) for records of `group` (the group's word when
    // it prevails, else the user's) and for each of `records` in its own group (false for
    // none); the rule of the command of `tag` on the current selection.
    OTVUserRights userRights() const;
    bool checkForRecordPermissionFor(int permission, const std::shared_ptr<BKGroup>& group) const;
    bool checkForRecordPermissionForRecords(int permission, const QList<std::shared_ptr<OTVRecord>>& records) const;
    bool isCommandPermitted(int tag) const;
    // The copy key in `view` copies nothing without the Copy right.
    void guardCopyKeyOf(QAbstractItemView* view);

    // =========================================================================================
    // Connection dialog, login step and first load (BKController_Login.cpp)

    BKConnectionDialog* connectionDialog() const;
    // Runs the connection dialog until a connection is made (kBKModalStop) or the user cancels
    // (kBKModalAbort: the application quits without saving).
    int runConnectionDialog();
    // The dialog's Connect button: checks the fields, stores them as defaults, and starts the
    // connection attempt on a worker; connectionISComplete ends it.
    void connectToMySqlServer();
    // The dialog's Cancel button and close box.
    void cancelConnection();

    // The first master password of an empty vault. kBKModalStop when set or when the user chose
    // to go on without one; kBKModalAbort when the panel was closed (the application quits).
    int runFirstMasterPasswordPanel();
    BKFirstMasterPasswordDialog* firstMasterPasswordDialog() const;

    // The login step and the load on a worker behind the modal loading panel. The result is
    // the status: 0 loaded; otherwise the user was told (and the load never started after a
    // failed login step).
    int loadDataBase(bool firstLaunch);
    // Runs the modal loading panel until `done` says the worker has ended.
    void displayLoadingProgress(const std::function<bool()>& done);
    // The alert of a login-step status: 6 and 7 end the session (the application quits without
    // saving); anything else is a lost connection.
    void displayErrCode(int status);

    // Address lookup for a server name that is not an IPv4 address: the addresses found.
    using HostResolver = std::function<QStringList(const QString& hostName)>;
    void setHostResolver(HostResolver resolver);
    // The address to connect to: an IPv4 one when there is one (the last), else a bracketed
    // IPv6 one; a null string when the name does not resolve.
    QString addressForHostName(const QString& hostName) const;
    // Blank: nothing but spaces and tabs (line breaks count as text).
    static bool isStringAnEmptySet(const QString& text);
    // A TCP port: a whole number from 1 to 65535.
    static bool isValidPort(const QString& text);

    // =========================================================================================
    // Reload, lost connection, deleted account (BKController_Reload.cpp)

    // The user's reload command: reads the vault again behind the loading panel.
    void reloadDatabase();
    // "DB_COMM_LOST": the alert, then the connection dialog again for the same user.
    void dbCommunicationError();
    // "DB_USR_DEL": the alert, then quit without saving.
    void dbUserDeletedError();

    // =========================================================================================
    // What the store asks of the interface (BKController_Services.cpp)

    void connectionISComplete() override;
    void finishReloadingData() override;
    void reloadFailed(int status) override;
    void updateApplicationUIForCurrectPermissions() override;
    void dontSavePreference() override;
    bool isMainWindowMaximied() override;
    void terminateApplication() override;
    QString mCurrentUserName() override;

    // A localised alert; an empty title is the default title. Returns the button pressed.
    int showAlertPanelWithTitle(const QString& title, const QString& message, const QString& defaultButton = {},
                                const QString& otherButton = {});
    // The alert of a store write's status; nothing for 0.
    void showStoreStatusAlert(int status);

    // =========================================================================================
    // Main window views
    // The record views, their filters, the toolbar and the window layout (BKController_Views.cpp,
    // BKController_Toolbar.cpp). The views are built with the main window; initSubviews sets
    // them up for the logged-in user once the vault is loaded.

    // Rebuilds the views from the store's maps; called after every load and reload of the vault.
    // The first call after login runs the toolbar set-up and initSubviews.
    void updateApplicationViews();
    BKMainWindowViews* mainWindowViews() const { return mViews_; }
    // The toolbar "MainToolBar": group pop-up, type pop-up (or its placeholder), view selector,
    // options and lock buttons, a flexible space and the search field. A second call changes
    // nothing.
    void setupToolbarForWindow(QMainWindow* window);
    QToolBar* mainToolBar() const { return mMainToolBar_; }
    // The view selector of the toolbar: the type pop-up gives way to its placeholder.
    void selectTabView(int tag);
    // The one-time set-up after login: the user's last view, sorting, title, masking, column
    // widths, the details pane, then "Ostrel Preference Changed Notification".
    void initSubviews();
    void initWindowTitle();
    void changeView(int tag);
    // Masking of the views (the mask button's state); retitles the mask command and button.
    bool shouldMask() const;
    void setShouldMask(bool on);
    QAction* maskAction() const { return mMaskAction_; }
    QAbstractButton* unmaskButton() const { return mUnmaskButton_; }
    // The user's saved list-column widths (an entry of 0 or less, or a missing one, is 70).
    void updateTableColumnWidth();
    // Widens the list's text columns to fill its width when they leave room (on every resize).
    void fitListColumnsToWidth();
    // Stores the list-column widths and the first sort descriptor for the selected type.
    void saveTableColumnWidthToPreference();
    // Titles the ten field columns of the list: "Field 1" .. "Field 10".
    void updateTableColumnsWithSelectedItem();
    // The record the commands act on and the records they take (see BKMainWindowViews).
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const override;
    QList<std::shared_ptr<OTVRecord>> indexSetForExporting(bool whole) const;
    void updateTables() override;
    // The record details pane beside the views.
    BKDetailsView* detailsView() const;
    // The details pane's box is shown.
    bool isDetailsPaneShown() const;
    void setDetailsPaneShown(bool shown);
    // Called at quit, before the user's preferences are saved, unless the connection was
    // cancelled: the views write their layout (split views, list columns, ...) to the user.
    void saveApplicationViewsLayout();
    // An exchange file given at launch, once the user agreed to import it.
    void importFile(const QString& path);
    // The clipboard watch: at each change of the clipboard once the main window shows.
    void checkClipBoard();
    // The clipboard-clearing step; at quit (`atExit`) it clears the application's own copy.
    void installClearClipBoardTimer(bool atExit);

    // =========================================================================================
    // Printing (BKController_Printing.cpp). The panel is the print preview; while it is up the
    // menus offer only Help.

    // The list view's records (in another view an alert says printing needs the list view).
    void print();
    // The selected record in the details pane's print layout; nothing without one.
    void printRecord();
    bool mPrintDialogON() const { return mPrintDialogON_; }
    // Tests print to a file instead of showing the panel; an empty one restores the panel.
    void setPrintDialogRunner(BKPrintDialogRunner runner);

    // Attachments of the selected record (BKController_Attachments.cpp)

    // Adds a file to the selected record, or, when it has an attachment, asks and removes it.
    void attachmentAction();
    // Stores the file at `path` (at most 1 MB, links followed) as the record's attachment.
    void addAttachmentFromFile(const std::shared_ptr<OTVRecord>& record, const QString& path);
    // The details pane's attachment button (`button`): the attachment is extracted into the
    // private folder and the menu "Open With" / "Save As" for that file pops up beside it.
    void addExtractAttachmentMenu(QObject* button);
    // The menu for an extracted file of `record`; owned by the controller until the next one.
    QMenu* attachmentMenuForFile(const QString& path, const std::shared_ptr<OTVRecord>& record);
    QMenu* attachmentMenu() const;
    // Opens the file with the application of that desktop entry.
    void launchFile(const QString& desktopEntryPath, const QString& path);
    // Asks where to save the record's attachment, writes it there and shows it in the file
    // manager; the extracted file at `extractedPath` is removed in every case.
    void saveAsAttachment(const std::shared_ptr<OTVRecord>& record, const QString& extractedPath);
    // The file dialogs of the attachment commands; tests answer with their own paths.
    void setFileChooser(BKFileChooser chooser);

    // =========================================================================================
    // Web login and mail (BKController_WebLogin.cpp)

    // Opens the selected record's address (field 4) and puts its password (field 3) on the
    // clipboard; webLoginForRecord does so for a record not yet stored (the details window's).
    void webLogin();
    void webLoginForRecord(const OTVRecord& record);
    // After an export: "Send Mail"; on Yes the file (a package packed as "<name>.tar.gz") goes
    // to the mail program, and the mail is logged.
    void askForSendingMailWithAttachment(const QString& path);

private:
    void refreshAfterAttachmentChange();
    bool mPrintDialogON_ = false;
    BKPrintDialogRunner mPrintDialogRunner_;
    BKFileChooser mFileChooser_;
    QPointer<QMenu> mAttachmentMenu_;

public:
    // =========================================================================================
    // The record details window, and what the details pane asks (BKController_Details.cpp).
    // The pane's selected record and its table refresh are the views' above.

    // Permission `permission` (1 add, 2 edit, 4 delete) on the selected record in its group, or
    // with none selected on records of the selected group (BKController_Permissions.cpp).
    bool checkForRecordPermissionForSelectedGroup(int permission) override;
    bool checkForRecordPermissionForRecord(int permission, const OTVRecord& record) override;
    // Runs the shared record details window (BKDetailsWindowController).
    std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                               int* operation,
                                                               const BKDetailsAnswerWriter& write = {}) override;
    // The record the details window was closed to delete (BKController_Records.cpp), and the
    // details pane's record context menu (BKController_ContextMenu.cpp).
    void deleteRecordFromWindow(const std::shared_ptr<OTVRecord>& record) override;
    QMenu* extendMenu(QContextMenuEvent* event, BKDetailsView* view) override;

    // =========================================================================================
    // Record commands (BKController_Records.cpp) and the groups and types editor
    // (BKController_Editor.cpp). Each acts on the current view's selection and re-checks its
    // own rule, so a shortcut fired without its menu open cannot act where the menu would not.

    void addItemsToDetail();
    // The record commands' delete of the selection, after the question.
    void deleteSelected();
    // Double click in a view (or the edit command): the details window on the selected record.
    void editItemDoubleAction();
    void duplicateItem();
    void deDupe();
    // Tags 206 (group), 207-216 (fields 1-10, the date as display text) and 217 (notes).
    void copyFieldValue(int tag);
    void unmask(bool masked);
    void unmaskFromMenu();
    void toggleInfoView(bool shown);
    void toggleInfoViewFromMenu();
    void updateDetailInfoViewWithRecord(const std::shared_ptr<OTVRecord>& record);
    void displayFieldCustomizePanel();
    void displayEditGroupPanel();
    // `senderTag` 101 (the Edit Types menu item) starts the editor without restoring the type
    // pop-up's previous selection.
    void displayEditTypesPanel(int senderTag = 0);
    void selectAll();
    void showHelp();
    void focusSearchField();
    void clearClipBoardAction();

    // The details window as the record commands run it; tests answer in its place. A runner
    // that does not hand its answer to `write` has it written once it answered.
    using DetailsWindowRunner = std::function<std::shared_ptr<OTVRecord>(
        const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter& write)>;
    void setDetailsWindowRunner(DetailsWindowRunner runner);
    // The de-duplicate question (made on first use): Yes ends it with kBKModalStop.
    QDialog* dedupeSheet();
    // The data word's bit (kDataPermissionCopy, ...Print, ...Export, ...Import, ...Backup,
    // ...Restore).
    bool checkForDataPermissionFor(int permission) const;
    // The groups and types editor (made on first use and kept).
    BKCategoryEditWindowController& categoryEditWindowController();
    // After groups or types were added, changed or deleted: the pop-ups and the views follow.
    void groupsAndTypesChanged();

signals:
    // For the View menu's titles: "Unmask"/"Mask" and "Hide Details"/"Show Details" follow these.
    void maskingChanged(bool masked);
    void detailsPaneShownChanged(bool shown);

private:
    // The details window on `record`; its answer is stored by `write` while the window is
    // open (a window of the tests that cannot write has it written once it answered).
    std::shared_ptr<OTVRecord> runDetailsWindow(const std::shared_ptr<OTVRecord>& record, int* operation,
                                                const BKDetailsAnswerWriter& write);
    // The pane shows the selected record (or nothing) once the views are rebuilt.
    void refreshAfterRecordCommand();
    // The record's attachment written into the private folder under its base name; a null
    // string when it could not be (a store failure is reported).
    QString extractAttachmentToPrivateFolder(const OTVRecord& record);
    DetailsWindowRunner mDetailsWindowRunner_;
    QPointer<QDialog> mDedupeSheet_;
    QStringList mDedupeItemsNames_;
    QList<int> mDetailsPaneSizes_;
    QPointer<BKCategoryEditWindowController> mCategoryEditWindowController_;

public:


public:
    // =========================================================================================
    // The event-log window, the About box, Page Setup and Close (BKController_Windows.cpp)

    // The event-log window (made on first use and kept), run modally.
    void eventLogger();
    BKEventLoggerWindowController& eventLoggerWindowController();
    // The About box: the application's name and version, centred; made on first use.
    void initAboutBoxsetting();
    void showAboutBox();
    QDialog* aboutBox() const;
    // Page Setup: the page the list and the records print on from now on.
    void runPageLayout();
    // The page-setup panel for `printer` over `parent`: true when the user chose OK. Tests give
    // their own; an empty one restores the panel.
    using PageSetupRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;
    void setPageSetupRunner(PageSetupRunner runner) { mPageSetupRunner_ = std::move(runner); }
    // Close: the front window is closed as its close button would (the main window's quits).
    void performClose();

    // The record buttons under the views (BKController_RecordButtons.cpp): each fires its menu
    // command, and is enabled by that command's rule (validateRecordButtons, after every
    // refresh of the command states). The details toggles show whether the pane is shown.
    BKRecordButtons* recordButtons() const { return mRecordButtons_; }
    void validateRecordButtons();
    // The keyboard loop of the main window: the types table, the record table, the smart
    // lists (the list and the tree in their place), the type add button, the record buttons,
    // the details toggle, then the details pane's copy buttons.
    void correctTabNextKeyViews();

private:
    void buildRecordButtons();
    BKRecordButtons* mRecordButtons_ = nullptr;
    QPointer<BKEventLoggerWindowController> mEventLoggerWindowController_;
    QPointer<QDialog> mAboutBoxWindow_;
    PageSetupRunner mPageSetupRunner_;

public:
    // =========================================================================================
    // The main menu and command enabling (BKController_Menus.cpp, the table in BKMenuTable.cpp),
    // the record context menu and record moves (BKController_ContextMenu.cpp), view counting and
    // drag and drop of records (BKController_DragDrop.cpp).

    // The window's menu bar, built once from the table.
    void buildMainMenu();
    // The menu-bar command of `tag` (nullptr for none).
    QAction* menuAction(int tag) const;
    // Every command's enabled state and the titles that follow the controller's state. Runs when
    // a menu opens, after each selection or view change and after each command.
    void refreshCommandStates();
    // The rule of the command of `tag` as it stands now; handlers check it again, since
    // shortcuts fire without their menu being opened.
    bool isCommandEnabled(int tag) const;
    // Exactly one record is selected (the tree: a row is selected).
    bool isItemNotSelected() const;
    bool validateAttachmentButton() const;
    bool validateWebLogin() const;
    // Cut, Copy and Paste act on the focused text field.
    void cut();
    void copy();
    void paste();

    // The record context menu (tags 700-709; 701 the Type sub-menu, 702 the Group sub-menu).
    QMenu* itemContextualMenu();
    void initContextualTypeSubMenu();
    void initContextualCategorySubMenu();
    // A right-click at `pos` in one of the record views: selects the row under it and returns
    // the ticked context menu, or nullptr outside the rows.
    QMenu* extendMenuForEvent(QAbstractItemView* view, const QPoint& pos);
    // The edit bit (2) of the word that governs the selected record's group.
    bool canMoveRecords() const;
    // Moves the selected records to the type or group of that UID (nothing for a vanished one).
    // A refused record keeps its place and is reported; the others still move.
    void contextTypeMenuChanged(const QString& typeUID);
    void contextCategoryMenuChanged(const QString& groupUID);

    // A dropped list of record UIDs onto a type or a group; true when every record is stored.
    // A record already there is left alone.
    bool dropRecordsOnType(const QStringList& recordUIDs, const std::shared_ptr<OTVType>& type);
    bool dropRecordsOnGroup(const QStringList& recordUIDs, const std::shared_ptr<BKGroup>& group);

private:
    void runMenuCommand(int tag, const std::function<void(BKController&)>& action);
    void updateEditMenu();
    void connectRecordViewsForMenus();
    void recordViewed(const std::shared_ptr<OTVRecord>& record);
    QMenu* tickedContextMenu();
    QList<std::shared_ptr<OTVRecord>> recordsToMove() const;
    bool moveRecords(const QList<std::shared_ptr<OTVRecord>>& records, const std::function<bool(OTVRecord&)>& change);
    QMenuBar* mMenuBar_ = nullptr;
    QHash<int, QAction*> mMenuActions_;
    QPointer<QMenu> mItemContextualMenu_;
    QMenu* mContextTypeMenu_ = nullptr;
    QMenu* mContextGroupMenu_ = nullptr;
    int mPriviousContextualType_ = -1;
    int mPriviousContextualCategory_ = -1;
    bool mRunningMenuCommand_ = false;

public:
    // =========================================================================================
    // Group and type panels (BKController_Panels.cpp). The panels are made on first use and
    // kept; their owners (the groups and types editor, the record commands) run them through
    // BKStoreGroupFromPanel / BKStoreTypeFromPanel or directly.

    BKGroupSettingsPanel& groupSettingsPanel();
    BKTypeSettingsPanel& typeSettingsPanel();
    // A new group from the group panel, stored; the group pop-up shows it.
    void addGroups();
    // A new type from the type panel (no window, application-modal), stored; the views refresh.
    void addTypes();

    // =========================================================================================
    // Lock, idle lock, clipboard clearing, the user's and the master password
    // (BKController_Lock.cpp, BKController_Clipboard.cpp, BKController_Passwords.cpp)

    // The lock sheet over the main window; the views go empty and other windows hide until the
    // unlock. "You need to set password first." for a user without a password. Quit ends the
    // session without saving.
    void displayLockPanel();
    bool isLocked() const;
    BKLockPanel* lockPanel();
    // The lock sheet's buttons.
    void lockPanelOK();
    void lockPanelQuit();
    void lockPanelHint();

    // The automatic lock after `minutes` of no input in this application (0 or less: none).
    void installInactiveTimerWithTime(int minutes);
    // The options window's settings: the minutes of the automatic lock and of the clipboard
    // clearing, applied to the logged-in user and to the running timers.
    void applyAutoLockMinutes(int minutes);
    void applyClipboardClearMinutes(int minutes);
    // The idle timer fired: closes the modal windows (as Cancel), then locks.
    void doIdle();
    // The length of a minute for the idle and clipboard timers; tests shorten it.
    void setTimerMinuteLength(int milliseconds) { mMinuteMs_ = milliseconds; }
    // Empties the clipboard if it still holds what the application put there.
    void clearClipBoard();
    bool isClipboardClearPending() const;
    BKIdleWatcher* idleWatcher() const { return mIdleWatcher_; }

    // Once the main window shows: the clipboard watch, and the automatic lock of a user who
    // has a password and the lock switched on.
    void startIdleAndClipboardWatch();

    // The user's own password sheet with its hint, and the master password panels (the set
    // panel for a vault without one, else the change panel, whose change re-enciphers the vault).
    void setPassword();
    void setMasterPassword();
    BKUserPasswordSheet* userPasswordSheet();
    BKMasterPasswordPanel* masterPasswordPanel();

private:
    void passwordPanelOK();
    void masterPasswordPanelOK();
    QPointer<BKUserPasswordSheet> mUserPasswordSheet_;
    QPointer<BKMasterPasswordPanel> mMasterPasswordPanel_;
    QString mStoredMasterPassword_;
    bool showLockPanel();
    void endLockedSession();
    void setVaultControlsEnabled(bool enabled);
    // The tenth failed unlock stands: the user gets only the lock's Quit.
    bool hasNoUnlockAttemptLeft() const;
    void showAttemptsOnLockPanel();
    bool isUserKeptAfterFailedUnlocks() const;
    void deleteUserAfterFailedUnlocks();
    void showHintStatusAlert(int status);
    void runHintChallenge(const OTVUser& user);
    void closeModalsForLock();
    void lockAfterIdle();
    QPointer<BKLockPanel> mLockPanel_;
    QPointer<BKHintChallengePanel> mHintChallengePanel_;
    BKIdleWatcher* mIdleWatcher_ = nullptr;
    QPointer<QTimer> mClearClipboardTimer_;
    int mNumberOfAttempts_ = 0;
    int mMinuteMs_ = 60 * 1000;
    bool mAlertIsOn_ = true;
    quint64 mClipboardChangeCount_ = 0;
    quint64 mLastPasteBoardChangeCount_ = 0;
public:
    // =========================================================================================
    // The options window and applying the options (BKController_Options.cpp)

    // The Options command: hands the list's first sort order to the store, then runs the
    // options window (made on first use and kept).
    void displayOptionsPanel();
    BKOptionsWindowController& optionsWindowController();
    // Applies the user's options to the main window: row colour, list columns, fonts, then the
    // auto-lock and clipboard-clearing minutes. Runs on "Ostrel Preference Changed Notification".
    void optionsDidChange();
    // Every column's font and the row height (the height of "Font", at least 20).
    static void updateFontForTable(QAbstractItemView* table, const QFont& font);
    // Shows or hides the list's columns "1".."14" by the user's column mask, then puts them in
    // identifier order.
    void listViewColumnsVisiblityChanged();
    void rearrangeTableColumns();
    // The idle lock's minutes (0: off) and the clipboard-clearing delay (0: no timed clearing)
    // as the options last set them.
    int appliedAutoLockMinutes() const { return mAppliedAutoLockMinutes_; }
    int appliedClipboardClearMinutes() const { return mAppliedClipboardClearMinutes_; }
    // `color` blended `fraction` of the way toward white.
    static QColor blendedTowardWhite(const QColor& color, double fraction);

private:
    // Restarts the idle lock with the options' minutes and re-arms a pending clipboard clear.
    void applyOptionTimers(int lockMinutes, int clearMinutes);
    QPointer<BKOptionsWindowController> mOptionsWindowController_;
    int mAppliedAutoLockMinutes_ = 0;
    int mAppliedClipboardClearMinutes_ = 0;

private:
    void connectEntryPanels();
    QPointer<BKGroupSettingsPanel> mGroupSettingsPanel_;
    QPointer<BKTypeSettingsPanel> mTypeSettingsPanel_;

    // =========================================================================================
    // User administration (BKController_Users.cpp): the user-account window, for vault
    // administrators only; other sessions get an alert.
public:
    void displayUserList();
    // The user-account window, made on first use and kept (null before).
    UserAccountController* userAccountController() const;

private:
    QPointer<UserAccountController> mUserAccountController_;

private:
    void buildMainWindowViews();
    void mainWindowResized();
    BKMainWindowViews* mViews_ = nullptr;
    QToolBar* mMainToolBar_ = nullptr;
    QAction* mMaskAction_ = nullptr;
    QAbstractButton* mUnmaskButton_ = nullptr;
    bool mSubviewsReady_ = false;

public:

    // =========================================================================================
    // File exchange (BKController_Exchange.cpp, _Export.cpp, _Import.cpp, _Mail.cpp)
    // Menu entry points: exportSelectedFile(1070 | 1071 | 1072), exportItemsToVRX(),
    // mailSelectedFile(), mailItems(), importSelectedFile(1060 | 1061 | 109); backupRecords()
    // for the commands that delete; importFile() for files handed to the application.

    // What the commands ask the user through: the desktop's panels unless set.
    BKExchangePrompts& exchangePrompts();
    void setExchangePrompts(std::unique_ptr<BKExchangePrompts> prompts);

    // The save panel (vRX with the attachments box, vRX without it, or CSV), the password
    // sheet for vRX, the export, then the mail question. A failed export is reported instead.
    void exportSelectedFile(int tag);
    void exportItemsToVRX();
    // A backup of `records` before they are deleted: the save panel, the password sheet and a
    // vRX 3.0 export (4.0 when any record has an attachment). True only when the file was
    // written completely; a cancel or a failure (reported) is false, and nothing may be deleted.
    bool backupRecords(const QList<std::shared_ptr<OTVRecord>>& records);
    // Like exportSelectedFile(1070), then the mail question.
    void mailSelectedFile();
    // The selected records, without password, as "Attached_Records.vrx" (a package) in the
    // private folder, then the mail question.
    void mailItems();

    // The open panel, then the import into the selected group: vRX (1060), CSV (1061), or a
    // restore (109, a vRX import after a confirmation).
    void importSelectedFile(int tag);
    // Imports a vRX file, or the file inside a version 4.0 package folder, into the selected
    // group; asks for the password of an enciphered file. True when every record came in.
    bool importVRXFile(const QString& path, bool forRestore);
    // The path of the private folder that exports for mail are written to (cleared first).
    QString mailExportFolderPath() const;

    // Runs `work` (an export or an import that uses the store) on a worker while the main
    // thread waits behind the modal progress panel: `text` over a bar that `progress` moves
    // (records done, total; a total of 0 is a busy bar). With `cancel` the panel has a Cancel
    // button that calls it.
    void runExchangeWorkerAndWait(const QString& text, std::function<void()> work,
                                  std::function<std::pair<int, int>()> progress, std::function<void()> cancel = {});

private:
    // Runs `work` on a worker counted by the gate; `wait` runs the main thread's modal loop
    // until `done` says the worker has ended. `atThreadEnd` runs on the worker after `work`.
    void runStoreWorker(std::function<void()> work,
                        const std::function<void(const std::function<bool()>& done)>& wait,
                        std::function<void()> atThreadEnd = {});
    struct ExportJob;
    bool exportToFile(const QString& path, const ExportJob& job, const QString& password);
    bool exportWithPasswordSheet(const QString& path, const ExportJob& job);
    ExportJob exportJobForScope(int scope, int kind, bool attachments) const;
    // False, after telling the user, for a scope of the window that holds no record.
    bool scopeHasRecordsToExport(int scope, const ExportJob& job);
    bool importExchangeFile(const QString& filePath);
    bool hasGroupToImportInto();
    void refreshViewsAfterImport();
    std::unique_ptr<BKExchangePrompts> mExchangePrompts_;

public:

private:
    void buildMainWindow();
    void showMainWindow();
    void offerFilesForImport();
    void removeAttachmentFolder();
    void saveUserLayoutAndPreferences();
    void registerObservers();
    // Counts a store worker for the gate while `work` runs.
    void runWithWorkerGate(const std::function<void()>& work);
    int loginStep();
    // What an administrator is told at login of the server's anonymous accounts on `hosts`.
    static QString anonymousAccountsMessage(const QStringList& hosts);
    bool loadVaultBehindPanel(bool firstLaunch, int* status);
    void fillConnectionDialog();
    void showConnectionAlert(int status);
    void setMasterPasswordFromPanel();
    int startUpSession();
    int runStartUpSession();

    OTVDataBase& store_;
    std::unique_ptr<BKMessageBoxAlertPresenter> mAlertPresenter_;
    std::unique_ptr<QMainWindow> mMainWindow_;
    QPointer<BKConnectionDialog> mConnectionDialog_;
    QPointer<BKFirstMasterPasswordDialog> mFirstMasterPasswordDialog_;
    QPointer<QDialog> mLoadingPanel_;
    QMetaObject::Connection mClipboardWatch_;
    std::unique_ptr<QTemporaryDir> mAttachmentFolder_;
    HostResolver mHostResolver_;

    QString mDefaultServer_;
    QString mDefaultPort_;
    QString mDefaultUser_;
    QStringList mFilesToImport_;

    std::atomic<int> mStoreWorkers_{0};
    bool mIsConnectionCancelled_ = false;
    bool mTerminationRequested_ = false;
    bool mTerminated_ = false;
    bool mStartUpFinished_ = false;
    bool mReconnecting_ = false;
    bool mIsConnecting_ = false;
    bool mIsLoginStepRunning_ = false;
    bool mInStartUpSession_ = false;
    bool mShouldCreateDatabase_ = false;
    bool mIsFirstLoadRunning_ = false;
    int mFirstLoadFailure_ = 0;

    // A reconnection waits for the store worker that found the loss.
    bool mReconnectionDeferred_ = false;
    // The connection dialog's server name is looked up without blocking the interface.
    void lookUpHostName(const QString& hostName, std::function<void(const QString& address)> found);
    void connectToAddress(const QString& address);
    bool mIsLookingUpHost_ = false;
};

// The web login's address from field 4: "http://" goes before one that begins with "www.".
QString BKWebLoginAddress(const QString& field4);
// The web address a web login opens for field 4: http or https only, else an empty URL.
class QUrl;
QUrl BKWebLoginUrl(const QString& field4);
