#pragma once

// BKController: the application's controller. One class, one header; its work is spread over
// one source file per concern:
//   BKController.cpp            creation, start-up, termination, the store-worker gate
//   BKController_Login.cpp      the connection dialog, the login step and the first load
//   BKController_Reload.cpp     reload, lost connection, deleted account
//   BKController_Services.cpp   what the vault store asks of the interface, alerts
//   BKController_ViewsHook.cpp  where the main window's views are rebuilt after a (re)load
//   BKController_Hooks.cpp      the views' layout at quit, the import of a file given at launch
// The connection dialog and the first-master-password panel are widgets of their own
// (BKConnectionDialog, BKFirstMasterPasswordDialog) that only collect; the controller acts.

#include "Platform/BKApplicationServices.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <memory>

class BKConnectionDialog;
class BKDetailsView;
class BKGroup;
class BKGroupSettingsPanel;
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
class BKFirstMasterPasswordDialog;
class BKMessageBoxAlertPresenter;
class QDialog;
class OTVDataBase;
class QMainWindow;
class QTimer;

// Results of the modal dialogs: OK, cancelled (callers act only on kBKModalStop).
constexpr int kBKModalStop = -1000;
constexpr int kBKModalAbort = -1001;

class BKController : public QObject, public BKApplicationServices {
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

    // Set once the vault is loaded, before the main window's views are built: until then the
    // record views show no rows.
    bool mShouldCreateDatabase() const { return mShouldCreateDatabase_; }
    // The record commands filter by every type.
    QString getSelectedTypeUID() const;
    // Record permissions (1 add, 2 edit, 4 delete) in a group: every request is allowed.
    bool checkForRecordPermissionFor(int permission, const std::shared_ptr<BKGroup>& group) const;

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
    // Stores the list-column widths and the first sort descriptor for the selected type.
    void saveTableColumnWidthToPreference();
    // Titles the ten field columns of the list: "Field 1" .. "Field 10".
    void updateTableColumnsWithSelectedItem();
    // The record the commands act on and the records they take (see BKMainWindowViews).
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const;
    QList<std::shared_ptr<OTVRecord>> indexSetForExporting(bool whole) const;
    void updateTables();
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
    // The clipboard watch: every second once the main window shows (skipped while a store
    // worker runs).
    void checkClipBoard();
    // The clipboard-clearing step; at quit (`atExit`) unless the connection was cancelled.
    void installClearClipBoardTimer(bool atExit);

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
    // as the options set them; the timers take them from here.
    void applyAutoLockMinutes(int minutes);
    void applyClipboardClearMinutes(int minutes);
    int appliedAutoLockMinutes() const { return mAppliedAutoLockMinutes_; }
    int appliedClipboardClearMinutes() const { return mAppliedClipboardClearMinutes_; }
    // `color` blended `fraction` of the way toward white.
    static QColor blendedTowardWhite(const QColor& color, double fraction);

private:
    QPointer<BKOptionsWindowController> mOptionsWindowController_;
    int mAppliedAutoLockMinutes_ = 0;
    int mAppliedClipboardClearMinutes_ = 0;

private:
    void connectEntryPanels();
    QPointer<BKGroupSettingsPanel> mGroupSettingsPanel_;
    QPointer<BKTypeSettingsPanel> mTypeSettingsPanel_;

private:
    void buildMainWindowViews();
    void mainWindowResized();
    BKMainWindowViews* mViews_ = nullptr;
    QToolBar* mMainToolBar_ = nullptr;
    QAction* mMaskAction_ = nullptr;
    QAbstractButton* mUnmaskButton_ = nullptr;
    bool mSubviewsReady_ = false;

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
    QPointer<QTimer> mClipboardWatchTimer_;
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
