// The icon cells: where the image of an icon-and-text cell goes, the count badge (its size,
// place and colours, and none for 0), nothing drawn without an image, the width hint, and the
// plain image cell's background and left inset.
#include "Customization/BKImageCellDelegate.h"
#include "Customization/ImageAndTextDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

namespace {

QImage square(int side, const QColor& color)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// Paints one item of `model` with `delegate` into a white image of the cell's size.
QImage painted(const QStyledItemDelegate& delegate, const QModelIndex& index, const QSize& size,
               bool selected = false)
{
    QImage canvas(size, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), size);
    option.font = QApplication::font();
    option.palette = QApplication::palette();
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    delegate.paint(&painter, option, index);
    painter.end();
    return canvas;
}

bool near(QRgb pixel, const QColor& color)
{
    return std::abs(qRed(pixel) - color.red()) <= 3 && std::abs(qGreen(pixel) - color.green()) <= 3 &&
           std::abs(qBlue(pixel) - color.blue()) <= 3;
}

} // namespace

class ImageCellsTest : public QObject {
    Q_OBJECT

private slots:
    void imageFrameIsInsetAndCentred();
    void badgeGeometry();
    void badgeIsDrawnOnlyForACount();
    void nothingIsDrawnWithoutAnImage();
    void sizeHintMakesRoomForTheImage();
    void imageCellBackgroundAndLeftInset();
};

void ImageCellsTest::imageFrameIsInsetAndCentred()
{
    const struct {
        QRect cell;
        QSize image;
        QRect frame;
    } cases[] = {
        {{0, 0, 100, 20}, {16, 16}, {6, 2, 16, 16}},
        {{10, 40, 100, 21}, {16, 16}, {16, 43, 16, 16}},   // ceil(2.5)
        {{0, 0, 50, 10}, {16, 16}, {6, -3, 16, 16}},
        {{0, 0, 100, 20}, {}, {}},
    };
    for (const auto& c : cases)
        QCOMPARE(ImageAndTextDelegate::imageFrameForCellFrame(c.cell, c.image), c.frame);
}

void ImageCellsTest::badgeGeometry()
{
    const QFont font = QApplication::font();
    const QRect textPart(30, 10, 200, 22);
    QVERIFY(ImageAndTextDelegate::badgeRect(textPart, 0, font).isNull());
    for (int count : {1, 42, 1234, -5}) {
        const QRectF badge = ImageAndTextDelegate::badgeRect(textPart, count, font);
        const qreal digits = QFontMetricsF(font).horizontalAdvance(QString::number(count));
        QCOMPARE(badge.width(), digits + 18);
        QCOMPARE(badge.right(), qreal(textPart.x() + textPart.width() - 1));
        QCOMPARE(badge.top(), textPart.y() + 0.5);
        QCOMPARE(badge.height(), qreal(textPart.height() - 2));
    }
}

void ImageCellsTest::badgeIsDrawnOnlyForACount()
{
    QStandardItemModel model(2, 1);
    for (int row = 0; row < 2; ++row) {
        auto* item = new QStandardItem(QStringLiteral("Logins"));
        item->setData(square(16, Qt::darkGreen), Qt::DecorationRole);
        item->setData(row == 0 ? 0 : 7, ImageAndTextDelegate::kCountRole);
        model.setItem(row, 0, item);
    }
    ImageAndTextDelegate delegate;
    const QSize size(220, 22);
    const QRectF badge = ImageAndTextDelegate::badgeRect(
        ImageAndTextDelegate::textFrameForCellFrame(QRect(QPoint(0, 0), size), QSize(16, 16)), 7,
        QApplication::font());
    const QPoint inside(int(badge.left()) + 3, int(badge.center().y()));

    for (bool selected : {false, true}) {
        const QColor fill = ImageAndTextDelegate::badgeFillColor(selected);
        const QImage withCount = painted(delegate, model.index(1, 0), size, selected);
        QVERIFY(near(withCount.pixel(inside), fill));
        QVERIFY(!near(withCount.pixel(size.width() - 1, inside.y()), fill));   // 1 pixel free at the end
        const QImage noCount = painted(delegate, model.index(0, 0), size, selected);
        QVERIFY(!near(noCount.pixel(inside), fill));
    }
    // The image sits 6 pixels in, centred.
    const QImage cell = painted(delegate, model.index(1, 0), size);
    QVERIFY(near(cell.pixel(6, 3), Qt::darkGreen));
    QVERIFY(near(cell.pixel(21, 18), Qt::darkGreen));
    QVERIFY(!near(cell.pixel(5, 11), Qt::darkGreen));
}

void ImageCellsTest::nothingIsDrawnWithoutAnImage()
{
    QStandardItemModel model(1, 1);
    auto* item = new QStandardItem(QStringLiteral("No icon here"));
    item->setData(3, ImageAndTextDelegate::kCountRole);
    model.setItem(0, 0, item);
    ImageAndTextDelegate delegate;
    const QImage canvas = painted(delegate, model.index(0, 0), QSize(200, 22), true);
    QImage white(canvas.size(), canvas.format());
    white.fill(Qt::white);
    QCOMPARE(canvas, white);
}

void ImageCellsTest::sizeHintMakesRoomForTheImage()
{
    QStandardItemModel model(2, 1);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("Text")));
    auto* withImage = new QStandardItem(QStringLiteral("Text"));
    withImage->setData(square(20, Qt::blue), Qt::DecorationRole);
    model.setItem(1, 0, withImage);
    ImageAndTextDelegate delegate;
    QStyledItemDelegate plain;
    QStyleOptionViewItem option;
    option.font = QApplication::font();
    const int base = plain.sizeHint(option, model.index(0, 0)).width();
    QCOMPARE(delegate.sizeHint(option, model.index(0, 0)).width(), base + 6);
    QCOMPARE(delegate.sizeHint(option, model.index(1, 0)).width(), base + 20 + 6);
}

void ImageCellsTest::imageCellBackgroundAndLeftInset()
{
    BKImageCellDelegate delegate;
    const QRect cell(0, 0, 40, 20);
    QCOMPARE(delegate.imageRect(cell, QSize(16, 16)), QRect(12, 2, 16, 16));
    delegate.setImageAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(delegate.imageRect(cell, QSize(16, 16)), QRect(6, 2, 16, 16));

    QStandardItemModel model(1, 1);
    auto* item = new QStandardItem;
    item->setData(square(16, Qt::red), Qt::DisplayRole);
    model.setItem(0, 0, item);
    const QColor background(200, 230, 250);
    delegate.setBackgroundColor(background);
    const QImage plain = painted(delegate, model.index(0, 0), cell.size());
    QVERIFY(near(plain.pixel(2, 2), background));
    QVERIFY(near(plain.pixel(6, 10), Qt::red));
    QVERIFY(!near(plain.pixel(5, 10), Qt::red));
    const QImage selected = painted(delegate, model.index(0, 0), cell.size(), true);
    QVERIFY(!near(selected.pixel(2, 2), background));
}

QTEST_MAIN(ImageCellsTest)
#include "ImageCellsTest.moc"
