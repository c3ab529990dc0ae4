#include "Model/vRX/TextFile.h"

#include <limits>

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kVT = '\v';
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsLineBreak(char c)
{
    return c == kCR || c == kLF;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == kVT || c == '\f';
}

bool IsWhiteSp(char c)
{
    return IsBlank(c) || IsLineBreak(c);
}

// Value of an upper-case hexadecimal digit, or -1.
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte after the cursor's first, or NUL when there is none.
char PeekSecond(TextCursor cursor)
{
    return cursor.size() > 1 ? cursor[1] : '\0';
}

// Whether FormatExactCSVField escapes the byte.
bool NeedsEscape(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\f' && c != kCR && byte != 0x1D;
}

// The byte that DLE and c stand for, or NUL when c is no escaped byte.
char Unescaped(char c)
{
    return c >= '@' && c <= '_' ? static_cast<char>(c - 0x40) : '\0';
}

void AppendCSVField(std::string_view field, std::string& out, bool exact)
{
    // Dropped LF is no first byte; an escaped one is no blank.
    const size_t first = exact ? (field.empty() ? std::string_view::npos : 0) : field.find_first_not_of(kLF);
    const bool quoted = field.find_first_of(",\"\r") != std::string_view::npos
                        || (first != std::string_view::npos && IsBlank(field[first]) && !(exact && NeedsEscape(field[first])));
    if (quoted)
        out += '"';
    for (const char c : field) {
        if (c == '"') {
            out += "\"\"";
        } else if (exact && NeedsEscape(c)) {
            out += kFieldEscape;
            out += static_cast<char>(c + 0x40);
        } else if (c != kLF) {
            out += c;
        }
    }
    if (quoted)
        out += '"';
}

} // namespace

// ---- writers ----

void WriteString(std::string& out, std::string_view text)
{
    out.append(text);
}

void WriteBool(std::string& out, bool value, bool comma)
{
    out += value ? 'T' : 'F';
    if (comma)
        out += ',';
}

void WriteNumber(std::string& out, long value, bool comma)
{
    out += std::to_string(value);
    if (comma)
        out += ',';
}

void WriteNewLine(std::string& out)
{
    out += kLineEnding;
}

char* WriteHexBytes(char* out, const unsigned char* bytes, long count, bool comma)
{
    for (long i = 0; i < count; ++i) {
        *out++ = kHexDigits[bytes[i] >> 4];
        *out++ = kHexDigits[bytes[i] & 0x0F];
    }
    if (comma)
        *out++ = ',';
    return out;
}

void WriteHexBytes(std::string& out, const unsigned char* bytes, size_t count, bool comma)
{
    const size_t start = out.size();
    out.resize(start + 2 * count + (comma ? 1 : 0));
    WriteHexBytes(out.data() + start, bytes, static_cast<long>(count), comma);
}

void FormatCSVField(std::string_view field, std::string& out)
{
    AppendCSVField(field, out, false);
}

void FormatExactCSVField(std::string_view field, std::string& out)
{
    AppendCSVField(field, out, true);
}

// ---- readers ----

bool IsTextEnd(TextCursor cursor)
{
    return cursor.empty() || cursor.front() == '\0';
}

bool IsLineEmpty(TextCursor cursor)
{
    return IsTextEnd(cursor) || IsLineBreak(cursor.front());
}

TextCursor GetNextField(TextCursor cursor, std::string& out, bool* unclosed, size_t keep)
{
    out.clear();
    // Past `keep` bytes the field is only passed over, so an oversized value never costs more
    // memory than its limit.
    const auto store = [&out, keep](char c) {
        if (out.size() < keep)
            out += c;
    };
    cursor = SkipWhiteSp(cursor, false);
    bool inQuotes = false;
    if (!IsTextEnd(cursor) && cursor.front() == '"') {
        inQuotes = true;
        cursor.remove_prefix(1);
    }
    while (!IsTextEnd(cursor)) {
        const char c = cursor.front();
        if (c == '"' && PeekSecond(cursor) == '"') {
            store('"');
            cursor.remove_prefix(2);
            continue;
        }
        if (inQuotes && c == '"') {
            // Closes the quotes; what follows up to the comma or line end is kept as it is.
            inQuotes = false;
            cursor.remove_prefix(1);
            continue;
        }
        if (!inQuotes && (c == ',' || IsLineBreak(c)))
            break;
        if (c == kFieldEscape && Unescaped(PeekSecond(cursor)) != '\0') {
            store(Unescaped(cursor[1]));
            cursor.remove_prefix(2);
            continue;
        }
        // A line break inside quotes (only other programs write one; ours escape it) is data.
        store(c == kVT ? kCR : c);
        cursor.remove_prefix(1);
    }
    if (unclosed != nullptr)
        *unclosed = inQuotes;
    if (!IsTextEnd(cursor) && cursor.front() == ',')
        cursor.remove_prefix(1);
    while (!IsTextEnd(cursor) && IsBlank(cursor.front()))
        cursor.remove_prefix(1);
    return cursor;
}

