#pragma once

#include "OECSVWriterDelegate.h"

#include <QString>

#include <atomic>
#include <optional>

// Collects the outcome of a user export for the main thread, which polls
// isProcessingComplete() while the writer runs on a worker.
class OECSVCreatorDelegate : public OECSVWriterDelegate {
public:
    void exportComplete() override;
    void userCSVExportError(int code) override;

    bool isProcessingComplete() const;
    // The message for the user when the export failed, nothing when it succeeded.
    std::optional<QString> getErrorString() const;

private:
    std::atomic<bool> mIsProcessingComplete_{false};
    std::atomic<int> merrCode_{0};
};
