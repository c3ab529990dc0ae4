#include "Model/BKPropertyList.h"

#include <gtest/gtest.h>

namespace {

QByteArray plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
}

} // namespace

TEST(PropertyListTest, MapsEveryValueKind)
{
    QString error;
    const QVariant root = BKPropertyList::readData(plist(R"(
        <dict>
            <key>text</key><string>a &amp; b</string>
            <key>empty</key><string/>
            <key>integer</key><integer> -42 </integer>
            <key>large</key><integer>9007199254740993</integer>
            <key>real</key><real>2.5</real>
            <key>yes</key><true/>
            <key>no</key><false/>
            <key>list</key><array><integer>1</integer><dict/><array/></array>
        </dict>)"), &error);
    ASSERT_TRUE(root.isValid()) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    ASSERT_EQ(root.typeId(), QMetaType::QVariantMap);
    const QVariantMap map = root.toMap();
    EXPECT_EQ(map.value("text"), QVariant(QStringLiteral("a & b")));
    EXPECT_EQ(map.value("empty").typeId(), QMetaType::QString);
    EXPECT_TRUE(map.value("empty").toString().isEmpty());
    EXPECT_EQ(map.value("integer"), QVariant(qlonglong(-42)));
    EXPECT_EQ(map.value("large"), QVariant(qlonglong(9007199254740993LL)));
    EXPECT_EQ(map.value("real"), QVariant(2.5));
    EXPECT_EQ(map.value("yes"), QVariant(true));
    EXPECT_EQ(map.value("no"), QVariant(false));
    const QVariantList list = map.value("list").toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0), QVariant(qlonglong(1)));
    EXPECT_EQ(list.at(1).typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(list.at(2).typeId(), QMetaType::QVariantList);
}

TEST(PropertyListTest, ToleratesADocumentTypeDeclaration)
{
    const QByteArray data = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist SYSTEM \"plist.dtd\">\n"
                            "<plist version=\"1.0\"><array><string>x</string></array></plist>";
    EXPECT_EQ(BKPropertyList::readData(data), QVariant(QVariantList{QStringLiteral("x")}));
}

struct BrokenList {
    const char* what;
    QByteArray data;
};

class PropertyListBrokenTest : public ::testing::TestWithParam<BrokenList> {};

TEST_P(PropertyListBrokenTest, GivesNoValueAndSaysWhy)
{
    QString error;
    EXPECT_FALSE(BKPropertyList::readData(GetParam().data, &error).isValid());
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyListBrokenTest,
    ::testing::Values(
        BrokenList{"empty", ""},
        BrokenList{"not XML", "Types = (one, two)"},
        BrokenList{"binary", QByteArray("bplist00\xd1\x01\x02", 11)},
        BrokenList{"other root", "<?xml version=\"1.0\"?><list><array/></list>"},
        BrokenList{"no value", plist("")},
        BrokenList{"two values", plist("<array/><array/>")},
        BrokenList{"truncated", "<?xml version=\"1.0\"?><plist><dict><key>Types</key><array><dict>"},
        BrokenList{"mismatched tags", plist("<array></dict>")},
        BrokenList{"key without value", plist("<dict><key>a</key></dict>")},
        BrokenList{"value without key", plist("<dict><string>a</string></dict>")},
        BrokenList{"not an integer", plist("<integer>12abc</integer>")},
        BrokenList{"not a real", plist("<real>one</real>")},
        BrokenList{"element inside a string", plist("<string>a<b/></string>")},
        BrokenList{"unsupported date", plist("<date>2024-05-01T00:00:00Z</date>")},
        BrokenList{"unsupported data", plist("<data>AAEC</data>")},
        BrokenList{"text after the end", plist("<array/>") + "<plist/>"},
        BrokenList{"nested beyond reason", plist(QByteArray("<array>").repeated(5000) + QByteArray("</array>").repeated(5000))}),
    [](const ::testing::TestParamInfo<BrokenList>& info) {
        return QString::fromLatin1(info.param.what).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

TEST(PropertyListTest, AMissingFileNamesThePath)
{
    QString error;
    EXPECT_FALSE(BKPropertyList::readFile(QStringLiteral("/nonexistent/DB.plist"), &error).isValid());
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/DB.plist")));
}
