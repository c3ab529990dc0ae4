#include "OECSVWriter.h"

#include "OECSVWriterDelegate.h"

#include "Model/vRX/ExchangeFormats.h"
#include "Platform/BKPrivateFile.h"

#include <QDir>

#include <stdexcept>
#include <string>
#include <utility>

namespace {

// A leading "~" stands for the home folder, as in a path the user typed.
QString expandTilde(const QString& path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

} // namespace

OECSVWriter::OECSVWriter(const QString& filePath)
{
    if (filePath.isNull())
        throw std::invalid_argument("Invalid parameter not satisfying: filePath!=nil");
    mFilePath_ = filePath;
}

void OECSVWriter::exportRecords(const std::vector<OEUserRecord>& records)
{
    mCSVData_ = userCSVData(records);
    if (!writeDataToFile() && mdelegate_)
        mdelegate_->userCSVExportError(kUserCSVExportWriteFailed);
    mCSVData_.clear();
    if (mdelegate_)
        mdelegate_->exportComplete();
}

bool OECSVWriter::writeDataToFile()
{
    if (mFilePath_.isEmpty())
        return false;
    // The passwords are never readable by others, not even in the temporary file.
    return BKWritePrivateFile(expandTilde(mFilePath_), mCSVData_);
}

QByteArray OECSVWriter::userCSVData(const std::vector<OEUserRecord>& records)
{
    std::string text;
    WriteHeader(kUserCSVFile, text, nullptr);
    for (const OEUserRecord& record : records) {
        CStringArray permissionFields;
        const std::pair<quint16, OEPermissionKind> words[] = {
            {record.mGroupPermissionsBit(), kGroupPermissionKind},
            {record.mTypePermissionsBit(), kTypePermissionKind},
            {record.mRecordPermissionsBit(), kRecordPermissionKind},
            {record.mDataPermissionsBit(), kDataPermissionKind},
        };
        for (const auto& [word, kind] : words)
            permissionFields.Add(OEUserRecord::convertPermissionToBinaryString(word, kind).c_str());
        CStringArray textFields;
        for (const auto* field : {&record.mUsername(), &record.mPassword(), &record.mConfirmPassword(),
                                  &record.mFullName(), &record.mDescription(), &record.mEmail(), &record.mPhoneNo()})
            textFields.Add(field->value_or(QString()).toUtf8().constData());
        WriteNextCSVUserRecord(text, textFields, permissionFields);
    }
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}
