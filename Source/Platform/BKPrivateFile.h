#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Files that hold vault values in plain text (exports, backups, attachments, mail archives):
// only their owner may read them, from the first byte on, and they appear complete or not at
// all (written beside the target, renamed over it once whole).

// Opens `file` for writing with owner-only rights (an existing target's wider rights are not
// taken over). False when it cannot be opened or restricted; nothing is then written.
bool BKOpenPrivateFile(QSaveFile& file);

// Writes `bytes` to `path` as above.
bool BKWritePrivateFile(const QString& path, const QByteArray& bytes);

// Makes `path` an empty file as above, for a writer that opens it by name and writes it in
// place, keeping its rights (the printer's PDF): what it writes is private from the first byte.
bool BKCreateEmptyPrivateFile(const QString& path);
