#include "Model/vRX/ExchangeFormats.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr size_t kBlockSize = 8;
constexpr size_t kMaxInfoLine = 200;
constexpr short kPlainFields = 12;
constexpr short kUserTextFields = 7;
constexpr short kUserPermissionFields = 4;
constexpr short kVRXRecordValues = 10;     // values 1 to 9 and the date
constexpr short kVRXTypeFields = 11;       // the name and ten labels
constexpr short kVRXCustomLabels = 10;
constexpr short kVRXAttachmentFields = 3;
// Every value but the notes goes into a column of at most 255 bytes: a longer one is kept only
// far enough to stay longer than that (the store then refuses it as too long), so an oversized
// line is never copied whole. The notes' limit is the server's.
constexpr size_t kShortValueKept = 65536;
constexpr size_t kUnbounded = std::string::npos;

constexpr std::string_view kVRXHeaders[] = {kOstrevinvRXHeader, kOstrevinvRX2Header, kOstrevinvRX3Header,
                                            kOstrevinvRX4Header};

// What distinguishes the body lines of one vRX version.
struct VRXLayout {
    std::string_view header;
    short typeFields;
    short recordValues;
    bool hasMask;                // versions 2.0 on; version 1.0 has no mask, labels or category
    bool fourEmptyEntries;       // versions 1.0 and 2.0 records: date and three more entries empty
    short customLabels;
    short attachmentFields;
    bool strict;                 // versions 3.0 and 4.0 always write their whole layout
    bool dropLineFeedsInNotes;   // version 3.0 with a key
};

const VRXLayout kLayoutV1 = {kOstrevinvRXHeader, 7, 6, false, true, 0, 0, false, false};
const VRXLayout kLayoutV2 = {kOstrevinvRX2Header, 7, 6, true, true, 6, 0, false, false};
const VRXLayout kLayoutV3 = {kOstrevinvRX3Header, kVRXTypeFields, kVRXRecordValues, true, false, kVRXCustomLabels, 0,
                             true, true};
const VRXLayout kLayoutV4 = {kOstrevinvRX4Header, kVRXTypeFields, kVRXRecordValues, true, false, kVRXCustomLabels,
                             kVRXAttachmentFields, true, false};

unsigned short ToUnsignedShort(long value)
{
    return static_cast<unsigned short>(std::clamp(value, 0L, 65535L));
}

const char* EntryOrEmpty(const CStringArray& list, short n)
{
    const char* entry = list.GetAt(n);
    return entry != nullptr ? entry : "";
}

// Writes the first count entries of list, missing ones empty, each followed by ",".
void WriteFieldRun(std::string& out, const BLOWFISH_CTX* key, const CStringArray& list, short count)
{
    for (short i = 0; i < count; ++i) {
        WriteFieldString(out, key, EntryOrEmpty(list, i));
        out += ',';
    }
}

// Files that are read back carry every byte of a value (FormatExactCSVField); the event-log
// backup is read by people and spreadsheets only, and keeps the plain form.
void WritePlainEntries(std::string& out, const CStringArray& list, bool exact)
{
    for (short i = 0; i < list.GetSize(); ++i) {
        if (exact)
            FormatExactCSVField(list.GetAt(i), out);
        else
            FormatCSVField(list.GetAt(i), out);
        out += ',';
    }
}

// A plain line that begins with a header text would be skipped by a reader as the file's header,
// so its first field is then quoted. Unquoted, that field holds no comma, so the first comma
// ends it.
void QuoteLeadingHeaderText(std::string& out, size_t lineStart)
{
    const std::string_view line = std::string_view(out).substr(lineStart);
    if (!HasHeader(line, kOstrevinHeader) && !HasHeader(line, kOstrevinvRXHeader))
        return;
    const size_t fieldEnd = out.find(',', lineStart);
    out.insert(fieldEnd == std::string::npos ? out.size() : fieldEnd, 1, '"');
    out.insert(lineStart, 1, '"');
}

bool IsUpperHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

// Turns an enciphered field into its text; false when it is not what the writer makes of a text.
// A field cut at its limit (a whole number of blocks) deciphers to the start of its text.
bool DecipherField(const BLOWFISH_CTX* key, std::string& field, bool cut)
{
    const bool wellFormed = field.size() % 2 == 0 && IsUpperHex(field);
    std::string bytes;
    ReadHexBytes(field, bytes);
    Blowfish(key, bytes.data(), bytes.size() - bytes.size() % kBlockSize, false);
    const size_t nul = bytes.find('\0');
    field.assign(bytes, 0, nul);
    return wellFormed && !bytes.empty() && bytes.size() % kBlockSize == 0 && (nul != std::string::npos || cut);
}

