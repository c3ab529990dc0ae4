#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Hands a file to the user's mail program as an attachment of a new message (xdg-email), on a
// helper worker (BKHelperRunner). A mail carries files only: a folder (a package export) is
// packed first, by BKPackFolderAsTarGz (BKMailer.h).
class BKMailComposer {
public:
    // The command template of the mail program registered for "mailto:": the default one,
    // unless the handler's name is exactly "Microsoft Entourage".
    static QString templateKeyForMailHandler(const QString& handlerName);
    // The desktop id's name of the "mailto:" handler ("" when none is registered).
    static QString mailHandlerName();

    // The command the mail runs for the file `path`, program first; none for a folder.
    static QStringList commandForAttachment(const QString& path);
    // False for a folder, and when another helper was running and the request was dropped.
    // On the main thread, once the mail program has ended: `failed` when it could not start or
    // failed, else `tookFile`.
    static bool composeMailWithAttachment(const QString& path, std::function<void()> failed = {},
                                          std::function<void()> tookFile = {});
};
