#include "Model/vRX/CString.h"
#include "Model/vRX/CStringArray.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

TEST(CStringArray, AddsCopiesAndKeepsThePackedSize)
{
    CStringArray list;
    char text[] = "x";
    list.Add(nullptr);
    list.Add("");
    list.Add(text);
    text[0] = 'y';   // the list holds its own copy

    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_STREQ(list.GetAt(0), "");
    EXPECT_STREQ(list.GetAt(1), "");
    EXPECT_STREQ(list.GetAt(2), "x");
    EXPECT_EQ(list.ArraySize(), 4u);
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
}

TEST(CStringArray, SetAtReplacesOneStringOnly)
{
    CStringArray list;
    list.Add("first");
    list.Add("mid");
    list.Add("last");
    const size_t size = list.ArraySize();

    const std::string longer(70000, 'L');   // far beyond a 16-bit block
    list.SetAt(1, longer.c_str());
    EXPECT_STREQ(list.GetAt(0), "first");
    EXPECT_EQ(list.GetAt(1), longer);
    EXPECT_STREQ(list.GetAt(2), "last");
    EXPECT_EQ(list.ArraySize(), size - 3 + longer.size());

    list.SetAt(1, "m");
    EXPECT_STREQ(list.GetAt(1), "m");
    EXPECT_STREQ(list.GetAt(2), "last");
    EXPECT_EQ(list.ArraySize(), size - 2);

    list.SetAt(1, list.GetAt(0));   // from inside the block itself
    EXPECT_STREQ(list.GetAt(1), "first");
    list.SetAt(2, nullptr);
    EXPECT_STREQ(list.GetAt(2), "");

    list.SetAt(5, "ignored");
    list.SetAt(-1, "ignored");
    EXPECT_EQ(list.GetSize(), 3);
}

TEST(CStringArray, RefusesMoreThanItsCountCanHold)
{
    CStringArray list;
    for (int i = 0; i < 32767; ++i)
        list.Add("");
    EXPECT_THROW(list.Add("one too many"), std::length_error);
    EXPECT_EQ(list.GetSize(), 32767);
}

TEST(CString, AssignAppendsAndTrimRemovesLineBreaksAndBlanks)
{
    CString s;
    EXPECT_STREQ(s, "");
    EXPECT_TRUE(s.IsEmpty());
    s = "ab";
    s.Assign("cd");
    EXPECT_STREQ(s, "abcd");
    s.Assign("efghij", 2);
    EXPECT_STREQ(s, "abcdef");
    s.Assign("xy", 500);   // the length is a bound, not a count to copy blindly
    EXPECT_STREQ(s, "abcdefxy");
    s += CString(" \r");
    s.TrimRight();
    EXPECT_STREQ(s, "abcdefxy");

    CString t("\t\n x");
    t.TrimLeft();
    EXPECT_STREQ(t, "x");
    CString blank(" \t\r\n");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());

    const std::string longText(5000, 'z');
    CString big;
    big.Assign(longText.c_str(), longText.size());
    EXPECT_EQ(big.GetLength(), 5000u);
}

TEST(CString, BuffersComparisonAndEditing)
{
    CString s("Hello World");
    EXPECT_EQ(s.Compare("Hello World"), 0);
    EXPECT_LT(s.Compare("Zebra"), 0);
    EXPECT_EQ(s.CompareNoCase("hello world"), 0);
    EXPECT_EQ(s.GetAt(4), 'o');
    EXPECT_EQ(s.GetAt(99), '\0');

    s.Remove(5, 6);
    EXPECT_STREQ(s, "Hello");
    s.ReleaseBuffer(-1);
    EXPECT_STREQ(s, "Hello");
    s.GetBuffer()[2] = '\0';
    s.ReleaseBuffer(-1);
    EXPECT_STREQ(s, "He");
    s = "abcdef";
    s.ReleaseBuffer(3);
    EXPECT_STREQ(s, "abc");
    EXPECT_STREQ(s.GetBufferSetLength(1), "a");
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, KeepsBytesAsTheyAreAndDecodesOldText)
{
    const char* utf8 = "Gr\xC3\xBCppe";   // "Grüppe"
    CString group(utf8);
    EXPECT_STREQ(group, utf8);
    EXPECT_EQ(group.GetLength(), 7u);
    EXPECT_EQ(group.toQString(), QStringLiteral("Grüppe"));

    const CString macRoman("Gr\x9Fppe");   // the same name written by an old program
    EXPECT_EQ(macRoman.toQString(), QStringLiteral("Grüppe"));
    EXPECT_STREQ(CString(QStringLiteral("Grüppe")), utf8);

    CString units;
    const char16_t text[] = u"Caf\u00E9 \U0001F511";
    units.AssignUniChar(text, std::char_traits<char16_t>::length(text));
    EXPECT_EQ(units.toQString(), QString::fromUtf16(text));
    units.AppendUniChar(u"!", 1);
    EXPECT_EQ(units.toQString(), QString::fromUtf16(text) + QStringLiteral("!"));
}