// One text field of a vRX line, deciphered when there is a key.
// A field whose quotes never close ran to the end of the text: what it holds is not the value.
// At most keep bytes of its text are read.
TextCursor ReadFieldString(TextCursor cursor, const BLOWFISH_CTX* key, std::string& value, bool& damaged,
                           size_t keep = kShortValueKept)
{
    // Two hexadecimal digits per enciphered byte, cut at a whole block.
    const size_t stored = key != nullptr && keep != kUnbounded ? 2 * (keep + kBlockSize) : keep;
    bool unclosed = false;
    cursor = GetNextField(cursor, value, &unclosed, stored);
    const bool cut = stored != kUnbounded && value.size() == stored;
    if (unclosed || (key != nullptr && !DecipherField(key, value, cut)))
        damaged = true;
    return cursor;
}

// Reads fields into list while the line goes on, at most limit; returns how many were read.
// Fields from index firstWhole on (the notes, or kUnboundedRun for all) are read whole.
constexpr short kUnboundedRun = 0;
short ReadFieldRun(TextCursor& cursor, const BLOWFISH_CTX* key, CStringArray& list, short limit, bool& damaged,
                   short firstWhole = SHRT_MAX)
{
    std::string value;
    short read = 0;
    for (; read < limit && !IsLineEmpty(cursor); ++read) {
        cursor = ReadFieldString(cursor, key, value, damaged, read >= firstWhole ? kUnbounded : kShortValueKept);
        list.Add(value.c_str());
    }
    return read;
}

void AddEmptyEntries(CStringArray& list, int count)
{
    for (int i = 0; i < count; ++i)
        list.Add("");
}

// Passes over what is left of a line, field by field so that a quoted line break does not end it;
// returns the cursor at the line end.
TextCursor SkipRestOfLine(TextCursor cursor, bool surplusIsDamage, bool& damaged)
{
    std::string ignored;
    while (!IsLineEmpty(cursor)) {
        if (surplusIsDamage)
            damaged = true;
        bool unclosed = false;
        cursor = GetNextField(cursor, ignored, &unclosed, 0);
        damaged = damaged || unclosed;
    }
    return cursor;
}

TextCursor ReadVRXLine(const VRXLayout& layout, TextCursor cursor, const BLOWFISH_CTX* key, CStringArray& fields,
                       unsigned short& mask, CStringArray& customNames, CString& category, CStringArray& attachment,
                       unsigned short& icon, bool& isType, bool& damaged)
{
    if (HasHeader(cursor, layout.header))
        cursor = SkipLine(SkipLine(cursor));
    cursor = SkipReturns(cursor);
    if (IsTextEnd(cursor))
        return cursor;

    cursor = ReadBool(cursor, isType);
    long number = 0;
    if (!IsLineEmpty(cursor)) {
        cursor = ReadNumber(cursor, number);
        icon = ToUnsignedShort(number);
    }
    const short limit = isType ? layout.typeFields : layout.recordValues;
    const short read = ReadFieldRun(cursor, key, fields, limit, damaged);
    if (read == 0 || (layout.strict && read < limit))
        damaged = true;
    if (!isType && layout.attachmentFields > 0
        && ReadFieldRun(cursor, key, attachment, layout.attachmentFields, damaged) < layout.attachmentFields)
        damaged = true;

    if (IsLineEmpty(cursor)) {
        if (layout.strict)
            damaged = true;
        return cursor;
    }
    std::string value;
    if (!layout.hasMask) {
        if (isType)
            return SkipRestOfLine(cursor, false, damaged);
        AddEmptyEntries(fields, 4);
        cursor = ReadFieldString(cursor, key, value, damaged, kUnbounded);
        fields.Add(value.c_str());
        return SkipRestOfLine(cursor, false, damaged);
    }

    cursor = ReadNumber(cursor, number);
    mask = ToUnsignedShort(number);
    if (isType)
        return SkipRestOfLine(cursor, layout.strict, damaged);

    if (layout.fourEmptyEntries)
        AddEmptyEntries(fields, 4);
    ReadFieldRun(cursor, key, customNames, layout.customLabels, damaged);
    if (IsLineEmpty(cursor)) {
        // No category: the line ends early.
        if (layout.strict)
            damaged = true;
        fields.Add("");
        return cursor;
    }
    cursor = ReadFieldString(cursor, key, value, damaged);
    category = value.c_str();
    if (IsLineEmpty(cursor)) {
        fields.Add("");
        return cursor;
    }
    cursor = ReadFieldString(cursor, key, value, damaged, kUnbounded);
    if (layout.dropLineFeedsInNotes && key != nullptr)
        value.erase(std::remove(value.begin(), value.end(), '\n'), value.end());
    fields.Add(value.c_str());
    return SkipRestOfLine(cursor, layout.strict, damaged);
}

} // namespace

