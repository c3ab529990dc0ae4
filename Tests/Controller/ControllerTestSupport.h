#pragma once

// Shared by the controller's Qt Test programs: scripting modal dialogs and reading alerts.

#include "Support/RecordingApplicationServices.h"

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
