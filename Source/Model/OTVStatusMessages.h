#pragma once

#include <QString>

// The message that tells the user of a store write's status (localised); a null string for 0.
QString OTVStatusMessage(int status);

// The message with the server's own words under it, when a database error ended the write
// (1 and 3; the others say all there is).
QString OTVStatusMessage(int status, const QString& serverMessage);

// Tells the user of a store write's status in an alert: nothing for 0, nor for a lost
// connection (the reconnection tells of that, once); every other status with its message.
void OTVShowStatusAlert(int status, const QString& serverMessage = {});
