#include "Model/vRX/CvRXImporter.h"

#include <QFile>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

std::string ReadWholeFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Invalid arguments");
    // Read straight into the text the readers use: the file is held in memory once.
    std::string text;
    if (file.isSequential()) {
        text = file.readAll().toStdString();
    } else {
        text.resize(static_cast<size_t>(file.size()));
        const qint64 read = file.read(text.data(), static_cast<qint64>(text.size()));
        text.resize(static_cast<size_t>(std::max<qint64>(read, 0)));
    }
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Invalid arguments");
    if (text.empty())
        throw std::runtime_error("Empty file");
    // Editors put the mark before text saved as UTF-8; the headers follow it.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (HasHeader(text, kByteOrderMark))
        text.erase(0, kByteOrderMark.size());
    return text;
}

// The text as the readers see it ends at its first NUL.
bool EndsWithLineBreak(const std::string& text)
{
    const size_t end = std::min(text.find('\0'), text.size());
    return end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n');
}

bool HoldsRecords(EFileType kind)
{
    return kind >= kPlainCSVFile && kind <= kVRX4File;
}

// The key of a password: its bytes up to the first NUL.
std::unique_ptr<BLOWFISH_CTX> KeyOf(const std::string& password)
{
    const std::string bytes = password.substr(0, password.find('\0'));
    auto key = std::make_unique<BLOWFISH_CTX>();
    Blowfish_Init(key.get(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return key;
}

bool Opens(const std::string& text, const std::string& password)
{
    return ProcessVRXInfo(text, KeyOf(password).get()) == 0;
}

} // namespace

CvRXImporter::CvRXImporter(std::string path, CvRXImporterDelegate* delegate)
    : delegate_(delegate)
{
    if (delegate_ == nullptr)
        throw std::runtime_error("Invalid arguments");
    text_ = ReadWholeFile(path);
    kind_ = GetFileType(text_);
    encrypted_ = kind_ != kPlainCSVFile && CheckForEncryption(text_);
    if (!HoldsRecords(kind_))
        delegate_->ErrorInImport(kind_ == kOtherTextFile ? kImportErrorNoHeader : kImportErrorNotRecordFile);
}

bool CvRXImporter::CheckPassword(const std::string& password) const
{
    return encrypted_ && Opens(text_, password);
}

bool CvRXImporter::DoesPasswordMatch(std::string path, std::string password)
{
    return Opens(ReadWholeFile(path), password);
}

void CvRXImporter::ImportFile(EFileType, std::string password)
{
    if (HoldsRecords(kind_)) {
        const std::unique_ptr<BLOWFISH_CTX> key = encrypted_ ? KeyOf(password) : nullptr;
        if (key && ProcessVRXInfo(text_, key.get()) != 0)
            delegate_->ErrorInImport(kImportErrorWrongPassword);   // its hex text is no value
        else
            ReadLines(key.get());
    }
    delegate_->ImportComplete();
}

void CvRXImporter::ReadLines(const BLOWFISH_CTX* key)
{
    TextCursor cursor = text_;
    // The plain export and versions 3.0 and 4.0 end every line with CR: a last line without it
    // was cut short, maybe inside its last field, where nothing else shows it.
    const bool lastLineCut =
        (kind_ == kPlainCSVFile || kind_ == kVRX3File || kind_ == kVRX4File) && !EndsWithLineBreak(text_);
    for (;;) {
        CStringArray fields, customNames, attachment;
        CString category;
        unsigned short mask = 0, icon = 0;
        bool isType = false, damaged = false;
        const std::optional<TextCursor> next =
            GetNextRecord(kind_, cursor, key, fields, mask, customNames, category, attachment, icon, isType, damaged);
        // The reader moves on with every line; a cursor that stays put is at the end.
        if (!next || next->data() == cursor.data())
            return;
        cursor = *next;
        const short count = fields.GetSize();
        if (count == 0 && !damaged && IsTextEnd(cursor))
            return;   // line breaks after the last line
        // A lone field that ends the file is what is left of a line cut short; so is a damaged
        // last line, whose quotes may have run over what followed.
        if (IsTextEnd(cursor) && (damaged || count < 2 || lastLineCut)) {
            delegate_->ErrorInImport(kImportErrorFileCut);
            return;
        }
        if (damaged) {
            delegate_->ErrorInImport(isType ? kImportErrorDamagedType : kImportErrorDamagedRecord);
            continue;
        }
        if (isType)
            delegate_->CreateType(fields, icon, mask, static_cast<unsigned short>(count));
        else
            delegate_->AddRecord(kind_, fields, customNames, attachment, category, icon, mask,
                                 static_cast<unsigned short>(count));
    }
}
