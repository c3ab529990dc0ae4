#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Hands a file to the user's mail program as an attachment of a new message (xdg-email), on a
// helper worker (BKHelperRunner). A folder (a package export) is first packed with tar into
// "<folder>.tar.gz" beside it, since a mail can only carry files.
class BKMailComposer {
public:
    // The command template of the mail program registered for "mailto:": the default one,
    // unless the handler's name is exactly "Microsoft Entourage".
    static QString templateKeyForMailHandler(const QString& handlerName);
    // The desktop id's name of the "mailto:" handler ("" when none is registered).
    static QString mailHandlerName();

    // The commands the mail runs for `path`, program first, in order.
    static QList<QStringList> commandsForAttachment(const QString& path);
    // False when another helper was running and the request was dropped. `failed` runs on the
    // main thread when a command could not start or ended with a failure.
    static bool composeMailWithAttachment(const QString& path, std::function<void()> failed = {});
};
