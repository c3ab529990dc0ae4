#include "BKAttachmentFiles.h"

#include "BKPrivateFile.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFallbackName = QStringLiteral("attachment");

// The longest start of `text` whose UTF-8 form fits `bytes`, never cutting a character.
QString fittingPrefix(const QString& text, int bytes)
{
    QString out;
    int used = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        const int size = int(character.toUtf8().size());
        if (used + size > bytes)
            break;
        out += character;
        used += size;
        i += length - 1;
    }
    return out;
}

bool isPrivateFolder(const QString& folder)
{
    struct stat info {};
    const QByteArray path = QFile::encodeName(folder);
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 0777) == 0700;
}

} // namespace

QString BKAttachmentFiles::sanitisedName(const QString& attachmentName)
{
    QString name = attachmentName;
    name.remove(QChar(0));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.trimmed().isEmpty())
        return kFallbackName;
    if (name.toUtf8().size() > kMaxFileNameBytes) {
        const QString suffix = extension(name);
        const int suffixBytes = suffix.isEmpty() ? 0 : int(suffix.toUtf8().size()) + 1;
        if (suffixBytes > 0 && suffixBytes <= 32) {
            const QString stem = name.left(name.size() - suffix.size() - 1);
            name = fittingPrefix(stem, kMaxFileNameBytes - suffixBytes) + QLatin1Char('.') + suffix;
        } else {
            name = fittingPrefix(name, kMaxFileNameBytes);
        }
    }
    return name;
}

QString BKAttachmentFiles::extension(const QString& name)
{
    const QString last = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = last.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? last.mid(dot + 1) : QString();
}

QString BKAttachmentFiles::saveAsFileName(const QString& typedName, const QString& requiredExtension, bool confirmed)
{
    if (!confirmed || requiredExtension.isEmpty() || extension(typedName) == requiredExtension)
        return typedName;
    return typedName + QLatin1Char('.') + requiredExtension;
}

QString BKAttachmentFiles::writeIntoPrivateFolder(const QString& folder, const QString& name, const QByteArray& bytes)
{
    if (folder.isEmpty() || !isPrivateFolder(folder))
        return {};
    const QString path = folder + QLatin1Char('/') + sanitisedName(name);
    // QSaveFile would write through a link to its target; whatever is there goes first.
    const QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !existing.isDir())
        QFile::remove(path);
    if (QFileInfo(path).isDir())
        return {};
    return BKWritePrivateFile(path, bytes) ? path : QString();
}

bool BKAttachmentFiles::writeFile(const QString& path, const QByteArray& bytes)
{
    return BKWritePrivateFile(path, bytes);
}
