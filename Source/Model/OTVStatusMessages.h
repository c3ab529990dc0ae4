#pragma once

#include <QString>

// The message that tells the user of a store write's status (localised); a null string for 0.
QString OTVStatusMessage(int status);

// Tells the user of a store write's status in an alert: nothing for 0, nor for a lost
// connection (the reconnection tells of that, once); every other status with its message.
void OTVShowStatusAlert(int status);
