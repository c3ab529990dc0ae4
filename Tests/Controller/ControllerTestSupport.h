#pragma once

// Shared by the controller's Qt Test programs: scripting modal dialogs and reading alerts.

#include "Controller/BKController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/TemporarySettings.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs `action` once, as soon as `widget` is visible: modal dialogs run their own event loop,
// so a test scripts them ahead of the call that shows them.
inline void whenVisible(QWidget* widget, std::function<void()> action)
{
    auto* timer = new QTimer(widget);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, widget, [timer, widget, action = std::move(action)] {
        if (!widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

inline QStringList alertLines(const RecordingAlertPresenter& alerts)
{
    QStringList lines;
    for (const BKAlert& alert : alerts.alerts)
        lines.append(alert.title + QStringLiteral(" | ") + alert.message + QStringLiteral(" | ") + alert.defaultButton);
    return lines;
}

// A store without a server whose last connection status a test sets.
class StatusStore final : public OTVDataBase {
public:
    void setStatus(int status) { mConnectionErrCode = status; }
};

// A controller over a store without a server, with settings of its own and recorded alerts;
// made in a test's init() and dropped in its cleanup().
struct ControllerSession {
    std::unique_ptr<TemporarySettings> settings = std::make_unique<TemporarySettings>();
    std::unique_ptr<StatusStore> store = std::make_unique<StatusStore>();
    std::unique_ptr<BKController> controller = std::make_unique<BKController>(*store);
    std::unique_ptr<RecordingAlertPresenter> alerts = std::make_unique<RecordingAlertPresenter>();

    ~ControllerSession()
    {
        alerts.reset();
        controller.reset();
        store.reset();
        settings.reset();
    }
};

// The base of a controller test program whose cases each run in a fresh ControllerSession:
// call startSession() from init() and endSession() from cleanup().
class ControllerSessionTest : public QObject {
protected:
    void startSession()
    {
        session_ = std::make_unique<ControllerSession>();
        store_ = session_->store.get();
        controller_ = session_->controller.get();
        alerts_ = session_->alerts.get();
    }
    void endSession() { session_.reset(); }

    std::unique_ptr<ControllerSession> session_;
    StatusStore* store_ = nullptr;
    BKController* controller_ = nullptr;
    RecordingAlertPresenter* alerts_ = nullptr;
};