TextCursor ReadBool(TextCursor cursor, bool& value)
{
    std::string field;
    cursor = GetNextField(cursor, field);
    value = !field.empty() && field.front() == 'T';
    return cursor;
}

TextCursor ReadNumber(TextCursor cursor, long& value)
{
    std::string field;
    cursor = GetNextField(cursor, field);
    size_t i = 0;
    const bool negative = !field.empty() && field[0] == '-';
    if (!field.empty() && (field[0] == '-' || field[0] == '+'))
        i = 1;
    // Accumulate towards the sign, so that the most negative number is reached too.
    constexpr long kMin = std::numeric_limits<long>::min();
    constexpr long kMax = std::numeric_limits<long>::max();
    long number = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        const int digit = field[i] - '0';
        if (negative)
            number = number < (kMin + digit) / 10 ? kMin : number * 10 - digit;
        else
            number = number > (kMax - digit) / 10 ? kMax : number * 10 + digit;
    }
    value = number;
    return cursor;
}

TextCursor ReadHexBytes(TextCursor text, std::string& out)
{
    out.clear();
    text = SkipWhiteSp(text, false);
    while (!IsTextEnd(text)) {
        const int high = HexValue(text.front());
        const int low = high < 0 ? -1 : HexValue(PeekSecond(text));
        if (low < 0)
            break;
        out += static_cast<char>((high << 4) | low);
        text.remove_prefix(2);
    }
    if (!IsTextEnd(text))
        text.remove_prefix(1);
    return text;
}

TextCursor GetNextLine(TextCursor cursor, std::string& out, size_t max)
{
    for (;;) {
        out.clear();
        if (IsTextEnd(cursor))
            return cursor;
        size_t lineLength = 0;
        while (!IsLineEmpty(cursor)) {
            if (out.size() < max)
                out += cursor.front();
            ++lineLength;
            cursor.remove_prefix(1);
        }
        if (!IsTextEnd(cursor) && cursor.front() == kCR)
            cursor.remove_prefix(1);
        if (!IsTextEnd(cursor) && cursor.front() == kLF)
            cursor.remove_prefix(1);
        if (lineLength != 0 || IsTextEnd(cursor))
            return cursor;
    }
}

TextCursor SkipLine(TextCursor cursor)
{
    while (!IsLineEmpty(cursor))
        cursor.remove_prefix(1);
    return SkipReturns(cursor);
}

TextCursor SkipReturns(TextCursor cursor)
{
    while (!IsTextEnd(cursor) && IsLineBreak(cursor.front()))
        cursor.remove_prefix(1);
    return cursor;
}

TextCursor SkipWhiteSp(TextCursor cursor, bool stopAtLineEnd)
{
    while (!IsTextEnd(cursor) && IsWhiteSp(cursor.front())) {
        if (stopAtLineEnd && IsLineBreak(cursor.front()))
            break;
        cursor.remove_prefix(1);
    }
    return cursor;
}

// ---- tests of a whole file ----

size_t FirstByteNotText(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != kCR && c != kLF && byte != 0x1D && c != '\t' && c != '\f' && c != kVT
            && c != kFieldEscape)
            return i;
    }
    return std::string_view::npos;
}

bool IsTextFile(std::string_view bytes)
{
    return FirstByteNotText(bytes) == std::string_view::npos;
}

int LineNumberAt(std::string_view text, size_t position)
{
    int line = 1;
    for (size_t i = 0; i < position && i < text.size(); ++i) {
        // CR LF is one line end.
        if (text[i] == kLF || (text[i] == kCR && (i + 1 >= text.size() || text[i + 1] != kLF)))
            ++line;
    }
    return line;
}

bool HasHeader(std::string_view text, std::string_view header)
{
    return text.size() >= header.size() && text.compare(0, header.size(), header) == 0;
}
