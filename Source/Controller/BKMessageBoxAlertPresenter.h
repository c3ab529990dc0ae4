#pragma once

#include "Platform/BKApplicationServices.h"

// Shows alerts as application-modal message boxes: the default button first (and default),
// then the alternate and the other one. Esc and the window's close button answer as the alert's
// cancel answer says (its default unless it names another).
class BKMessageBoxAlertPresenter final : public BKAlertPresenter {
public:
    int runAlert(const BKAlert& alert) override;
};
