#include "BKController.h"

// Steps of the life cycle that later parts of the interface fill in.

// The views write their layout (split views, list columns, selected view and group) to the
// logged-in user before his preferences are saved at quit.
void BKController::saveApplicationViewsLayout()
{
}

// The import of an exchange file that the user agreed to at launch.
void BKController::importFile(const QString& path)
{
    Q_UNUSED(path);
}
