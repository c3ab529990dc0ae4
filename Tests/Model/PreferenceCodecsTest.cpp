// The stored forms of the per-user layout and the font name, as tables of stored form <-> value.
#include "Model/Database_Engine/OTVFontName.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"

#include <gtest/gtest.h>

#include <QFontDatabase>

namespace {

std::string text(const QString& s) { return s.toStdString(); }

std::string text(const QRectF& r)
{
    return QString::asprintf("(%g, %g, %g, %g)", r.x(), r.y(), r.width(), r.height()).toStdString();
}

const QSizeF kScreen(1680, 1050);   // W x H

// A Qt frame (top-left origin) of the case written for a bottom-left origin.
QRectF fromBottomUp(qreal x, qreal y, qreal w, qreal h)
{
    return QRectF(x, kScreen.height() - y - h, w, h);
}

} // namespace

// Frames and their texts; each frame that fits the screen comes back as it was.
TEST(WindowPositionText, FramesAndTheirTexts)
{
    struct Case {
        const char* what;
        QRectF frame;
        bool maximised;
        QString stored;
        QRectF readBack;
    };
    const Case cases[] = {
        {"inside the screen", fromBottomUp(100, 200, 800, 600), false, "0100 0250 0900 0850 0000",
         QRectF(100, 250, 800, 600)},
        {"top edge above the screen", QRectF(100, -10, 800, 600), false, "0100 -0010 0900 0590 0000",
         QRectF(100, -10, 800, 600)},
        {"left of the screen", QRectF(-50, 250, 800, 600), false, "0000 0250 0800 0850 0000",
         QRectF(0, 250, 800, 600)},
        {"below the screen's bottom", QRectF(100, 600, 800, 600), false, "0100 0450 0900 1050 0000",
         QRectF(100, 450, 800, 600)},
        {"fractions truncated", QRectF(100.7, 250.2, 800.9, 600.5), false, "0100 0250 0900 0850 0000",
         QRectF(100, 250, 800, 600)},
        {"maximised", QRectF(0, 0, 1680, 1050), true, "0000 0000 1680 1050 0001", QRectF(0, 0, 1680, 1050)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(text(OTVWindowPositionText(c.frame, kScreen, c.maximised)), text(c.stored));
        const std::optional<QRectF> read = OTVFrameFromWindowPositionText(c.stored, kScreen);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(text(*read), text(c.readBack));
    }
}

// Texts written elsewhere, as peers or damage leave them.
TEST(WindowPositionText, StoredTextsAndTheFramesTheyGive)
{
    struct Case {
        QString stored;
        std::optional<QRectF> frame;   // nullopt: the caller takes the default frame
    };
    const Case cases[] = {
        {"0100 0250 0900 1100 0000", QRectF(100, 200, 800, 850)},   // bottom > H: y 0 from the bottom
        {"0000 0000 2000 0600 0000", QRectF(0, 0, 1680, 600)},      // wider than the screen: W
        {"0000 0000 0800 2000 0000", QRectF(0, 0, 800, 1050)},      // higher than the screen: H
        {"-0050 0250 0750 0850 0000", QRectF(0, 250, 800, 600)},    // left < 0: x 0
        {"0100 0250 0900 0850", QRectF(100, 250, 800, 600)},        // no maximised flag
        {"100x 250 900 850 1 more", QRectF(100, 250, 800, 600)},    // leading numbers count
        {"12 34", std::nullopt},
        {"", std::nullopt},
        {"a b c d e", std::nullopt},
        {"0100  0250 0900 0850", std::nullopt},                      // an empty part is no number
        {"0100 0250 0100 0850 0000", std::nullopt},                  // no width
        {"0100 0850 0900 0250 0000", std::nullopt},                  // bottom above top
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.stored));
        const std::optional<QRectF> read = OTVFrameFromWindowPositionText(c.stored, kScreen);
        ASSERT_EQ(read.has_value(), c.frame.has_value());
        if (read) {
            EXPECT_EQ(text(*read), text(*c.frame));
        }
    }
}

