#include "Model/OTVTextPack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

std::vector<QString> unpacked(const OTVTextPack& pack)
{
    std::vector<QString> texts;
    for (int i = 0; i < pack.count(); ++i)
        texts.push_back(pack.text(i));
    return texts;
}

} // namespace

// Each set of texts comes back as it went in, null and empty texts apart, kept one byte a
// character exactly when every character fits.
TEST(TextPack, KeepsEveryTextAsItWasGiven)
{
    struct Case {
        const char* what;
        std::vector<QString> texts;
        bool latin1;
    };
    const Case cases[] = {
        {"ASCII", {"alpha", "", "gamma delta"}, true},
        {"Latin-1 beyond ASCII", {"Grüße", "ÿ", "\u00A0µ"}, true},
        {"one character beyond Latin-1", {"plain", "price 5 €", "more"}, false},
        {"outside the BMP", {QString::fromUcs4(U"\U0001F511 key"), "x"}, false},
        {"null and empty texts", {QString(), QStringLiteral(""), QString(), "last"}, true},
        {"null beside UTF-16", {QString(), "漢字", QStringLiteral("")}, false},
        {"zero characters inside", {QString(QChar(0)) + "a" + QChar(0), "b"}, true},
        {"one long text", {QString("Note ").repeated(20000) + "€"}, false},
        {"the most texts", std::vector<QString>(OTVTextPack::kMaxTexts, "t"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QStringView> views(c.texts.begin(), c.texts.end());
        const OTVTextPack pack(views.data(), int(views.size()));
        ASSERT_EQ(pack.count(), int(c.texts.size()));
        EXPECT_EQ(pack.isLatin1(), c.latin1);
        EXPECT_EQ(unpacked(pack), c.texts);
        for (int i = 0; i < pack.count(); ++i) {
            const QString& given = c.texts[size_t(i)];
            EXPECT_EQ(pack.text(i).isNull(), given.isNull()) << i;
            EXPECT_EQ(pack.size(i), given.size()) << i;
            EXPECT_TRUE(QAnyStringView::equal(pack.view(i), given)) << i;
        }
        EXPECT_TRUE(pack.text(-1).isNull());
        EXPECT_TRUE(pack.text(pack.count()).isNull());
    }
}

TEST(TextPack, Latin1TextsGoInAsTheyAre)
{
    const QLatin1StringView texts[] = {QLatin1StringView("one"), QLatin1StringView(), QLatin1StringView("", qsizetype(0)),
                                       QLatin1StringView("\xe9t\xe9")};
    const OTVTextPack pack(texts, 4);
    EXPECT_TRUE(pack.isLatin1());
    EXPECT_EQ(unpacked(pack), (std::vector<QString>{"one", QString(), QStringLiteral(""), QString::fromUtf8("été")}));
    EXPECT_TRUE(pack.isNull(1));
    EXPECT_FALSE(pack.isNull(2));

    const OTVTextPack filled = OTVTextPack::latin1Text(3, [](char* to) { std::memcpy(to, "abc", 3); });
    EXPECT_EQ(unpacked(filled), std::vector<QString>{"abc"});
    EXPECT_EQ(OTVTextPack().count(), 0);

    const std::vector<QStringView> tooMany(OTVTextPack::kMaxTexts + 1, u"t");
    EXPECT_THROW(OTVTextPack(tooMany.data(), int(tooMany.size())), std::length_error);
}

TEST(TextPack, CopiesShareNothingThatChanges)
{
    QString source = "before";
    const QStringView view(source);
    OTVTextPack pack(&view, 1);
    const OTVTextPack copy = pack;
    source = "after";
    const QStringView other(source);
    pack = OTVTextPack(&other, 1);
    EXPECT_EQ(copy.text(0), "before");
    EXPECT_EQ(pack.text(0), "after");
}
