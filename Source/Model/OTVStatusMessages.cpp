#include "OTVStatusMessages.h"

#include "Model/Database_Engine/OTVStoreStatus.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

QString OTVStatusMessage(int status)
{
    if (status == kOTVStatusOK)
        return QString();
    if (status == kOTVStatusNothingWritten)
        return BKLocalizedString("Operation failed. Please reload the database first.");
    if (status == kOTVStatusValueTooLong)
        return BKLocalizedString("The value is too long or contains characters that cannot be stored.");
    return BKLocalizedString("Operation failed.");
}

QString OTVStatusMessage(int status, const QString& serverMessage)
{
    const bool failed = status == kOTVStatusOtherFailure || status == kOTVStatusDatabaseError;
    if (!failed || serverMessage.isEmpty())
        return OTVStatusMessage(status);
    return OTVStatusMessage(status) + QLatin1Char('\n') + serverMessage;
}

void OTVShowStatusAlert(int status, const QString& serverMessage)
{
    if (status == kOTVStatusOK || OTVIsLostConnectionStatus(status))
        return;
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), OTVStatusMessage(status, serverMessage),
                    BKLocalizedString("OK"));
}
