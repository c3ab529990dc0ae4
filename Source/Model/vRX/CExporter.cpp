#include "Model/vRX/CExporter.h"

#include "Platform/BKPrivateFile.h"
#include <QSaveFile>

#include <stdexcept>

namespace {

constexpr size_t kFlushSize = 1 << 16;
const char kSideFileExtension[] = ".ofa";

// A record UID names its side file: it must stay inside the attachment folder.
bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The export file, written through a temporary file that replaces the target only when every
// byte was written.
class ExportFile {
public:
    explicit ExportFile(const std::string& path)
        : file_(QString::fromStdString(path))
    {
        ok_ = BKOpenPrivateFile(file_);
    }

    // Appends to the pending text, writing it out once enough has gathered.
    std::string& pending() { return pending_; }
    void flushIfLarge()
    {
        if (pending_.size() >= kFlushSize)
            flush();
    }
    bool ok() const { return ok_; }

    // Puts the file in place; false when anything failed, and then the target is left as it was.
    bool commit()
    {
        flush();
        if (!ok_) {
            file_.cancelWriting();
            return false;
        }
        ok_ = file_.commit();
        return ok_;
    }
    void cancel()
    {
        ok_ = false;
        commit();
    }

private:
    void flush()
    {
        if (ok_ && !pending_.empty())
            ok_ = file_.write(pending_.data(), qint64(pending_.size())) == qint64(pending_.size());
        pending_.clear();
    }

    QSaveFile file_;
    std::string pending_;
    bool ok_ = false;
};

} // namespace

CExporter::CExporter(std::string path, CExportDataProviderDelegate* provider, EFileType kind, std::string password)
    : path_(std::move(path))
    , provider_(provider)
    , kind_(kind)
{
    if (provider_ == nullptr || path_.empty() || (kind_ != kPlainCSVFile && kind_ != kVRX3File && kind_ != kVRX4File))
        throw std::runtime_error("Invalid arguments");
    // The plain export is never enciphered.
    if (!password.empty() && kind_ != kPlainCSVFile) {
        key_ = std::make_unique<BLOWFISH_CTX>();
        Blowfish_Init(key_.get(), reinterpret_cast<const unsigned char*>(password.data()), password.size());
    }
}

CExporter::~CExporter() = default;

bool CExporter::DoExport()
{
    bool copyAttachments = false;
    std::string attachmentFolder;
    if (kind_ == kVRX4File && provider_->AnyRecordHasAttachment()) {
        provider_->InitPathsForExportWithAttachments(path_, path_, attachmentFolder);
        copyAttachments = true;
    }

    ExportFile file(path_);
    bool complete = file.ok();
    if (complete)
        WriteHeader(kind_, file.pending(), key_.get());

    while (complete) {
        CStringArray typeFields, fields, customNames, attachment;
        CString category;
        unsigned short mask = 0, icon = 0;
        bool newType = false;
        if (!provider_->GetNextRecord(kind_, fields, mask, customNames, category, attachment, icon, newType))
            break;
        std::string& out = file.pending();
        if (kind_ == kPlainCSVFile) {
            WriteNextRecord(out, fields, category);
        } else {
            if (newType) {
                unsigned short typeMask = 0, typeIcon = 0;
                if (!provider_->GetTypeForLastRecord(typeFields, typeMask, typeIcon)) {
                    complete = false;
                    break;
                }
                WriteNextVRXType(out, kind_, key_.get(), typeFields, typeMask, typeIcon);
            }
            WriteNextVRXRecord(out, kind_, key_.get(), fields, mask, customNames, category, attachment, icon, false);
        }
        file.flushIfLarge();
        complete = file.ok();

        if (copyAttachments && attachment.GetSize() > 2) {
            const std::string recordUID = attachment.GetAt(2);
            if (!IsPlainFileName(recordUID)) {
                provider_->ErrorInExport(kExportErrorAttachmentWrite);
                continue;
            }
            const std::string destination = attachmentFolder + recordUID + kSideFileExtension;
            provider_->CopyAttachmentToPath(destination.c_str(), recordUID.c_str(), attachment.GetAt(1));
        }
    }

    if (complete)
        complete = file.commit();
    else
        file.cancel();
    if (!complete)
        provider_->ErrorInExport(kExportErrorFileWrite);
    provider_->ExportComplete(kind_, path_);
    return complete;
}
