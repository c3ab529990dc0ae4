#include "OECSVCreatorDelegate.h"

#include "Platform/BKLocalization.h"

void OECSVCreatorDelegate::exportComplete()
{
    mIsProcessingComplete_ = true;
}

void OECSVCreatorDelegate::userCSVExportError(int code)
{
    merrCode_ = code;
}

bool OECSVCreatorDelegate::isProcessingComplete() const
{
    return mIsProcessingComplete_;
}

std::optional<QString> OECSVCreatorDelegate::getErrorString() const
{
    if (merrCode_ == kUserCSVExportWriteFailed)
        return BKLocalizedString("Export incomplete. Unable to create export file, please try again.");
    return std::nullopt;
}
