// The custom-icon drawing: any picture becomes a 48 x 48 image with an alpha channel, the
// picture scaled to fit with its aspect ratio and centred, transparent around it.
#include "Model/Database_Engine/OTVCustomIconImage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

namespace {

QImage opaque(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 40));
    return image;
}

// The rectangle of pixels that are not fully transparent.
QRect coveredArea(const QImage& icon)
{
    QRect area;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            if (qAlpha(icon.pixel(x, y)) != 0)
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

TEST(CustomIconImage, PicturesAreScaledToFitAndCentred)
{
    struct Case {
        QSize picture;
        QRect drawing;
    };
    const Case cases[] = {
        {{96, 48}, {0, 12, 48, 24}},
        {{48, 96}, {12, 0, 24, 48}},
        {{16, 16}, {0, 0, 48, 48}},
        {{3000, 1000}, {0, 16, 48, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(c.picture.width()).arg(c.picture.height()).toStdString());
        const QImage icon = OTVCustomIconImage(opaque(c.picture.width(), c.picture.height()));
        ASSERT_EQ(icon.size(), QSize(48, 48));
        EXPECT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(coveredArea(icon), c.drawing);
        const QPoint centre = c.drawing.center();
        EXPECT_EQ(icon.pixelColor(centre), QColor(200, 30, 40));
    }
    EXPECT_TRUE(OTVCustomIconImage(QImage()).isNull());
}

// The picture's own pixels replace the canvas: a half-transparent picture stays half
// transparent instead of being blended over anything.
TEST(CustomIconImage, PixelsAreCopiedWithTheirAlpha)
{
    QImage picture(10, 10, QImage::Format_ARGB32);
    picture.fill(QColor(0, 0, 255, 128));
    const QImage icon = OTVCustomIconImage(picture);
    EXPECT_NEAR(qAlpha(icon.pixel(24, 24)), 128, 2);
}

TEST(CustomIconImage, FilesBecomePNGsAndWhatIsNoPictureIsRefused)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(opaque(60, 30).save(&buffer, "JPEG"));

    const QByteArray png = OTVCustomIconPNGFromFile(write("photo.jpg", jpeg));
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    const QImage icon = QImage::fromData(png, "PNG");
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(coveredArea(icon), QRect(0, 12, 48, 24));

    EXPECT_TRUE(OTVCustomIconPNGFromFile(write("text.png", "hello")).isEmpty());
    EXPECT_TRUE(OTVCustomIconPNGFromFile(write("empty.png", "")).isEmpty());
    EXPECT_TRUE(OTVCustomIconPNGFromFile(folder.filePath("missing.png")).isEmpty());
}
