// The importer end to end, as the import command runs it: the fuzzer's bytes as a file, read
// with the seed files' password "ab" when it asks for one. Every import ends and completes
// exactly once, as its last call; a cut is reported at most once, after every line; no line
// handed on has more entries than its layout; a refused file hands on nothing.
#include "Model/vRX/CvRXImporter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

class CheckingDelegate : public CvRXImporterDelegate {
public:
    void CreateType(const CStringArray& fields, unsigned short, unsigned short, unsigned short count) override
    {
        Line();
        if (fields.GetSize() != count || count > 11)
            std::abort();
    }
    void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                   const CStringArray& attachment, const CString&, unsigned short, unsigned short,
                   unsigned short count) override
    {
        Line();
        const short most = kind == kPlainCSVFile ? 12 : 11;
        if (fields.GetSize() != count || count > most || customNames.GetSize() > 10 || attachment.GetSize() > 3)
            std::abort();
    }
    void ImportComplete() override
    {
        if (complete_)
            std::abort();
        complete_ = true;
    }
    void ErrorInImport(int code) override
    {
        if (complete_ || cut_ || code < kImportErrorNotRecordFile || code > kImportErrorNoHeader)
            std::abort();
        refused_ = refused_ || code == kImportErrorNotRecordFile || code == kImportErrorNoHeader ||
                   code == kImportErrorWrongPassword;
        cut_ = code == kImportErrorFileCut;
    }
    bool complete() const { return complete_; }

private:
    void Line()
    {
        if (complete_ || cut_ || refused_)
            std::abort();
    }

    bool complete_ = false;
    bool cut_ = false;
    bool refused_ = false;
};

const std::string& FilePath()
{
    static const std::string path = "/tmp/fuzz-importer-" + std::to_string(getpid()) + ".vrx";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;   // refused at construction ("Empty file")
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CheckingDelegate delegate;
    CvRXImporter importer(FilePath(), &delegate);
    importer.ImportFile(importer.FileType(), importer.IsFileEncrypted() ? "ab" : "");
    if (!delegate.complete())
        std::abort();
    std::remove(FilePath().c_str());
    return 0;
}