// ---- detection ----

EFileType GetFileType(std::string_view text)
{
    if (!IsTextFile(text))
        return kNotTextFile;
    if (HasHeader(text, kOstrevinvRXPreHeader)) {
        for (size_t i = 0; i < std::size(kVRXHeaders); ++i) {
            if (HasHeader(text, kVRXHeaders[i]))
                return static_cast<EFileType>(kVRX1File + static_cast<int>(i));
        }
        return kOtherVRXFile;
    }
    if (HasHeader(text, kOstrevinHeader))
        return kPlainCSVFile;
    if (HasHeader(text, kOstrelUserCSVHeader))
        return kUserCSVFile;
    return kOtherTextFile;
}

int ProcessVRXInfo(std::string_view text, const BLOWFISH_CTX* key)
{
    if (std::none_of(std::begin(kVRXHeaders), std::end(kVRXHeaders),
                     [&](std::string_view header) { return HasHeader(text, header); }))
        return -1;
    TextCursor cursor = SkipLine(text);
    bool hasPassword = false;
    if (!IsLineEmpty(cursor))
        cursor = ReadBool(cursor, hasPassword);
    if (!hasPassword)
        return 0;
    if (key == nullptr || IsLineEmpty(cursor))
        return 1;
    std::string hex;
    GetNextLine(cursor, hex, kMaxInfoLine);
    std::string check;
    ReadHexBytes(hex, check);
    Blowfish(key, check.data(), check.size() - check.size() % kBlockSize, false);
    check.resize(std::min(check.find('\0'), check.size()));
    return check == kOstrevinvRXCrib ? 0 : 1;
}

bool CheckForEncryption(std::string_view text)
{
    return ProcessVRXInfo(text, nullptr) == 1;
}

// ---- writers ----

void WriteHeader(EFileType kind, std::string& out, const BLOWFISH_CTX* key)
{
    const bool isVRX = kind >= kVRX1File && kind <= kVRX4File;
    if (isVRX)
        WriteString(out, kVRXHeaders[kind - kVRX1File]);
    else if (kind == kUserCSVFile)
        WriteString(out, kOstrelUserCSVHeader);
    else
        WriteString(out, kOstrevinHeader);
    WriteNewLine(out);
    if (isVRX)
        WriteVRXInfo(out, key);
}

void WriteVRXInfo(std::string& out, const BLOWFISH_CTX* key)
{
    if (key == nullptr) {
        WriteBool(out, false, false);
    } else {
        WriteBool(out, true, true);
        unsigned char check[sizeof kOstrevinvRXCrib - 1];
        std::memcpy(check, kOstrevinvRXCrib, sizeof check);
        BlowfishEncryptToBuffer(key, check, check, sizeof check);
        WriteHexBytes(out, check, sizeof check, false);
    }
    WriteNewLine(out);
}

void WriteFieldString(std::string& out, const BLOWFISH_CTX* key, std::string_view text)
{
    if (key == nullptr) {
        FormatExactCSVField(text, out);
        return;
    }
    // The text, its NUL and zero bytes up to a whole number of blocks.
    std::string block(text);
    block.resize((text.size() + kBlockSize) / kBlockSize * kBlockSize, '\0');
    Blowfish(key, block.data(), block.size(), true);
    WriteHexBytes(out, reinterpret_cast<const unsigned char*>(block.data()), block.size(), false);
}

