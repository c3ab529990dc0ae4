#include "Model/vRX/CString.h"

#include "Platform/BKMacRoman.h"

#include <cstring>
#include <strings.h>

namespace {

const char kTrimmed[] = "\t\n\r ";

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

} // namespace

CString::CString(const QString& text)
    : text_(text.toStdString())
{
}

CString::CString(const char* text)
    : text_(OrEmpty(text))
{
}

CString& CString::operator=(const char* text)
{
    text_ = OrEmpty(text);
    return *this;
}

void CString::Assign(const char* text)
{
    text_ += OrEmpty(text);
}

void CString::Assign(const char* text, size_t length)
{
    text = OrEmpty(text);
    text_.append(text, strnlen(text, length));
}

CString& CString::operator+=(const char* text)
{
    Assign(text);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    text_ += other.text_;
    return *this;
}

void CString::AppendUniChar(const char16_t* units, size_t count)
{
    if (units == nullptr || count == 0)
        return;
    text_ += QString::fromUtf16(units, static_cast<qsizetype>(count)).toStdString();
}

void CString::AssignUniChar(const char16_t* units, size_t count)
{
    text_.clear();
    AppendUniChar(units, count);
}

int CString::Compare(const char* text) const
{
    return std::strcmp(text_.c_str(), OrEmpty(text));
}

int CString::CompareNoCase(const char* text) const
{
    return strcasecmp(text_.c_str(), OrEmpty(text));
}

char CString::GetAt(size_t i) const
{
    return i < text_.size() ? text_[i] : '\0';
}

void CString::TrimLeft(const char*)
{
    text_.erase(0, text_.find_first_not_of(kTrimmed));
}

void CString::TrimRight(const char*)
{
    const size_t last = text_.find_last_not_of(kTrimmed);
    text_.erase(last == std::string::npos ? 0 : last + 1);
}

void CString::Remove(size_t start, size_t count)
{
    if (start < text_.size())
        text_.erase(start, count);
}

void CString::ReleaseBuffer(int length)
{
    // -1: the text ends at its first NUL, as after writing into GetBuffer().
    const size_t end = length < 0 ? std::strlen(text_.c_str()) : static_cast<size_t>(length);
    if (end < text_.size())
        text_.resize(end);
}

char* CString::GetBufferSetLength(size_t length)
{
    if (length < text_.size())
        text_.resize(length);
    return text_.data();
}

QString CString::toQString() const
{
    return BKDecodeUTF8OrMacRoman(QByteArray::fromStdString(text_));
}
