#include "BKApplicationServices.h"

#include "BKLocalization.h"
#include "BKMainThread.h"
#include "BKWorker.h"

#include <QDebug>

#include <atomic>

namespace {

class SilentApplicationServices final : public BKApplicationServices {
public:
    void connectionISComplete() override {}
    void finishReloadingData() override {}
    void reloadFailed(int) override {}
    void updateApplicationUIForCurrectPermissions() override {}
    void dontSavePreference() override {}
    bool isMainWindowMaximied() override { return false; }
    void terminateApplication() override {}
    QString mCurrentUserName() override { return {}; }
};

class LoggingAlertPresenter final : public BKAlertPresenter {
public:
    int runAlert(const BKAlert& alert) override
    {
        qWarning().noquote() << alert.title << ":" << alert.message;
        return kBKAlertDefaultReturn;
    }
};

std::atomic<BKApplicationServices*> installedServices{nullptr};
std::atomic<BKAlertPresenter*> installedPresenter{nullptr};

} // namespace

BKApplicationServices& BKApplicationServices::current()
{
    static SilentApplicationServices silent;
    BKApplicationServices* services = installedServices.load();
    return services ? *services : silent;
}

void BKApplicationServices::install(BKApplicationServices* services)
{
    installedServices.store(services);
}

void BKAlertPresenter::install(BKAlertPresenter* presenter)
{
    installedPresenter.store(presenter);
}

void BKApplicationServices::runStoreWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd)
{
    BKRunWorkerAndWait(std::move(work), std::move(atThreadEnd));
}

void BKApplicationServices::runStoreWorkerBehindPanel(std::function<void()> work, std::function<void()> atThreadEnd)
{
    BKRunWorkerAndWait(std::move(work), std::move(atThreadEnd));
}

namespace {

int runAlert(const BKAlert& alert)
{
    static LoggingAlertPresenter logging;
    int pressed = kBKAlertDefaultReturn;
    BKPerformOnMainThreadAndWait([&] {
        BKAlertPresenter* presenter = installedPresenter.load();
        pressed = (presenter ? presenter : &logging)->runAlert(alert);
    });
    return pressed;
}

} // namespace

int BKRunAlertPanel(const QString& title, const QString& message, const QString& defaultButton,
                    const QString& alternateButton, const QString& otherButton)
{
    return BKRunAlertPanelCancelledBy(kBKAlertDefaultReturn, title, message, defaultButton, alternateButton,
                                      otherButton);
}

int BKRunAlertPanelCancelledBy(int cancelReturn, const QString& title, const QString& message,
                               const QString& defaultButton, const QString& alternateButton,
                               const QString& otherButton)
{
    return runAlert({title.isEmpty() ? BKLocalizedString(kDefaultAlertTitle) : title, message,
                     defaultButton.isEmpty() ? BKLocalizedString("OK") : defaultButton, alternateButton, otherButton,
                     cancelReturn});
}

void BKRunInformationalPanel(const QString& title, const QString& message)
{
    BKAlert alert{title, message, BKLocalizedString("OK"), {}, {}};
    alert.informational = true;
    runAlert(alert);
}
