#include "BKFilterAdditions.h"

#include <QFileInfo>
#include <QImageReader>

bool BKContainsString(const QStringList& items, const QString& text)
{
    const QString wanted = text.toLower();
    for (const QString& item : items)
        if (item.toLower().contains(wanted))
            return true;
    return false;
}

QStringList BKFilterImageFiles(const QStringList& paths)
{
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    QStringList images;
    for (const QString& path : paths)
        if (formats.contains(QFileInfo(path).suffix().toLower().toUtf8()))
            images.append(path);
    return images;
}
