// Whatever texts a record holds, the line written for it reads back byte for byte: vRX 3.0 and
// 4.0 with and without a key, the plain CSV export and user-account lines. The input is cut at NUL
// bytes into the record's texts; its first byte chooses the format.
#include "FuzzInput.h"

#include "Model/vRX/ExchangeFormats.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Pieces(std::string_view text, size_t count)
{
    std::vector<std::string> pieces;
    while (pieces.size() < count) {
        const size_t end = std::min(text.find('\0'), text.size());
        pieces.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return pieces;
}

void Fill(CStringArray& list, const std::vector<std::string>& pieces, size_t first, size_t count)
{
    for (size_t i = first; i < first + count; ++i)
        list.Add(pieces[i].c_str());
}

void Expect(const CStringArray& list, const std::vector<std::string>& expected)
{
    if (list.GetSize() != static_cast<short>(expected.size()))
        std::abort();
    for (short i = 0; i < list.GetSize(); ++i) {
        if (expected[static_cast<size_t>(i)] != list.GetAt(i))
            std::abort();
    }
}

void VRXRecord(const std::vector<std::string>& pieces, EFileType kind, const BLOWFISH_CTX* key)
{
    CStringArray fields, customNames, attachment;
    Fill(fields, pieces, 0, 11);
    Fill(customNames, pieces, 11, 10);
    Fill(attachment, pieces, 22, 3);
    const CString category(pieces[21].c_str());
    std::string line;
    WriteNextVRXRecord(line, kind, key, fields, 0x3FF, customNames, category, attachment, 65535, false);

    CStringArray readFields, readNames, readAttachment;
    CString readCategory;
    unsigned short mask = 0, icon = 0;
    bool isType = true, damaged = true;
    GetNextRecord(kind, line, key, readFields, mask, readNames, readCategory, readAttachment, icon, isType, damaged);
    if (damaged || isType || mask != 0x3FF || icon != 65535)
        std::abort();

    std::vector<std::string> expected(pieces.begin(), pieces.begin() + 11);
    if (key && kind == kVRX3File) {
        // Version 3.0 drops LF from enciphered notes.
        expected[10].erase(std::remove(expected[10].begin(), expected[10].end(), '\n'), expected[10].end());
    }
    Expect(readFields, expected);
    Expect(readNames, std::vector<std::string>(pieces.begin() + 11, pieces.begin() + 21));
    if (pieces[21] != static_cast<const char*>(readCategory))
        std::abort();
    expected.clear();
    if (kind == kVRX4File)
        expected.assign(pieces.begin() + 22, pieces.begin() + 25);
    Expect(readAttachment, expected);
}

void PlainRecord(const std::vector<std::string>& pieces)
{
    CStringArray fields;
    Fill(fields, pieces, 0, 12);
    std::string line;
    WriteNextRecord(line, fields, CString(pieces[12].c_str()));
    CStringArray readFields;
    CString readCategory;
    bool damaged = true;
    ProcessOstrevinRecord(line, readFields, readCategory, damaged);
    Expect(readFields, std::vector<std::string>(pieces.begin(), pieces.begin() + 12));
    if (damaged || pieces[12] != static_cast<const char*>(readCategory))
        std::abort();
}

void UserLine(const std::vector<std::string>& pieces)
{
    CStringArray text, permissions;
    Fill(text, pieces, 0, 7);
    Fill(permissions, pieces, 7, 4);
    std::string line;
    WriteNextCSVUserRecord(line, text, permissions);
    CStringArray readText, readPermissions;
    bool damaged = true;
    GetCSVUserRecord(line, readText, readPermissions, damaged);
    Expect(readText, std::vector<std::string>(pieces.begin(), pieces.begin() + 7));
    Expect(readPermissions, std::vector<std::string>(pieces.begin() + 7, pieces.begin() + 11));
    if (damaged)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const FuzzInput input(data + 1, size - 1);
    const std::vector<std::string> pieces = Pieces(input.text(), 25);
    const BLOWFISH_CTX* key = (data[0] & 1) != 0 ? &FuzzKey() : nullptr;
    switch (data[0] / 2 % 4) {
    case 0:
        VRXRecord(pieces, kVRX3File, key);
        break;
    case 1:
        VRXRecord(pieces, kVRX4File, key);
        break;
    case 2:
        PlainRecord(pieces);
        break;
    default:
        UserLine(pieces);
        break;
    }
    return 0;
}
