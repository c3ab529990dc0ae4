#pragma once

#include "Model/vRX/CString.h"
#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"

#include <string>

// Codes of CvRXImporterDelegate::ErrorInImport.
enum EImportError {
    kImportErrorNotRecordFile = 1,   // no records can be read from this file (not text, another
                                     // vRX version, a user list): nothing is read
    kImportErrorAddFailed = 2,       // the delegate could not add a record
    kImportErrorWrongPassword = 3,   // enciphered, and the password given does not open it: nothing is read
    kImportErrorDamagedRecord = 4,   // a record line that cannot be read was skipped
    kImportErrorDamagedType = 5,     // a type line that cannot be read was skipped: its records
                                     // have no type until the next type line
    kImportErrorFileCut = 6,         // the text ends inside a line (cut short, or a quote that
                                     // never closes): that line was not taken; it is the last
    kImportErrorNoHeader = 7,        // text without a header line (CSV as spreadsheets write it):
                                     // nothing is read
};

// Receives the lines of a record file. Lists are appended to by the reader and are valid for the
// call only.
class CvRXImporterDelegate {
public:
    virtual ~CvRXImporterDelegate() = default;

    // A type line: fields = the type name and its labels, count = number of entries.
    virtual void CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask,
                            unsigned short count) = 0;
    // A record line in the layout of the file's kind (the plain export's lines begin with the type
    // name); count = number of fields entries.
    virtual void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                           const CStringArray& attachment, const CString& category, unsigned short icon,
                           unsigned short mask, unsigned short count) = 0;
    // The whole file was read (or refused); always the last call of an import.
    virtual void ImportComplete() = 0;
    // One of EImportError.
    virtual void ErrorInImport(int code) = 0;
};

// Reads a record file (vRX 1.0 to 4.0, enciphered or not, or a plain CSV record export) and hands
// its type and record lines to a delegate. Lines that cannot be read are skipped and reported,
// the others go on.
class CvRXImporter {
public:
    // Reads the whole file; a UTF-8 byte-order mark at its start is no part of the text. Throws
    // std::runtime_error("Invalid arguments") for a null delegate or a file that cannot be read,
    // "Empty file" for a file of no bytes. A file that holds no records
    // is reported to the delegate at once (kImportErrorNotRecordFile).
    CvRXImporter(std::string path, CvRXImporterDelegate* delegate);

    CvRXImporter(const CvRXImporter&) = delete;
    CvRXImporter& operator=(const CvRXImporter&) = delete;

    EFileType FileType() const { return kind_; }
    // A vRX file whose info line says it has a password.
    bool IsFileEncrypted() const { return encrypted_; }
    // False when the file is not enciphered; else whether the password (its bytes up to the first
    // NUL) opens it.
    bool CheckPassword(const std::string& password) const;
    // Reads the file again: true for a vRX file without password whatever the password, or one
    // that the password opens; false for any other file. Throws like the constructor.
    static bool DoesPasswordMatch(std::string path, std::string password);

    // Reads every line, on the caller's thread, then calls ImportComplete. The file's own kind
    // decides the reader (the kind argument is not consulted). An enciphered file whose password
    // is not given is refused whole.
    void ImportFile(EFileType kind, std::string password);

private:
    void ReadLines(const BLOWFISH_CTX* key);

    CvRXImporterDelegate* delegate_;
    std::string text_;
    EFileType kind_ = kNotTextFile;
    bool encrypted_ = false;
};
