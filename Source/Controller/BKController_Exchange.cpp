#include "BKController.h"

#include "BKExchangePanels.h"
#include "BKProgressPanel.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QMainWindow>
#include <QTimer>

BKExchangePrompts& BKController::exchangePrompts()
{
    if (!mExchangePrompts_)
        mExchangePrompts_ = std::make_unique<BKExchangePanels>(mainWindow());
    return *mExchangePrompts_;
}

void BKController::setExchangePrompts(std::unique_ptr<BKExchangePrompts> prompts)
{
    mExchangePrompts_ = std::move(prompts);
}

void BKController::runExchangeWorkerAndWait(const QString& text, std::function<void()> work,
                                            std::function<std::pair<int, int>()> progress,
                                            std::function<void()> cancel)
{
    BKProgressPanel panel(mainWindow(), text, cancel);
    QTimer ticks;
    ticks.setInterval(50);
    QObject::connect(&ticks, &QTimer::timeout, &panel, [&panel, &progress] {
        if (progress) {
            const auto [done, total] = progress();
            panel.showProgress(done, total);
        }
    });
    panel.showCentred();
    ticks.start();
    runStoreWorkerBehindPanel(std::move(work));
    ticks.stop();
    panel.hide();
}
