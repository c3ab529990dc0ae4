#include "CBKUserParser.h"

#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"

#include <QFile>

#include <utility>

namespace {

std::string readWholeFile(const std::string& path)
{
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Copies the fields a line had into their columns; the others stay empty.
void fillColumns(UserInfo& row, int firstColumn, int columnCount, const CStringArray& fields)
{
    for (short i = 0; i < fields.GetSize() && i < columnCount; ++i)
        row[firstColumn + i] = fields.GetAt(i);
}

} // namespace

CBKUserParser::CBKUserParser(const std::string& path, CBKUserParserDelegate* delegate)
    : CBKUserParser(delegate, readWholeFile(path))
{
}

CBKUserParser::CBKUserParser(CBKUserParserDelegate* delegate, std::string text)
    : mText_(std::move(text)), mDelegate_(delegate)
{
}

CBKUserParser CBKUserParser::fromText(std::string text, CBKUserParserDelegate* delegate)
{
    return CBKUserParser(delegate, std::move(text));
}

void CBKUserParser::StartParsing()
{
    if (GetFileType(mText_) != kUserCSVFile) {
        // A user list but for a stray byte: the administrator is told where it is.
        const size_t notText = FirstByteNotText(mText_);
        if (notText != std::string::npos && HasHeader(mText_, kOstrelUserCSVHeader))
            mDelegate_->ParsingErrorAtLine(LineNumberAt(mText_, notText));
        else
            mDelegate_->ParsingError(kParseErrorNotAUserList);
        return;
    }
    TextCursor cursor = mText_;
    for (;;) {
        CStringArray textFields;
        CStringArray permissionFields;
        // Fields beyond the eleventh belong to no column; the reader passes over them, so they
        // never start a row of their own. The row itself is kept.
        bool surplusFields = false;
        const TextCursor next = GetCSVUserRecord(cursor, textFields, permissionFields, surplusFields);
        if (textFields.GetSize() < 2 && IsTextEnd(next))
            break;
        if (next.size() == cursor.size())
            break;  // nothing could be read here; never loop on the same spot
        cursor = next;
        UserInfo row;
        fillColumns(row, kUserColumnName, kUserTextColumnCount, textFields);
        fillColumns(row, kUserColumnGroupPermission, kUserPermissionColumnCount, permissionFields);
        mDelegate_->AddUser(row);
    }
    mDelegate_->ParsingComplete();
}
