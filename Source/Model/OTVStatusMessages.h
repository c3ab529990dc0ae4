#pragma once

#include <QString>

// The message that tells the user of a store write's status (localised); a null string for 0.
QString OTVStatusMessage(int status);
// Shows that message in the application's alert (title kDefaultAlertTitle, button "OK");
// nothing for 0.
void OTVShowStatusAlert(int status);
