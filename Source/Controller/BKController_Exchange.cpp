#include "BKController.h"

#include "BKExchangePanels.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

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

namespace {

// The modal panel of an export or an import: its text, a bar moved record by record, and
// Cancel where the work can stop between two records.
class ExchangeProgressPanel final : public QDialog {
public:
    ExchangeProgressPanel(QWidget* parent, const QString& text, const std::function<void()>& cancel)
        : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setObjectName(QStringLiteral("mLoadingDataPanel"));
        setWindowTitle(BKLocalizedString("Progress"));
        setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("mIphoneSyncProgressTextFeild"));
        layout->addWidget(label);
        bar_ = new QProgressBar(this);
        bar_->setObjectName(QStringLiteral("mDataLoadingProgressIndiator"));
        bar_->setRange(0, 0);
        bar_->setMinimumWidth(320);
        layout->addWidget(bar_);
        if (cancel) {
            auto* button = new QPushButton(BKLocalizedString("Cancel"), this);
            button->setObjectName(QStringLiteral("CancelButton"));
            connect(button, &QPushButton::clicked, this, [button, cancel] {
                button->setEnabled(false);
                cancel();
            });
            layout->addWidget(button, 0, Qt::AlignRight);
        }
    }

    void showProgress(int done, int total)
    {
        if (total <= 0) {
            bar_->setRange(0, 0);
            return;
        }
        bar_->setRange(0, total);
        // An estimated total never makes the bar look finished before the work is.
        bar_->setValue(std::min(done, total - 1));
    }

protected:
    // The work cannot be left half done by closing the window.
    void reject() override {}

private:
    QProgressBar* bar_;
};

} // namespace

void BKController::runExchangeWorkerAndWait(const QString& text, std::function<void()> work,
                                            std::function<std::pair<int, int>()> progress,
                                            std::function<void()> cancel)
{
    ExchangeProgressPanel panel(mainWindow(), text, cancel);
    panel.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = panel.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        panel.move(frame.topLeft());
    }
    QTimer ticks;
    ticks.setInterval(50);
    QObject::connect(&ticks, &QTimer::timeout, &panel, [&panel, &progress] {
        if (progress) {
            const auto [done, total] = progress();
            panel.showProgress(done, total);
        }
    });
    panel.show();
    ticks.start();
    runStoreWorker(std::move(work), &BKRunModalUntil);
    ticks.stop();
    panel.hide();
}
