#pragma once

#include <QStringList>
#include <QUrl>

#include <functional>

// Opens an address (a web page, a local file) with the desktop's program for it. `xdg-open`
// starts at once however it ends: only its exit status tells whether a program took the
// address, so the desktop's opener waits for it on a worker of its own (never behind another
// helper: a browser that xdg-open runs in the foreground would hold every other one up).
// Tests install a recording opener.
class BKUrlOpener {
public:
    virtual ~BKUrlOpener() = default;
    // `failed` runs on the main thread when no program could open the address.
    virtual void openUrl(const QUrl& url, std::function<void()> failed) = 0;

    // The installed opener, or the desktop's. Not owned.
    static BKUrlOpener& current();
    static void install(BKUrlOpener* opener);
};

class BKDesktopUrlOpener final : public BKUrlOpener {
public:
    // The command that opens the address, program first: a local file by its path.
    static QStringList command(const QUrl& url);
    void openUrl(const QUrl& url, std::function<void()> failed) override;
};

// Opens a web address through the current opener; when no program could, an alert says so
// and names the address.
void BKOpenWebAddress(const QUrl& url);