void WriteNextVRXRecord(std::string& out, EFileType kind, const BLOWFISH_CTX* key, const CStringArray& fields,
                        unsigned short mask, const CStringArray& customNames, const CString& category,
                        const CStringArray& attachment, unsigned short icon, bool isType)
{
    WriteBool(out, isType, true);
    WriteNumber(out, icon, true);
    WriteFieldRun(out, key, fields, isType ? kVRXTypeFields : kVRXRecordValues);
    if (!isType && kind == kVRX4File)
        WriteFieldRun(out, key, attachment, kVRXAttachmentFields);
    WriteNumber(out, mask, true);
    if (!isType) {
        WriteFieldRun(out, key, customNames, kVRXCustomLabels);
        WriteFieldString(out, key, static_cast<const char*>(category));
        out += ',';
        WriteFieldString(out, key, EntryOrEmpty(fields, kVRXRecordValues));
    }
    WriteNewLine(out);
}

void WriteNextVRXType(std::string& out, EFileType kind, const BLOWFISH_CTX* key, const CStringArray& typeFields,
                      unsigned short mask, unsigned short icon)
{
    const CStringArray none;
    WriteNextVRXRecord(out, kind, key, typeFields, mask, none, CString(), none, icon, true);
}

void WriteNextRecord(std::string& out, const CStringArray& fields, const CString& category)
{
    const size_t lineStart = out.size();
    WritePlainEntries(out, fields, true);
    FormatExactCSVField(static_cast<const char*>(category), out);
    QuoteLeadingHeaderText(out, lineStart);
    WriteNewLine(out);
}

void WriteNextRecord(std::string& out, const CStringArray& fields)
{
    WritePlainEntries(out, fields, false);
    WriteNewLine(out);
}

void WriteNextCSVUserRecord(std::string& out, const CStringArray& textFields, const CStringArray& permissionFields)
{
    WritePlainEntries(out, textFields, true);
    WritePlainEntries(out, permissionFields, true);
    WriteNewLine(out);
}

// ---- readers ----

std::optional<TextCursor> GetNextRecord(EFileType kind, TextCursor cursor, const BLOWFISH_CTX* key,
                                        CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                                        CString& category, CStringArray& attachment, unsigned short& icon,
                                        bool& isType, bool& damaged)
{
    mask = 0;
    icon = 0;
    isType = false;
    damaged = false;
    category.Empty();
    const VRXLayout* layout = nullptr;
    switch (kind) {
    case kPlainCSVFile:
    case kOtherTextFile:
        return ProcessOstrevinRecord(cursor, fields, category, damaged);
    case kVRX1File:
        layout = &kLayoutV1;
        break;
    case kVRX2File:
        layout = &kLayoutV2;
        break;
    case kVRX3File:
        layout = &kLayoutV3;
        break;
    case kVRX4File:
        layout = &kLayoutV4;
        break;
    default:
        return std::nullopt;
    }
    return ReadVRXLine(*layout, cursor, key, fields, mask, customNames, category, attachment, icon, isType, damaged);
}

TextCursor ProcessOstrevinRecord(TextCursor cursor, CStringArray& fields, CString& category, bool& damaged)
{
    damaged = false;
    if (HasHeader(cursor, kOstrevinHeader))
        cursor = SkipLine(cursor);
    else if (HasHeader(cursor, kOstrevinvRXHeader))
        cursor = SkipLine(SkipLine(cursor));
    cursor = SkipReturns(cursor);
    const short read = ReadFieldRun(cursor, nullptr, fields, kPlainFields, damaged, kPlainFields - 1);
    if (read == kPlainFields && !IsLineEmpty(cursor)) {
        std::string value;
        cursor = ReadFieldString(cursor, nullptr, value, damaged);
        category = value.c_str();
    }
    // Fields past the category would otherwise be read as the start of another record.
    return SkipRestOfLine(cursor, true, damaged);
}

TextCursor GetCSVUserRecord(TextCursor cursor, CStringArray& textFields, CStringArray& permissionFields, bool& damaged)
{
    damaged = false;
    if (HasHeader(cursor, kOstrelUserCSVHeader))
        cursor = SkipLine(cursor);
    cursor = SkipReturns(cursor);
    // Users' details have columns of their own sizes, up to a text: read whole.
    ReadFieldRun(cursor, nullptr, textFields, kUserTextFields, damaged, kUnboundedRun);
    ReadFieldRun(cursor, nullptr, permissionFields, kUserPermissionFields, damaged, kUnboundedRun);
    return SkipRestOfLine(cursor, true, damaged);
}
