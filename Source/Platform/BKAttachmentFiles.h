#pragma once

#include <QByteArray>
#include <QString>

// Files made from attachments. An attachment's name comes from the vault, where other users and
// imports set it, so it is never used as a path as it stands.
class BKAttachmentFiles {
public:
    // The longest file name the file system takes, in UTF-8 bytes.
    static constexpr int kMaxFileNameBytes = 255;

    // A plain file name for the attachment name: its last path component, without NUL
    // characters and leading dots, shortened (keeping the extension) to kMaxFileNameBytes;
    // "attachment" when nothing is left.
    static QString sanitisedName(const QString& attachmentName);
    // The extension of a name's last component ("" for none, and for ".profile").
    static QString extension(const QString& name);
    // The save panel's rule: a confirmed name whose extension is not the required one gets it
    // appended; anything else stays as typed (also with no required extension).
    static QString saveAsFileName(const QString& typedName, const QString& requiredExtension, bool confirmed);

    // Writes `bytes` atomically, mode 0600, as `folder`/sanitisedName(name), replacing what is
    // there (a symbolic link is replaced, never followed). The folder must be a real folder of
    // the user's with mode 0700. The written path, or a null string on failure.
    static QString writeIntoPrivateFolder(const QString& folder, const QString& name, const QByteArray& bytes);
    // Writes `bytes` atomically to `path` (a place the user chose); false on failure.
    static bool writeFile(const QString& path, const QByteArray& bytes);
};
