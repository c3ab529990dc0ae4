// The drawn built-in icons: every number of the table has its own picture, distinct from all
// the others by its pictogram alone (whatever the tint) at 16 and 32 pixels; numbers without
// a drawing show the default icon; the store hands them out at its display size. The test
// also writes sheets of all icons as PNG (built-in-icons.png, and built-in-icons-16px-x4.png with
// the 16-pixel icons magnified, in the test folder) to look at.
#include "Model/Database_Engine/OTVCustomIconImage.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVBuiltInIcons.h"
#include "Model/OTVType.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QSet>

namespace {

constexpr int kChooserIcons = 63;   // the icons the chooser offers: all must be drawn

// The pictogram: pixels that are nearly white (the tile itself is never that light).
QList<bool> pictogram(const QImage& icon)
{
    QList<bool> mask;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = QColor::fromRgba(icon.pixel(x, y));
            mask.append(pixel.alpha() > 200 && pixel.red() > 215 && pixel.green() > 215 && pixel.blue() > 215);
        }
    return mask;
}

int differingPixels(const QList<bool>& a, const QList<bool>& b)
{
    int count = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        count += a[i] != b[i] ? 1 : 0;
    return count;
}

int differingColours(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

QString sheetPath(const QString& name)
{
    const QString folder = qEnvironmentVariable("OSTREVIN_TEST_TMP", QDir::tempPath());
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

} // namespace

TEST(BuiltInIcons, EveryChooserNumberHasItsOwnDrawing)
{
    EXPECT_GE(kBuiltInIconCount, kChooserIcons);
    EXPECT_LE(kBuiltInIconCount, OTVDataBase::kStandardIcons);
    QSet<QString> names;
    for (int number = 1; number <= kBuiltInIconCount; ++number) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(OTVHasBuiltInIcon(number));
        names.insert(OTVBuiltInIconName(number));
        for (int side : {16, 32}) {
            const QImage icon = OTVBuiltInIconImage(number, side);
            ASSERT_EQ(icon.size(), QSize(side, side));
            // A tile with a pictogram on it: transparent corners, and enough white to see.
            EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
            const QList<bool> white = pictogram(icon);
            EXPECT_GE(white.count(true), side * side / 20) << "pictogram too faint at " << side;
        }
    }
    EXPECT_EQ(names.size(), kBuiltInIconCount) << "two icons share a name";
}

TEST(BuiltInIcons, PictogramsAreDistinctAtSmallAndLargeSizes)
{
    // Required pixels of difference between two pictograms, per size.
    const struct {
        int side;
        int minimum;
    } sizes[] = {{16, 8}, {32, 30}};
    for (const auto& size : sizes) {
        QList<QList<bool>> masks;
        for (int number = 1; number <= kBuiltInIconCount; ++number)
            masks.append(pictogram(OTVBuiltInIconImage(number, size.side)));
        for (int a = 0; a < masks.size(); ++a)
            for (int b = a + 1; b < masks.size(); ++b)
                EXPECT_GE(differingPixels(masks[a], masks[b]), size.minimum)
                    << "icons " << a + 1 << " and " << b + 1 << " look alike at " << size.side << " pixels";
    }
}

TEST(BuiltInIcons, NumbersWithoutADrawingShowTheDefaultIcon)
{
    EXPECT_EQ(kBuiltInDefaultIcon, kDefaultIconID);
    const QImage standIn = OTVBuiltInIconImage(kDefaultIconID, 32);
    for (int number : {0, -4, kBuiltInIconCount + 1, 200, OTVDataBase::kStandardIcons, 1001}) {
        SCOPED_TRACE(number);
        EXPECT_FALSE(OTVHasBuiltInIcon(number));
        EXPECT_EQ(OTVBuiltInIconImage(number, 32), standIn);
        EXPECT_EQ(OTVBuiltInIconName(number), OTVBuiltInIconName(kDefaultIconID));
    }
    EXPECT_GT(differingColours(OTVBuiltInIconImage(1, 32), standIn), 100);
}

TEST(BuiltInIcons, TheStoreShowsThemAtItsDisplaySize)
{
    OTVDataBase store;
    const struct {
        int number;
        int drawing;   // 0: no image
    } cases[] = {
        {1, 1}, {31, 31}, {kChooserIcons, kChooserIcons}, {kBuiltInIconCount, kBuiltInIconCount},
        {kBuiltInIconCount + 1, kDefaultIconID}, {OTVDataBase::kStandardIcons, kDefaultIconID},
        {OTVDataBase::kStandardIcons + 1, 0}, {999, 0}, {0, 0}, {-1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const QImage shown = store.getImageFromIconIndex(c.number);
        if (c.drawing == 0) {
            EXPECT_TRUE(shown.isNull());
            continue;
        }
        EXPECT_EQ(shown.size(), QSize(kIconDisplaySide, kIconDisplaySide));
        EXPECT_EQ(shown, OTVBuiltInIconImage(c.drawing, kIconDisplaySide));
    }
}

// Not a check: the sheet to look at. Each row shows icons at 16, 24 and 32 pixels with their
// number.
TEST(BuiltInIcons, SheetOfAllIconsIsWritten)
{
    constexpr int columns = 8;
    constexpr int cellWidth = 130;
    constexpr int cellHeight = 44;
    const int rows = (kBuiltInIconCount + columns - 1) / columns;
    QImage sheet(columns * cellWidth, rows * cellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    painter.setFont(font);
    for (int number = 1; number <= kBuiltInIconCount; ++number) {
        const int x = ((number - 1) % columns) * cellWidth;
        const int y = ((number - 1) / columns) * cellHeight;
        painter.drawImage(QPoint(x + 4, y + 4), OTVBuiltInIconImage(number, 16));
        painter.drawImage(QPoint(x + 24, y + 4), OTVBuiltInIconImage(number, 24));
        painter.drawImage(QPoint(x + 52, y + 4), OTVBuiltInIconImage(number, 32));
        painter.setPen(Qt::black);
        painter.drawText(QRect(x + 4, y + 30, cellWidth - 8, 12), Qt::AlignLeft,
                         QStringLiteral("%1 %2").arg(number).arg(OTVBuiltInIconName(number)));
    }
    painter.end();
    const QString path = sheetPath(QStringLiteral("built-in-icons.png"));
    ASSERT_TRUE(sheet.save(path, "PNG")) << path.toStdString();
    std::cout << "icon sheet: " << path.toStdString() << std::endl;

    // The 16-pixel icons magnified four times, pixel for pixel, to judge them at that size.
    constexpr int magnified = 16 * 4;
    QImage small(columns * (magnified + 8), rows * (magnified + 8), QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::white);
    QPainter smallPainter(&small);
    for (int number = 1; number <= kBuiltInIconCount; ++number) {
        const QPoint at(((number - 1) % columns) * (magnified + 8) + 4, ((number - 1) / columns) * (magnified + 8) + 4);
        smallPainter.drawImage(at, OTVBuiltInIconImage(number, 16).scaled(magnified, magnified));
    }
    smallPainter.end();
    const QString smallPath = sheetPath(QStringLiteral("built-in-icons-16px-x4.png"));
    ASSERT_TRUE(small.save(smallPath, "PNG")) << smallPath.toStdString();
}
