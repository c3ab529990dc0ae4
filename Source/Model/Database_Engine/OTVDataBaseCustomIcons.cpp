// Custom icons: pictures imported as icons for record types, stored as 48 x 48 PNG images in
// CUSTOMICONTABLE under numbers from 1001 and kept in mCustomIcons ("Icon<n>" -> image); and
// the image of any icon number, the application's own or a custom one.
#include "OTVDataBase.h"

#include "OTVCustomIconImage.h"
#include "OTVDataBaseQueries.h"

#include "Model/OTVBuiltInIcons.h"

#include "Platform/BKApplicationServices.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKWorker.h"

#include <QDebug>

#include <cppconn/exception.h>
#include <QHash>

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace {

QString iconKey(int iconIndex)
{
    return QStringLiteral("Icon%1").arg(iconIndex);
}

// The application's own icons 1 .. kStandardIcons, drawn once at the display size; a number
// without a drawing of its own shows the default icon. Other numbers have none.
QImage applicationIcon(int iconIndex)
{
    if (iconIndex < 1 || iconIndex > OTVDataBase::kStandardIcons)
        return {};
    static std::mutex mutex;
    static QHash<int, QImage> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = cache.constFind(iconIndex);
    if (found == cache.constEnd())
        found = cache.insert(iconIndex, OTVBuiltInIconImage(iconIndex, kIconDisplaySide));
    return *found;
}

QImage displaySized(const QImage& image)
{
    return image.scaled(kIconDisplaySide, kIconDisplaySide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Numbers taken by other clients between reading the largest and inserting are skipped; this
// many in a row means something else is wrong.
constexpr int kIconNumberAttempts = 20;

} // namespace

int OTVDataBase::insertCustomIconWithIndex(int* iconIndex, const QByteArray& withdata)
{
    QImage image;
    if (!image.loadFromData(withdata)) {
        qWarning() << "custom icon: the data is no image";
        return kOTVStatusDatabaseError;
    }
    int number = 0;
    const int status = runGuarded(
        [&] {
            // The next number is the largest stored one plus 1. Another client (through any
            // node of a cluster) may take it first: the unique number refuses the second row,
            // and the next largest is read again.
            for (int attempt = 1;; ++attempt) {
                OTVStatement largestStatement = prepare(SelMaxIconTblval);
                OTVResultSet largest = largestStatement.executeQuery();
                const int stored = largest.next() && !largest.isNull(1u) ? largest.getInt(1u) : 0;
                number = std::max(stored, int(kCustomIcons)) + 1;
                try {
                    OTVStatement insertion = prepare(kInsertCustomIconTable);
                    insertion.setInt(1, number);
                    insertion.setBlob(2, withdata);
                    insertion.executeUpdate();
                    break;
                } catch (const sql::SQLException& e) {
                    if (e.getErrorCode() != kDBDuplicateKeyCode || attempt == kIconNumberAttempts)
                        throw;
                }
            }
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (status != kOTVStatusOK)
        return status;
    changeMapsOnMainThread([this, number, image] { mCustomIcons_.insert(iconKey(number), image); });
    if (iconIndex)
        *iconIndex = number;
    return kOTVStatusOK;
}

QList<int> OTVDataBase::addCustomIconsFromImages(const QStringList& paths)
{
    QList<int> numbers;
    for (const QString& path : paths) {
        const QByteArray png = OTVCustomIconPNGFromFile(path);
        if (png.isEmpty())
            continue;   // no picture: skipped without a message
        int number = kCustomIcons;
        if (insertCustomIconWithIndex(&number, png) != kOTVStatusOK)
            continue;
        numbers.append(number);
        // Observers draw the new icon: they may only do so on the main thread.
        BKPerformOnMainThreadAndWait([number] {
            BKNotificationCenter::defaultCenter().postNotification(kExternalIconCreatedNotification, number);
        });
    }
    return numbers;
}

QList<int> OTVDataBase::importCustomIcons(const QStringList& paths)
{
    QList<int> numbers;
    // Through the desktop, so that its timers keep off the store and the user sees the wait.
    BKApplicationServices::current().runStoreWorkerAndWait(
        [this, paths, &numbers] { numbers = addCustomIconsFromImages(paths); }, &OTVDataBase::endDatabaseThread);
    return numbers;
}

QImage OTVDataBase::getImageFromIconIndex(int iconIndex) const
{
    if (iconIndex >= kCustomIcons) {
        StoreLock lock(*this);
        const QImage custom = mCustomIcons_.value(iconKey(iconIndex));
        return custom.isNull() ? custom : displaySized(custom);
    }
    const QImage own = applicationIcon(iconIndex);
    return own.width() > kIconDisplaySide ? displaySized(own) : own;
}
