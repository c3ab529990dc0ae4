#include "BKController.h"

#include "BKMainWindowViews.h"

#include "Customization/BKOwnClipboard.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKUrlOpener.h"

#include <QUrl>

namespace {

// Only web addresses are opened: a record's address may come from anyone's import.
QUrl webAddressUrl(const QString& address)
{
    QUrl url(address, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https")) ? url : QUrl();
}

} // namespace

QString BKWebLoginAddress(const QString& field4)
{
    return field4.startsWith(QStringLiteral("www.")) ? QStringLiteral("http://%1").arg(field4) : field4;
}

void BKController::webLogin()
{
    if (!mViews_)
        return;
    // The record shown at the selected row, in every view.
    const std::shared_ptr<OTVRecord> record = mViews_->itemPropertiesForTableViewSelectedRow();
    if (record)
        webLoginForRecord(*record);
}

void BKController::webLoginForRecord(const OTVRecord& record)
{
    const QUrl url = webAddressUrl(BKWebLoginAddress(record.value(4)));
    if (url.isEmpty())
        return;
    // A browser form cannot be filled in from here: the password goes to the clipboard.
    if (!record.value(3).isEmpty() && checkForDataPermissionFor(kDataPermissionCopy))
        BKCopyToClipboard(record.value(3));
    BKOpenWebAddress(url);
}
