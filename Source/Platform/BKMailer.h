#pragma once

#include <QString>

#include <functional>

// Hands a file to the user's mail program as the attachment of a new message. The desktop
// uses the freedesktop `xdg-email`; tests install a recording one.
class BKMailer {
public:
    virtual ~BKMailer() = default;
    // True when the mail program was started with the file attached. The file must stay where
    // it is while the user writes the message. `tookFile` runs on the main thread once the mail
    // program has taken the file; never when it could not.
    virtual bool mailFileAsAttachment(const QString& path, std::function<void()> tookFile) = 0;

    // The installed mailer, or the desktop's. Not owned.
    static BKMailer& current();
    static void install(BKMailer* mailer);

    // The application's private folder, removed when it quits (empty: none). A file inside it
    // that no mail program took is only there until then, which the user is told.
    static void setFolderRemovedAtQuit(const QString& folder);
    static QString folderRemovedAtQuit();
};

// Runs `xdg-email --attach <path>` (found on PATH) without waiting for the mail program.
class BKDesktopMailer final : public BKMailer {
public:
    bool mailFileAsAttachment(const QString& path, std::function<void()> tookFile) override;
};

// Packs `folder` with the system `tar` into "<folder>.tar.gz" beside it (a mail can carry
// files, not folders). Returns the archive's path, or a null string when it could not be
// made (then `error` says why and no partial archive is left).
QString BKPackFolderAsTarGz(const QString& folder, QString* error = nullptr);