TEST(WindowPositionText, DefaultFrameIsAtLeast1030WideAndCentred)
{
    struct Case {
        QSizeF screen;
        QRectF frame;
    };
    const Case cases[] = {
        {QSizeF(1280, 800), QRectF(125, 120, 1030, 560)},
        {QSizeF(1920, 1200), QRectF(288, 180, 1344, 840)},
        {QSizeF(800, 600), QRectF(-115, 90, 1030, 420)},
    };
    for (const Case& c : cases) {
        const QRectF frame = OTVUser::defaultFrame(c.screen.width(), c.screen.height());
        EXPECT_NEAR(frame.x(), c.frame.x(), 1e-9);
        EXPECT_NEAR(frame.y(), c.frame.y(), 1e-9);
        EXPECT_NEAR(frame.width(), c.frame.width(), 1e-9);
        EXPECT_NEAR(frame.height(), c.frame.height(), 1e-9);
    }
}

TEST(SortInfo, StoredValuesAndSortOrders)
{
    struct Case {
        std::optional<SortSpec> sorting;
        qint64 stored;
    };
    const Case written[] = {
        {SortSpec{"3", true}, 0x10003},
        {SortSpec{"5", false}, 5},
        {SortSpec{"70000", true}, 0x10000 | 4464},   // the key's low 16 bits
        {SortSpec{"abc", false}, 0},
        {std::nullopt, 0},
    };
    for (const Case& c : written)
        EXPECT_EQ(OTVStoredSortInfo(c.sorting), c.stored) << (c.sorting ? text(c.sorting->key) : "none");

    const Case read[] = {
        {SortSpec{"3", true}, 0x10003},
        {SortSpec{"5", false}, 5},
        {SortSpec{"5", true}, 0x20005},                  // bit 17 alone is ascending too
        {SortSpec{"5", false}, 0x1000005},               // bit 24 is not
        {SortSpec{"65535", false}, 0xFFFF},
        {SortSpec{"7", true}, qint64(0xFFFFFFFF00010007)},
    };
    for (const Case& c : read) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(OTVSortInfoFromStored(c.stored), *c.sorting);
    }
}

TEST(ColumnLayout, StoredValuesAndLayouts)
{
    // Each column alone, then all of them, survive the round trip; widths keep 16 bits.
    for (int i = 0; i < kListNoOfColumns; ++i) {
        OTVColumnLayout layout{QList<int>(kListNoOfColumns, 100), kColumnMasksArray[size_t(i)]};
        layout.widths[i] = 70000;
        const OTVColumnValues values = OTVStoredColumnValues(layout);
        for (int k = 0; k < kListNoOfColumns; ++k)
            EXPECT_EQ(values[size_t(k)], k == i ? (1 << 16) | 4464 : 100) << "column " << k + 1;
        const OTVColumnLayout read = OTVColumnLayoutFromStored(values);
        EXPECT_EQ(read.mask, kColumnMasksArray[size_t(i)]);
        EXPECT_EQ(read.widths[i], 4464);
    }
    const OTVColumnLayout all{QList<int>(kListNoOfColumns, 1), 0x3FFF};
    EXPECT_EQ(OTVColumnLayoutFromStored(OTVStoredColumnValues(all)).mask, 0x3FFFu);

    // The default mask: type, Field 1 to Field 3 and attachment.
    const OTVColumnValues defaults = OTVStoredColumnValues({{}, 0x2407});
    const OTVColumnValues expected = {1 << 16, 0, 1 << 16, 1 << 16, 1 << 16, 0, 0, 0, 0, 0, 0, 0, 0, 1 << 16};
    EXPECT_EQ(defaults, expected);   // and no widths write 0 everywhere

    // Any of bits 16-31 means shown; bits above 31 do not.
    OTVColumnValues stored{};
    stored[0] = (1 << 17) | 50;
    stored[1] = (qint64(1) << 40) | 60;
    const OTVColumnLayout read = OTVColumnLayoutFromStored(stored);
    EXPECT_EQ(read.mask, 0x400u);
    EXPECT_EQ(read.widths.mid(0, 2), (QList<int>{50, 60}));
}

