#pragma once

// Told by OECSVWriter how an export of users ended. Called on the writer's thread.
class OECSVWriterDelegate {
public:
    virtual ~OECSVWriterDelegate() = default;
    virtual void exportComplete() = 0;
    virtual void userCSVExportError(int code) = 0;
};

// The export file could not be written.
inline constexpr int kUserCSVExportWriteFailed = 1;
