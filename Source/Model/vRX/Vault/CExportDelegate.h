#pragma once

#include "Model/vRX/CExporter.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class OTVDataBase;
class OTVRecord;
class OTVType;

// The exporter's provider over the vault: hands out records of the store's record map (or a
// given list) in the line layout of the exchange formats, and writes their attachments as side
// files of a version 4.0 package. Made on the main thread; the exporter then runs on a worker
// while the main thread polls ISExportComplete().
class CExportDelegate : public CExportDataProviderDelegate {
public:
    // all: every record of the store's map that the user sees (it has a group), in the map's
    // order, as it is now; otherwise `records` in their order. `today` stamps records whose time of change cannot be read.
    CExportDelegate(bool all, QList<std::shared_ptr<OTVRecord>> records, OTVDataBase& store,
                    std::function<QDate()> today = &QDate::currentDate);
    CExportDelegate(bool all, QList<std::shared_ptr<OTVRecord>> records);

    // The export has ended, well or not.
    bool ISExportComplete() const { return complete_.load(); }
    // The file could not be written; no file was left under its name.
    bool ExportFailed() const { return failed_.load(); }
    // Records whose attachment has no side file in the package.
    int MissingAttachments() const { return missingAttachments_.load(); }

    void ExportComplete(EFileType kind, std::string path) override;
    void ErrorInExport(int code) override;
    bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) override;
    bool GetNextRecord(EFileType kind, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                       CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) override;
    void CopyAttachmentToPath(const char* destination, const char* recordUID, const char* passKey) override;
    // Every version 4.0 export is a package.
    bool AnyRecordHasAttachment() override { return true; }
    // A regular file in the package's place (an earlier export that the user chose to replace)
    // is removed first; an existing folder is kept as it is.
    void InitPathsForExportWithAttachments(std::string& packagePath, std::string& filePath,
                                           std::string& attachmentFolder) override;

private:
    // The side file of a record with an attachment, enciphered, and its line's pass-key entry.
    struct SideFile {
        QString recordUID;
        QString passKeyEntry;
        std::optional<QByteArray> bytes;   // none: the store could not give the attachment
    };
    SideFile MakeSideFile(const OTVRecord& record) const;

    OTVDataBase& store_;
    SideFile pending_;   // of the record last handed out, written by CopyAttachmentToPath
    QList<std::shared_ptr<OTVRecord>> records_;
    QHash<QString, std::shared_ptr<OTVRecord>> recordsByUID_;
    std::function<QDate()> today_;
    qsizetype next_ = 0;
    std::shared_ptr<OTVType> lastType_;
    std::atomic<bool> complete_{false};
    std::atomic<bool> failed_{false};
    std::atomic<int> missingAttachments_{0};
};
