#pragma once

#include "Platform/BKUrlOpener.h"

#include <QList>
#include <QUrl>

// Receives the addresses the desktop would open, while it lives: tests see what a command
// asked to show instead of a browser starting. With `opens` false, no program takes them.
class UrlRecorder final : public BKUrlOpener {
public:
    UrlRecorder() { BKUrlOpener::install(this); }
    ~UrlRecorder() override { BKUrlOpener::install(nullptr); }

    void openUrl(const QUrl& url, std::function<void()> failed) override
    {
        urls.append(url);
        if (!opens && failed)
            failed();
    }

    QList<QUrl> urls;
    bool opens = true;
};
