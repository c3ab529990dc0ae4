#include "Model/OTVBuiltInIcons.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// TINYBLOB columns hold 240 bytes of text once enciphered.
constexpr int kLongestStoredText = 240;

QByteArray typeXML(const char* uid, const char* name, int icon, const QByteArray& fields = {})
{
    return QByteArray("<dict><key>UID</key><string>") + uid + "</string><key>Name</key><string>" + name
        + "</string><key>IconID</key><integer>" + QByteArray::number(icon) + "</integer>" + fields + "</dict>";
}

QByteArray fieldXML(int field, const char* label, bool masked)
{
    return "<key>Field " + QByteArray::number(field) + "</key><dict><key>Field_Name</key><string>" + label
        + "</string><key>Mask</key>" + (masked ? "<true/>" : "<false/>") + "</dict>";
}

QByteArray templatesXML(const QByteArray& types)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>Types</key><array>" + types
        + "</array></dict></plist>";
}

class TemplateFile {
public:
    explicit TemplateFile(const QByteArray& content) : path_(dir_.filePath(QStringLiteral("DB.plist")))
    {
        QFile file(path_);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    QString path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace

TEST(TypeTemplatesTest, ReadsEveryTypeInFileOrderWithEveryKey)
{
    QByteArray allFields;
    for (int field = 1; field <= kNoOfFields; ++field)
        allFields += fieldXML(field, QByteArray("Label ").append(QByteArray::number(field)), field % 3 == 0);
    const TemplateFile file(templatesXML(typeXML("0000000000000030", "Zeta", 40, allFields)
                                         + typeXML("0000000000000020", "Alpha", 3)
                                         + typeXML("0000000000000025", "Mid", 17, fieldXML(2, "Key", true))));
    QString error;
    const auto types = OTVType::readtypesFromFile(file.path(), &error);
    ASSERT_EQ(types.size(), 3) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());

    EXPECT_EQ(types[0]->mTypeUID(), QStringLiteral("0000000000000030"));
    EXPECT_EQ(types[0]->mTypeName(), QStringLiteral("Zeta"));
    EXPECT_EQ(types[0]->mTypeIconID(), std::optional<int>(40));
    EXPECT_EQ(types[0]->mTypeMask(), std::optional<int>((1 << 2) | (1 << 5) | (1 << 8)));
    for (int field = 1; field <= kNoOfFields; ++field)
        EXPECT_EQ(types[0]->label(field), QStringLiteral("Label %1").arg(field));

    EXPECT_EQ(types[1]->mTypeName(), QStringLiteral("Alpha"));
    EXPECT_EQ(types[1]->mTypeMask(), std::optional<int>(0));
    EXPECT_EQ(types[2]->mTypeUID(), QStringLiteral("0000000000000025"));
    EXPECT_EQ(types[2]->mTypeMask(), std::optional<int>(2));
    EXPECT_EQ(types[2]->label(2), QStringLiteral("Key"));
    EXPECT_EQ(types[2]->label(1), QStringLiteral("Field 1"));
}

TEST(TypeTemplatesTest, AnEmptyTypesArrayGivesAnEmptyListWithoutComplaint)
{
    const TemplateFile file(templatesXML(""));
    QString error = QStringLiteral("stale");
    EXPECT_TRUE(OTVType::readtypesFromFile(file.path(), &error).isEmpty());
    EXPECT_TRUE(error.isEmpty());
}

struct BrokenTemplates {
    const char* what;
    QByteArray content;
};

class TypeTemplatesBrokenTest : public ::testing::TestWithParam<BrokenTemplates> {};

TEST_P(TypeTemplatesBrokenTest, GivesAnEmptyListAndSaysWhy)
{
    const TemplateFile file(GetParam().content);
    QString error;
    EXPECT_TRUE(OTVType::readtypesFromFile(file.path(), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

const QByteArray kGoodType = typeXML("0000000000000020", "Alpha", 3);

INSTANTIATE_TEST_SUITE_P(
    Cases, TypeTemplatesBrokenTest,
    ::testing::Values(
        BrokenTemplates{"empty file", ""},
        BrokenTemplates{"not a plist", "UID,Name\n0000000000000020,Alpha\n"},
        BrokenTemplates{"truncated", templatesXML(kGoodType).chopped(20)},
        BrokenTemplates{"root is an array", "<plist><array>" + kGoodType + "</array></plist>"},
        BrokenTemplates{"no Types", "<plist><dict><key>Kinds</key><array>" + kGoodType + "</array></dict></plist>"},
        BrokenTemplates{"Types not an array", "<plist><dict><key>Types</key>" + kGoodType + "</dict></plist>"},
        BrokenTemplates{"entry not a dict", templatesXML(kGoodType + "<string>Beta</string>")},
        BrokenTemplates{"one unusable entry", templatesXML(kGoodType + typeXML("XYZ", "Beta", 3))},
        BrokenTemplates{"repeated UID", templatesXML(kGoodType + typeXML("0000000000000020", "Beta", 4))},
        BrokenTemplates{"icon not a number", templatesXML(kGoodType).replace("<integer>3</integer>", "<string>3</string>")}),
    [](const ::testing::TestParamInfo<BrokenTemplates>& info) {
        return QString::fromLatin1(info.param.what).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

TEST(TypeTemplatesTest, AMissingFileGivesAnEmptyList)
{
    QString error;
    EXPECT_TRUE(OTVType::readtypesFromFile(QStringLiteral("/nonexistent/DB.plist"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

class ShippedTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        types_ = OTVType::readtypesFromFile(kTypeTemplatesPath, &error);
        ASSERT_GE(types_.size(), 9) << error.toStdString();
    }

    std::shared_ptr<OTVType> typeWithUID(const QString& uid) const
    {
        for (const auto& type : types_)
            if (type->mTypeUID() == uid)
                return type;
        return nullptr;
    }

    QList<std::shared_ptr<OTVType>> types_;
};

TEST_F(ShippedTemplatesTest, HasTheWebLoginTypeTheDesktopRelieson)
{
    const auto webLogin = typeWithUID(kWebLoginUID);
    ASSERT_TRUE(webLogin);
    // The web login takes the user name from field 2, the password from field 3 and the
    // address from field 4.
    EXPECT_EQ(webLogin->label(2), QStringLiteral("Username"));
    EXPECT_EQ(webLogin->label(3), QStringLiteral("Password"));
    EXPECT_EQ(webLogin->label(4), QStringLiteral("URL"));
    EXPECT_EQ(*webLogin->mTypeMask() & 0b110, 0b100);
}

TEST_F(ShippedTemplatesTest, TypesHaveDistinctWellKnownIdentities)
{
    QSet<QString> uids;
    QSet<QString> names;
    for (const auto& type : types_) {
        const QString uid = type->mTypeUID();
        EXPECT_TRUE(OTVUID::isWellKnownUID(uid)) << uid.toStdString();
        EXPECT_NE(uid, kUnfilledUID);
        EXPECT_NE(uid, kAllCategoriesUID);
        names.insert(type->mTypeName().toLower());
        uids.insert(uid);
    }
    EXPECT_EQ(uids.size(), types_.size());
    EXPECT_EQ(names.size(), types_.size());
}

TEST_F(ShippedTemplatesTest, EveryTypeIsStorableAndMasksOnlyRealFields)
{
    for (const auto& type : types_) {
        SCOPED_TRACE(type->mTypeName().toStdString());
        ASSERT_TRUE(type->mTypeIconID().has_value());
        EXPECT_GE(*type->mTypeIconID(), 1);
        EXPECT_LE(*type->mTypeIconID(), 256);  // the built-in icons
        EXPECT_LE(type->mTypeName().toUtf8().size(), kLongestStoredText);
        for (int field = 1; field <= kNoOfFields; ++field) {
            EXPECT_FALSE(type->label(field).isEmpty());
            EXPECT_LE(type->label(field).toUtf8().size(), kLongestStoredText);
        }
        // Field 10 holds the time of the last change: never hidden.
        EXPECT_EQ(*type->mTypeMask() & ~0x1FF, 0);
    }
}

// Each record type of a new vault shows a picture of what it holds: the icon number the template
// gives it draws that picture (and not the default stand-in).
TEST_F(ShippedTemplatesTest, EveryTypeDrawsItsOwnPicture)
{
    const QMap<QString, QString> pictures = {
        {"Login", "Key"},
        {"Web Login", "Lock"},
        {"E-mail Account", "Mail"},
        {"Server or SSH Login", "Server"},
        {"Database", "Database"},
        {"Bank Account", "Bank"},
        {"Credit Card", "Credit Card"},
        {"Software Licence", "Software"},
        {"Wi-Fi Network", "Wi-Fi"},
        {"Remote Access (VPN)", "Network"},
        {"Secure Note", "Note"},
    };
    QMap<QString, QString> drawn;
    for (const auto& type : types_) {
        const int icon = type->mTypeIconID().value_or(0);
        drawn.insert(type->mTypeName(), OTVHasBuiltInIcon(icon) ? OTVBuiltInIconName(icon) : QStringLiteral("none"));
    }
    EXPECT_EQ(drawn, pictures);
}
