#include "BKPrivateFile.h"

#include <QSaveFile>

bool BKOpenPrivateFile(QSaveFile& file)
{
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The temporary file that replaces the target takes these rights with it.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return true;
}

bool BKWritePrivateFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return BKOpenPrivateFile(file) && file.write(bytes) == bytes.size() && file.commit();
}

bool BKCreateEmptyPrivateFile(const QString& path)
{
    QSaveFile file(path);
    return BKOpenPrivateFile(file) && file.commit();
}
