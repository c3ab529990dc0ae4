#pragma once

#include "OEUserRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

class OECSVWriterDelegate;

// Writes users to a user list file. The file holds clear-text passwords: it is readable by
// its owner only, and it is written atomically, so a failed export leaves no partial file.
class OECSVWriter {
public:
    // A null path is a programming error (std::invalid_argument); an empty one leaves the
    // writer without a file, so the export reports that it could not write.
    explicit OECSVWriter(const QString& filePath);

    // Not owned; may be null.
    void setDelegate(OECSVWriterDelegate* delegate) { mdelegate_ = delegate; }

    // The header line, then one line per record in the given order; then the delegate hears
    // of a failed write, and in every case that the export is complete. Meant to run on a
    // worker thread.
    void exportRecords(const std::vector<OEUserRecord>& records);

    // The user list file's bytes for the records.
    static QByteArray userCSVData(const std::vector<OEUserRecord>& records);

private:
    bool writeDataToFile();

    QString mFilePath_;
    QByteArray mCSVData_;
    OECSVWriterDelegate* mdelegate_ = nullptr;
};
