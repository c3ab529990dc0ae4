#pragma once

// The progress of an export or an import running on a worker: decorators over the vault's
// provider and delegate that count records as they pass (read by the main thread's progress
// panel), and let an import be cancelled between two records.

#include "Model/vRX/CExporter.h"
#include "Model/vRX/CvRXImporter.h"

#include <atomic>

class BKCountingExportProvider final : public CExportDataProviderDelegate {
public:
    explicit BKCountingExportProvider(CExportDataProviderDelegate& provider) : provider_(provider) {}

    int recordsDone() const { return done_.load(); }

    void ExportComplete(EFileType kind, std::string path) override { provider_.ExportComplete(kind, std::move(path)); }
    void ErrorInExport(int code) override { provider_.ErrorInExport(code); }
    bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) override
    {
        return provider_.GetTypeForLastRecord(typeFields, mask, icon);
    }
    bool GetNextRecord(EFileType kind, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                       CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) override
    {
        const bool more = provider_.GetNextRecord(kind, fields, mask, customNames, category, attachment, icon, newType);
        if (more)
            ++done_;
        return more;
    }
    void CopyAttachmentToPath(const char* destination, const char* recordUID, const char* passKey) override
    {
        provider_.CopyAttachmentToPath(destination, recordUID, passKey);
    }
    bool AnyRecordHasAttachment() override { return provider_.AnyRecordHasAttachment(); }
    void InitPathsForExportWithAttachments(std::string& packagePath, std::string& filePath,
                                           std::string& attachmentFolder) override
    {
        provider_.InitPathsForExportWithAttachments(packagePath, filePath, attachmentFolder);
    }

private:
    CExportDataProviderDelegate& provider_;
    std::atomic<int> done_{0};
};

// Once cancelled, the lines still read are dropped: each record is added whole or not at all.
class BKCancellableImportDelegate final : public CvRXImporterDelegate {
public:
    explicit BKCancellableImportDelegate(CvRXImporterDelegate& delegate) : delegate_(delegate) {}

    void cancel() { cancelled_.store(true); }
    bool isCancelled() const { return cancelled_.load(); }
    // Record lines handed on so far.
    int linesDone() const { return done_.load(); }

    void CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask,
                    unsigned short count) override
    {
        if (!cancelled_.load())
            delegate_.CreateType(fields, icon, mask, count);
    }
    void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                   const CStringArray& attachment, const CString& category, unsigned short icon, unsigned short mask,
                   unsigned short count) override
    {
        if (cancelled_.load())
            return;
        delegate_.AddRecord(kind, fields, customNames, attachment, category, icon, mask, count);
        ++done_;
    }
    void ImportComplete() override { delegate_.ImportComplete(); }
    void ErrorInImport(int code) override
    {
        if (!cancelled_.load())
            delegate_.ErrorInImport(code);
    }

private:
    CvRXImporterDelegate& delegate_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> done_{0};
};
