#include "RecordingApplicationServices.h"

RecordingApplicationServices::RecordingApplicationServices()
{
    BKApplicationServices::install(this);
}

RecordingApplicationServices::~RecordingApplicationServices()
{
    BKApplicationServices::install(nullptr);
}

void RecordingApplicationServices::record(const QString& call)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.append(call);
}

void RecordingApplicationServices::connectionISComplete() { record(QStringLiteral("connectionISComplete")); }
void RecordingApplicationServices::finishReloadingData() { record(QStringLiteral("finishReloadingData")); }
void RecordingApplicationServices::reloadFailed(int status)
{
    record(QStringLiteral("reloadFailed(%1)").arg(status));
}
void RecordingApplicationServices::updateApplicationUIForCurrectPermissions()
{
    record(QStringLiteral("updateApplicationUIForCurrectPermissions"));
}
void RecordingApplicationServices::dontSavePreference() { record(QStringLiteral("dontSavePreference")); }
bool RecordingApplicationServices::isMainWindowMaximied()
{
    record(QStringLiteral("isMainWindowMaximied"));
    return mainWindowMaximised;
}
void RecordingApplicationServices::terminateApplication() { record(QStringLiteral("terminateApplication")); }
QString RecordingApplicationServices::mCurrentUserName()
{
    record(QStringLiteral("mCurrentUserName"));
    return currentUserName;
}

QStringList RecordingApplicationServices::calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

int RecordingApplicationServices::count(const QString& call) const
{
    return calls().count(call);
}

void RecordingApplicationServices::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

RecordingAlertPresenter::RecordingAlertPresenter()
{
    BKAlertPresenter::install(this);
}

RecordingAlertPresenter::~RecordingAlertPresenter()
{
    BKAlertPresenter::install(nullptr);
}

int RecordingAlertPresenter::runAlert(const BKAlert& alert)
{
    alerts.append(alert);
    return answers.isEmpty() ? kBKAlertDefaultReturn : answers.takeFirst();
}

QStringList RecordingAlertPresenter::messages() const
{
    QStringList result;
    for (const BKAlert& alert : alerts)
        result.append(alert.message);
    return result;
}
