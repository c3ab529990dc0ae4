#include "BKController.h"

// The record commands: add, edit, duplicate, de-duplicate, copy a field, masking, the details
// pane toggle, customising a record's labels and the small commands of the main window.

void BKController::addItemsToDetail() {}
void BKController::editItemDoubleAction() {}
void BKController::duplicateItem() {}
void BKController::deDupe() {}
void BKController::copyFieldValue(int tag) { Q_UNUSED(tag); }
void BKController::unmask(bool masked) { Q_UNUSED(masked); }
void BKController::unmaskFromMenu() {}
void BKController::toggleInfoView(bool shown) { Q_UNUSED(shown); }
void BKController::toggleInfoViewFromMenu() {}
void BKController::updateDetailInfoViewWithRecord(const std::shared_ptr<OTVRecord>& record) { Q_UNUSED(record); }
void BKController::displayFieldCustomizePanel() {}
void BKController::selectAll() {}
void BKController::showHelp() {}
void BKController::focusSearchField() {}
void BKController::clearClipBoardAction() {}
