#include "Model/vRX/TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

using namespace std::string_literals;

namespace {

std::string Hex(const std::string& bytes, bool comma)
{
    std::string out;
    WriteHexBytes(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), comma);
    return out;
}

std::string CSV(const std::string& field)
{
    std::string out;
    FormatCSVField(field, out);
    return out;
}

} // namespace

TEST(WriteHexBytes, WritesTwoUpperCaseDigitsPerByteIntoTheCallersBuffer)
{
    const unsigned char bytes[] = {0x00, 0xAB, 0xFF, 0x0A};
    const struct {
        long count;
        bool comma;
        const char* expected;
    } cases[] = {
        {3, false, "00ABFF"}, {3, true, "00ABFF,"}, {4, false, "00ABFF0A"},
        {0, false, ""},       {0, true, ","},       {-1, false, ""},
    };
    for (const auto& c : cases) {
        char buffer[16] = {};
        char* end = WriteHexBytes(buffer, bytes, c.count, c.comma);
        EXPECT_STREQ(buffer, c.expected) << "count " << c.count;
        EXPECT_EQ(end - buffer, static_cast<long>(std::char_traits<char>::length(c.expected)));
    }
    // Nothing is written past the digits: the caller's zero fill terminates the text.
    char guarded[8];
    std::fill(std::begin(guarded), std::end(guarded), '#');
    WriteHexBytes(guarded, bytes + 3, 1, false);
    EXPECT_EQ(std::string(guarded, 8), "0A######");
}

TEST(WriteHexBytes, AppendsToAGrowableBuffer)
{
    EXPECT_EQ(Hex("\x0A\xFF"s, false), "0AFF");
    EXPECT_EQ(Hex(""s, true), ",");
    std::string expected;
    for (int i = 0; i < 5000; ++i)
        expected += "5A";
    EXPECT_EQ(Hex(std::string(5000, '\x5A'), false), expected);
}

TEST(Writers, FlagsAndNumbers)
{
    std::string out;
    WriteBool(out, true, true);
    WriteBool(out, false, false);
    WriteNumber(out, 31, true);
    WriteNumber(out, -5, false);
    WriteString(out, "x");
    WriteNewLine(out);
    EXPECT_EQ(out, "T,F31,-5x\r");
}

// The plain form drops LF; the exact form of the files that are read back escapes what the plain
// form would lose, change or what would make the file non-text, and nothing else.
TEST(FormatCSVField, QuotesDoublesAndDropsOrEscapesLineFeeds)
{
    const struct {
        std::string in;
        std::string plain;
        std::string exact;
    } cases[] = {
        {"", "", ""},
        {"abc", "abc", "abc"},
        {"\n\n", "", "\x10J\x10J"},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"a\"b", "\"a\"\"b\"", "\"a\"\"b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
        {"a\rb", "\"a\rb\"", "\"a\rb\""},
        {"a\nb", "ab", "a\x10Jb"},
        {"a\r\nb", "\"a\rb\"", "\"a\r\x10Jb\""},
        {"a\n,b", "\"a,b\"", "\"a\x10J,b\""},
        {"Grüße, € ", "\"Grüße, € \"", "\"Grüße, € \""},
        // A leading blank would be dropped by a reader, so such a field is quoted.
        {" secret", "\" secret\"", "\" secret\""},
        {"\tx", "\"\tx\"", "\"\tx\""},
        {"trailing ", "trailing ", "trailing "},
        {"\v", "\"\v\"", "\x10K"},   // a plain VT would come back as CR
        {"\vx", "\"\vx\"", "\x10Kx"},   // escaped, so no leading blank to keep
        {"\x1B[0m", "\x1B[0m", "\x10[[0m"},
        {"\x10", "\x10", "\x10P"},   // the escape itself
        {"\x01\x1F", "\x01\x1F", "\x10" "A\x10_"},
        {"a\tb\f\x1D\x7F", "a\tb\f\x1D\x7F", "a\tb\f\x1D\x7F"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSV(c.in), c.plain) << "input: " << c.in;
        std::string exact;
        FormatExactCSVField(c.in, exact);
        EXPECT_EQ(exact, c.exact) << "input: " << c.in;
    }
}

