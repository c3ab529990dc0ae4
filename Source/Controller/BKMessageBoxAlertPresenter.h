#pragma once

#include "Platform/BKApplicationServices.h"

// Shows alerts as application-modal message boxes: the default button first (and default),
// then the alternate and the other one.
class BKMessageBoxAlertPresenter final : public BKAlertPresenter {
public:
    int runAlert(const BKAlert& alert) override;
};
