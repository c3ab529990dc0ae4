#include "BKController.h"

// The main window's views are rebuilt here from the store's maps; until they exist the main
// window keeps its placeholder.
void BKController::updateApplicationViews()
{
}