TEST(FormatCSVField, LongFieldsAreWrittenWhole)
{
    // 4000 three-byte letters and quotes that double: far beyond any fixed line buffer.
    std::string notes;
    for (int i = 0; i < 4000; ++i)
        notes += i % 10 == 0 ? "\"" : "€";
    const std::string out = CSV(notes);
    EXPECT_EQ(out.size(), notes.size() + 400 + 2);
    std::string back;
    GetNextField(out, back);
    EXPECT_EQ(back, notes);
}

TEST(GetNextField, ReadsOneFieldAndLeavesTheCursorAtTheNext)
{
    const struct {
        std::string text;
        std::string field;
        std::string rest;
    } cases[] = {
        {"  abc ,def", "abc ", "def"},
        {"\"a\"\"b\",x", "a\"b", "x"},
        {"\"a\rb\",x", "a\rb", "x"},
        {"\"a,b\"\rnext", "a,b", "\rnext"},
        {"a\vb", "a\rb", ""},
        {"a\"\"b,c", "a\"b", "c"},
        {",x", "", "x"},
        {"last,\r", "last", "\r"},
        {"x\ry", "x", "\ry"},
        {"\"\",x", "", "x"},
        {"\"open", "open", ""},                   // unterminated: reads to the end
        {"\"a\"b,c", "ab", "c"},                  // text after the closing quote is kept
        {"a,  \t b", "a", "b"},
        {"\"line\nbreak\"", "line\nbreak", ""},   // as spreadsheets write a cell's line break
        {"\"line\r\nbreak\",x", "line\r\nbreak", "x"},
        {"\r\n  value", "value", ""},
    };
    for (const auto& c : cases) {
        std::string field;
        const TextCursor rest = GetNextField(c.text, field);
        EXPECT_EQ(field, c.field) << "text: " << c.text;
        EXPECT_EQ(std::string(rest), c.rest) << "text: " << c.text;
    }
}

// A bounded read keeps the start of the field and still passes over all of it, quotes, escapes
// and quoted line breaks included, so the next field is read as if nothing had been left out.
TEST(GetNextField, KeepsAtMostItsBoundAndStillPassesTheWholeField)
{
    const struct {
        std::string text;
        size_t keep;
        std::string field;
        std::string rest;
    } cases[] = {
        {"abcdef,next", 3, "abc", "next"},
        {"\"ab,\r\"\"cd\",next", 4, "ab,\r", "next"},
        {"ab\x10Jcd,next", 3, "ab\n", "next"},
        {"abc,next", 3, "abc", "next"},
        {"abc,next", 0, "", "next"},
        {"ab,next", 10, "ab", "next"},
    };
    for (const auto& c : cases) {
        std::string field;
        const TextCursor rest = GetNextField(c.text, field, nullptr, c.keep);
        EXPECT_EQ(field, c.field) << "text: " << c.text;
        EXPECT_EQ(std::string(rest), c.rest) << "text: " << c.text;
    }
}

// The record files keep every byte of a value: each byte from 0x01 to 0xFF, alone, between
// letters, at either end and repeated, comes back whole, as the only field and as one of a line,
// and the file stays text.
TEST(FormatExactCSVField, EveryByteComesBackThroughGetNextField)
{
    for (int byte = 0x01; byte <= 0xFF; ++byte) {
        const std::string c(1, char(byte));
        for (const std::string& value : {c, "a" + c + "b", c + "lead", "trail" + c, c + c + c, " " + c + " "}) {
            std::string line;
            FormatExactCSVField(value, line);
            EXPECT_TRUE(IsTextFile(line)) << byte;
            line += ",";
            FormatExactCSVField(value, line);
            line += "\r";
            std::string first, second;
            const TextCursor rest = GetNextField(GetNextField(line, first), second);
            EXPECT_EQ(first, value) << byte;
            EXPECT_EQ(second, value) << byte;
            EXPECT_EQ(std::string(rest), "\r") << byte;
        }
    }
}

// Text that ends inside a field's quotes is not the whole field.
TEST(GetNextField, TellsAFieldWhoseQuotesNeverClose)
{
    const struct {
        std::string text;
        bool unclosed;
    } cases[] = {
        {"\"open", true},
        {"\"open\r\nnext line", true},
        {"\"open \"\"", true},
        {"\"", true},
        {"\"closed\"", false},
        {"\"closed\",x", false},
        {"\"\"", false},
        {"plain", false},
        {"a\"b", false},
        {"", false},
    };
    for (const auto& c : cases) {
        std::string field;
        bool unclosed = !c.unclosed;
        GetNextField(c.text, field, &unclosed);
        EXPECT_EQ(unclosed, c.unclosed) << "text: " << c.text;
    }
}

