#pragma once

#include <QString>

#include <functional>

// What the vault store asks of the desktop interface. The desktop installs its implementation
// at start-up; until then (and in store tests that install nothing) a silent default answers.
// Every operation is called on the main thread: a store worker performs it there and waits
// (BKPerformOnMainThreadAndWait).
class BKApplicationServices {
public:
    virtual ~BKApplicationServices() = default;

    // The end of a connection attempt; the store's connectionErrorCode() holds its status.
    virtual void connectionISComplete() = 0;
    // A reload succeeded: rebuild the views from the store's maps.
    virtual void finishReloadingData() = 0;
    // A reload ended with the given non-zero status.
    virtual void reloadFailed(int status) = 0;
    // Enable the record commands that depend on the user's permissions.
    virtual void updateApplicationUIForCurrectPermissions() = 0;
    // Do not save the window layout and preferences when the application terminates.
    virtual void dontSavePreference() = 0;
    // Whether the main window is maximised (stored with the window position).
    virtual bool isMainWindowMaximied() = 0;
    // Quit the application. Returns at once; the caller must not go on with its work.
    virtual void terminateApplication() = 0;
    // The name that the account being edited in the user-account window had when its panel
    // opened; a null string when no account is being edited.
    virtual QString mCurrentUserName() = 0;
    // Runs `work` (which uses the store) on a worker thread, `atThreadEnd` last on that thread,
    // and returns when both have run. The desktop counts it as a store worker and shows its
    // modal panel meanwhile; the default only waits in an event loop.
    virtual void runStoreWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd = {});
    // The same for a caller that shows a modal panel of its own meanwhile: the desktop counts the
    // worker as a store worker (its timers leave the store alone) but shows no panel.
    virtual void runStoreWorkerBehindPanel(std::function<void()> work, std::function<void()> atThreadEnd = {});

    // The installed implementation, or the silent default. Not owned.
    static BKApplicationServices& current();
    static void install(BKApplicationServices* services);
};

// Return values of BKRunAlertPanel: which of the three buttons was pressed.
constexpr int kBKAlertDefaultReturn = 1;
constexpr int kBKAlertAlternateReturn = 0;
constexpr int kBKAlertOtherReturn = -1;

inline const QString kDefaultAlertTitle = QStringLiteral("Ostrevin Darovazivu Alert!");

struct BKAlert {
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton;
    QString otherButton;
    // The answer that Esc and the window's close button give: the default button's, unless the
    // default itself acts (a backup that goes on to delete, an overwrite).
    int cancelReturn = kBKAlertDefaultReturn;
    // Tells something the user asked for (a hint): no warning sign.
    bool informational = false;
};

// Shows modal alerts. The desktop installs one on message boxes; tests install a recording one.
class BKAlertPresenter {
public:
    virtual ~BKAlertPresenter() = default;
    virtual int runAlert(const BKAlert& alert) = 0;

    // Installs `presenter` (not owned); nullptr returns to the default, which logs the alert
    // and answers with the default button.
    static void install(BKAlertPresenter* presenter);
};

// Runs a modal alert on the main thread (waiting when called from a worker) and returns the
// button pressed. An empty title becomes kDefaultAlertTitle; an empty default button "OK".
int BKRunAlertPanel(const QString& title, const QString& message, const QString& defaultButton = {},
                    const QString& alternateButton = {}, const QString& otherButton = {});
// The same for a question whose Esc and close answer is `cancelReturn` rather than the default.
int BKRunAlertPanelCancelledBy(int cancelReturn, const QString& title, const QString& message,
                               const QString& defaultButton, const QString& alternateButton = {},
                               const QString& otherButton = {});
// An informational alert with the one button "OK".
void BKRunInformationalPanel(const QString& title, const QString& message);
