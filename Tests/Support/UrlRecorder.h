#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Receives the web addresses the desktop would open, while it lives: tests see what a command
// asked to show instead of a browser starting.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
    }
    ~UrlRecorder() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> urls;

public slots:
    void openUrl(const QUrl& url) { urls.append(url); }
};