TEST(GetNextField, StopsAtTheEndOfItsInputAndAtNul)
{
    // The cursor covers only "\"abc"; the bytes after it must not be read.
    const std::string buffer = "\"abcdef\",x";
    std::string field;
    TextCursor rest = GetNextField(TextCursor(buffer.data(), 4), field);
    EXPECT_EQ(field, "abc");
    EXPECT_TRUE(rest.empty());

    const std::string withNul("ab\0cd,e", 7);
    rest = GetNextField(withNul, field);
    EXPECT_EQ(field, "ab");
    EXPECT_TRUE(IsTextEnd(rest));
}

TEST(ReadBoolAndNumber, ReadOneFieldEach)
{
    const struct {
        const char* text;
        bool value;
    } flags[] = {{"TRUE", true}, {"t", false}, {"F", false}, {"Tom", true}, {"", false}};
    for (const auto& c : flags) {
        bool value = !c.value;
        ReadBool(c.text, value);
        EXPECT_EQ(value, c.value) << c.text;
    }

    const struct {
        const char* text;
        long value;
    } numbers[] = {
        {"-5", -5}, {"12abc", 12}, {"abc", 0}, {"+7", 7}, {"", 0},
        {"99999999999999999999999", std::numeric_limits<long>::max()},
        {"-99999999999999999999999", std::numeric_limits<long>::min()},
    };
    for (const auto& c : numbers) {
        long value = 1;
        ReadNumber(c.text, value);
        EXPECT_EQ(value, c.value) << c.text;
    }
    long value = 0;
    EXPECT_EQ(std::string(ReadNumber("31,rest", value)), "rest");
}

TEST(ReadHexBytes, DecodesUpperCasePairsOnly)
{
    const struct {
        const char* text;
        std::string bytes;
        const char* rest;
    } cases[] = {
        {"  0AFF", "\x0A\xFF"s, ""},
        {"0AF", "\x0A"s, ""},
        {"0aff", ""s, "aff"},
        {"0A,rest", "\x0A"s, "rest"},
        {"", ""s, ""},
    };
    for (const auto& c : cases) {
        std::string bytes;
        const TextCursor rest = ReadHexBytes(c.text, bytes);
        EXPECT_EQ(bytes, c.bytes) << c.text;
        EXPECT_EQ(std::string(rest), c.rest) << c.text;
    }
}

TEST(LineReaders, SkipEmptyLinesAndEveryLineEnding)
{
    std::string line;
    TextCursor cursor = "\r\n\rone\r\ntwo\nthree\r\rfour";
    for (const char* expected : {"one", "two", "three", "four"}) {
        cursor = GetNextLine(cursor, line, 100);
        EXPECT_EQ(line, expected);
    }
    cursor = GetNextLine(cursor, line, 100);
    EXPECT_EQ(line, "");
    EXPECT_TRUE(cursor.empty());

    // Only max bytes are kept; the rest of the line is passed over.
    cursor = GetNextLine("abcdef\rnext", line, 3);
    EXPECT_EQ(line, "abc");
    EXPECT_EQ(std::string(cursor), "next");

    EXPECT_EQ(std::string(SkipLine("no line break")), "");
    EXPECT_EQ(std::string(SkipLine("a\r\n\r\nb")), "b");
    EXPECT_EQ(std::string(SkipReturns("\r\n\rx")), "x");
    EXPECT_EQ(std::string(SkipWhiteSp(" \t\r x", true)), "\r x");
    EXPECT_EQ(std::string(SkipWhiteSp(" \t\r x", false)), "x");
}

TEST(FileTests, TextAndHeaders)
{
    EXPECT_TRUE(IsTextFile(""));
    for (char c : {'\r', '\n', '\x1D', '\t', '\f', '\v', '\x10'})
        EXPECT_TRUE(IsTextFile("a"s + c + "b")) << int(c);
    for (char c : {'\0', '\x01', '\x1B', '\x1F'})
        EXPECT_FALSE(IsTextFile("a"s + c + "b")) << int(c);
    EXPECT_TRUE(IsTextFile("Grüße \xFF\x80"));

    EXPECT_TRUE(HasHeader("Header and more", "Header"));
    EXPECT_FALSE(HasHeader("Head", "Header"));
    EXPECT_FALSE(HasHeader("header", "Header"));
}
