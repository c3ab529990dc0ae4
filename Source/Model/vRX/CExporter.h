#pragma once

#include "Model/vRX/Blowfish.h"
#include "Model/vRX/CString.h"
#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"

#include <memory>
#include <string>

// Codes of CExportDataProviderDelegate::ErrorInExport.
enum EExportError {
    kExportErrorAttachmentWrite = 1,   // an attachment side file could not be written
    kExportErrorFileWrite = 2,         // the export file could not be written whole; none was left
    kExportErrorAttachmentRead = 3,    // a record's attachment could not be read for its side file
};

// Where the exporter pulls its records from, one at a time, in the line layout of the exchange
// formats. The exporter knows nothing of the vault; the application's provider does.
class CExportDataProviderDelegate {
public:
    virtual ~CExportDataProviderDelegate() = default;

    // The export has ended and nothing more will be asked; path is the file written (the file
    // inside the package for version 4.0). Called after a failure too, once ErrorInExport(2)
    // has told of it: it is the last call, and the caller may delete the exporter once it ran.
    virtual void ExportComplete(EFileType kind, std::string path) = 0;
    // One of EExportError. The export goes on after codes 1 and 3.
    virtual void ErrorInExport(int code) = 0;
    // The type of the record last returned: its name and ten labels, mask and icon. False stops
    // the export, which then fails.
    virtual bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) = 0;
    // The next record; false when there is none. newType: its type differs from the previous
    // record's (never set for kind 1, which has no type lines).
    virtual bool GetNextRecord(EFileType kind, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                               CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) = 0;
    // Writes the record's attachment, enciphered with passKey, to destination.
    virtual void CopyAttachmentToPath(const char* destination, const char* recordUID, const char* passKey) = 0;
    // Whether a version 4.0 export is written as a package with side files.
    virtual bool AnyRecordHasAttachment() = 0;
    // Creates the package folder packagePath with its folder "Files"; filePath becomes the file
    // inside it (named like the package), attachmentFolder the "Files" folder with a final "/".
    virtual void InitPathsForExportWithAttachments(std::string& packagePath, std::string& filePath,
                                                   std::string& attachmentFolder) = 0;
};

// Writes the provider's records to a plain CSV export (kind 1) or a vRX file of version 3.0
// (kind 4) or 4.0 (kind 5), enciphered when a password is given. The file is written through a
// temporary file and renamed into place only when it was written whole, so a failed export
// never leaves a partial file under the chosen name.
class CExporter {
public:
    // Throws std::runtime_error("Invalid arguments") for a null provider, an empty path or a
    // kind that is not written. The key schedule of a non-empty password is made here, once.
    CExporter(std::string path, CExportDataProviderDelegate* provider, EFileType kind, std::string password);
    ~CExporter();

    CExporter(const CExporter&) = delete;
    CExporter& operator=(const CExporter&) = delete;

    // Writes the whole file on the caller's thread; reports through the provider only. Call once.
    // True when the file was written whole.
    bool DoExport();

    bool IsEncrypted() const { return key_ != nullptr; }

private:
    std::string path_;
    CExportDataProviderDelegate* provider_;
    EFileType kind_;
    std::unique_ptr<BLOWFISH_CTX> key_;
};
