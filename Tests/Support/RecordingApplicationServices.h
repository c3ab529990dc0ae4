#pragma once

#include "Platform/BKApplicationServices.h"

#include <QString>
#include <QStringList>

#include <mutex>

// A fake desktop for store tests: records every call the store makes, in order, and answers
// with values that a test sets. Installs itself for its lifetime.
class RecordingApplicationServices final : public BKApplicationServices {
public:
    RecordingApplicationServices();
    ~RecordingApplicationServices() override;

    void connectionISComplete() override;
    void finishReloadingData() override;
    void reloadFailed(int status) override;
    void updateApplicationUIForCurrectPermissions() override;
    void dontSavePreference() override;
    bool isMainWindowMaximied() override;
    void terminateApplication() override;
    QString mCurrentUserName() override;

    QStringList calls() const;   // e.g. "connectionISComplete", "reloadFailed(9)"
    int count(const QString& call) const;
    void clear();

    bool mainWindowMaximised = false;
    QString currentUserName;     // what mCurrentUserName() answers

private:
    void record(const QString& call);
    mutable std::mutex mutex_;
    QStringList calls_;
};

// A fake alert presenter: records the alerts and answers with the scripted buttons in turn
// (the default button when the script is used up). Installs itself for its lifetime.
class RecordingAlertPresenter final : public BKAlertPresenter {
public:
    RecordingAlertPresenter();
    ~RecordingAlertPresenter() override;

    int runAlert(const BKAlert& alert) override;

    QList<BKAlert> alerts;
    QList<int> answers;
    QStringList messages() const;
};
