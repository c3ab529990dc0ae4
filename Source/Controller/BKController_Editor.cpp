#include "BKController.h"

// The groups and types editor, opened from the main window.

void BKController::displayEditGroupPanel() {}
void BKController::displayEditTypesPanel(int senderTag) { Q_UNUSED(senderTag); }