TEST(RectText, WrittenAndReadLeniently)
{
    EXPECT_EQ(text(OTVStringFromRect(QRectF(0, 0, 290, 600.5))), "{{0, 0}, {290, 600.5}}");
    struct Case {
        QString stored;
        QRectF rect;
    };
    const Case cases[] = {
        {"{{0, 0}, {290, 600.5}}", QRectF(0, 0, 290, 600.5)},
        {"{{1.5, -2}, {3e2, .5}}", QRectF(1.5, -2, 300, 0.5)},
        {"{{1, 2}}", QRectF(1, 2, 0, 0)},
        {"garbage", QRectF()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(OTVRectFromString(c.stored)), text(c.rect)) << text(c.stored);

    EXPECT_EQ(OTVDetailPaneWidthFromRect("{{0, 0}, {70000.7, 10}}"), 4464);
    EXPECT_EQ(OTVDetailPaneWidthFromRect("{{0, 0}, {290.9, 10}}"), 290);
    EXPECT_EQ(OTVDetailPaneWidthFromRect("{{0, 0}, {1e999, 10}}"), 0);
}

TEST(LeadingInteger, ReadsLikeIntValue)
{
    struct Case {
        QString text;
        qint64 value;
        bool found;
    };
    const Case cases[] = {
        {" 42abc", 42, true}, {"-0010", -10, true}, {"+7", 7, true},         {"abc", 0, false},
        {"", 0, false},       {"-", 0, false},      {"99999999999999999999", std::numeric_limits<qint64>::max(), true},
    };
    for (const Case& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(OTVLeadingInteger(c.text, &found), c.value) << text(c.text);
        EXPECT_EQ(found, c.found) << text(c.text);
    }
}

// Every installed face comes back from its stored name with its family, weight and slant
// (where two foundries install one family, either of them).
TEST(FontName, InstalledFacesRoundTrip)
{
    int faces = 0;
    for (const QString& family : QFontDatabase::families()) {
        for (const QString& style : QFontDatabase::styles(family)) {
            const QFont font = QFontDatabase::font(family, style, 13);
            const QString stored = OTVStoredFontName(font, 32);
            SCOPED_TRACE(text(family + " / " + style + " -> " + stored));
            ASSERT_FALSE(stored.isEmpty());
            const std::optional<QFont> read = OTVFontFromStoredName(stored);
            ASSERT_TRUE(read.has_value());
            EXPECT_EQ(text(OTVFamilyWithoutFoundry(read->family())), text(OTVFamilyWithoutFoundry(family)));
            EXPECT_EQ(read->bold(), font.bold());
            EXPECT_EQ(read->italic(), font.italic());
            ++faces;
        }
    }
    EXPECT_GT(faces, 0) << "no fonts installed";
}

// Names as other copies of the program store them, matched against the installed DejaVu fonts.
TEST(FontName, StoredNamesOfPeers)
{
    if (!QFontDatabase::families().contains("DejaVu Sans"))
        GTEST_SKIP() << "the DejaVu fonts are not installed";
    struct Case {
        QString stored;
        QString family;   // empty: not installed
        bool bold;
        bool italic;
    };
    const Case cases[] = {
        {"DejaVuSans", "DejaVu Sans", false, false},
        {"DejaVuSans-BoldOblique", "DejaVu Sans", true, true},
        {"dejavusans-bold", "DejaVu Sans", true, false},
        {"DejaVuSansMT-Bold", "DejaVu Sans", true, false},
        {"DejaVuSans-BoldItalicMT", "DejaVu Sans", true, true},   // a style it lacks: weight and slant
        {"DejaVuSerifCondensed-BoldItalic", "DejaVu Serif Condensed", true, true},
        {"NoSuchFamilyMT", "", false, false},
        {"", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.stored));
        const std::optional<QFont> font = OTVFontFromStoredName(c.stored);
        ASSERT_EQ(font.has_value(), !c.family.isEmpty());
        if (!font)
            continue;
        EXPECT_EQ(text(font->family()), text(c.family));
        EXPECT_EQ(font->bold(), c.bold);
        EXPECT_EQ(font->italic(), c.italic);
    }
}

// A name that does not fit the column gives way to shorter ones; never a cut one.
TEST(FontName, NamesFitTheirColumn)
{
    QFont styled("Long Family Name", 12);
    styled.setStyleName("Semi Condensed Extra Bold Oblique");
    styled.setBold(true);
    styled.setItalic(true);
    QFont bold(QString(30, 'f'), 12);
    bold.setBold(true);
    struct Case {
        QFont font;
        QString stored;
    };
    const Case cases[] = {
        {QFont("Arial"), "Arial"},
        {QFont("Nimbus Sans [urw]"), "NimbusSans"},   // a foundry is no part of the name
        {styled, "LongFamilyName-BoldItalic"},
        {bold, QString(30, 'f')},
        {QFont(QString(33, 'f')), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(OTVStoredFontName(c.font, 32)), text(c.stored));
}
