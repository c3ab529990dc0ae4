#include "BKImageMatrix.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKNotificationCenter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollArea>

#include <algorithm>

BKImageMatrix::BKImageMatrix(OTVDataBase* dataBase, QWidget* parent) : QWidget(parent), mDataBase_(dataBase)
{
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);

    // The store posts from whichever thread imported the icon; widgets change only on the
    // main thread.
    BKNotificationCenter::defaultCenter().addObserver(
        kExternalIconCreatedNotification, this, [this](const BKNotification& notification) {
            const int number = notification.object.toInt();
            QMetaObject::invokeMethod(this, [this, number] { externalIconCreated(number); }, Qt::AutoConnection);
        });
    renewIconMatrix();
}

BKImageMatrix::~BKImageMatrix()
{
    BKNotificationCenter::defaultCenter().removeObserversOf(this);
}

OTVDataBase& BKImageMatrix::dataBase() const
{
    return mDataBase_ ? *mDataBase_ : OTVDataBase::sharedOTVDataBase();
}

QImage BKImageMatrix::placeholderImage()
{
    static const QImage image = [] {
        QImage drawing(24, 24, QImage::Format_ARGB32_Premultiplied);
        drawing.fill(Qt::transparent);
        QPainter painter(&drawing);
        painter.setPen(QPen(Qt::lightGray, 1, Qt::DashLine));
        painter.drawRect(QRectF(1.5, 1.5, 21, 21));
        return drawing;
    }();
    return image;
}

QImage BKImageMatrix::imageFor(int number) const
{
    const QImage image = dataBase().getImageFromIconIndex(number);
    return image.isNull() ? placeholderImage() : image;
}

void BKImageMatrix::renewIconMatrix()
{
    mImages_.clear();
    for (int number = 1; number <= kMaxIcons; ++number)
        mImages_.append({number, imageFor(number)});
    // The custom icons in number order, so that the grid is the same every time.
    static const QRegularExpression key(QStringLiteral("^Icon(\\d+)$"));
    QList<int> custom;
    const QMap<QString, QImage> icons = dataBase().mCustomIcons();
    for (auto it = icons.cbegin(); it != icons.cend(); ++it) {
        const QRegularExpressionMatch match = key.match(it.key());
        if (match.hasMatch() && !it.value().isNull())
            custom.append(match.captured(1).toInt());
    }
    std::sort(custom.begin(), custom.end());
    for (int number : custom)
        mImages_.append({number, imageFor(number)});
    displayMatrix();
    selectPosition(0);
}

int BKImageMatrix::rowCount() const
{
    return int((mImages_.size() + kColumns - 1) / kColumns);
}

void BKImageMatrix::displayMatrix()
{
    setFixedSize(kColumns * kCellSide, rowCount() * kCellSide);
    update();
}

QSize BKImageMatrix::sizeHint() const
{
    return QSize(kColumns * kCellSide, rowCount() * kCellSide);
}

QImage BKImageMatrix::selectedIcon() const
{
    return mSelected_ >= 0 && mSelected_ < mImages_.size() ? mImages_[mSelected_].image : QImage();
}

int BKImageMatrix::selectedIconNumber() const
{
    return mSelected_ >= 0 && mSelected_ < mImages_.size() ? mImages_[mSelected_].number : 0;
}

void BKImageMatrix::selectPosition(int position)
{
    mSelected_ = position >= 0 && position < mImages_.size() ? position : -1;
    update();
}

void BKImageMatrix::setSelectedImage(int number)
{
    if (number <= 0) {
        selectPosition(-1);
        return;
    }
    int position = int(mImages_.size());
    if (number <= kMaxIcons) {
        position = number - 1;
    } else if (number > kStandardIcons) {
        for (int place = kMaxIcons; place < mImages_.size(); ++place) {
            if (mImages_[place].number == number) {
                position = place;
                break;
            }
        }
    }
    // Built-in numbers beyond the chooser's range are in no cell: nothing is selected.
    selectPosition(position);
    scrollRowIntoView(position / kColumns);
}

void BKImageMatrix::externalIconCreated(int number)
{
    const QImage image = dataBase().getImageFromIconIndex(number);
    if (!image.isNull())
        mImages_.append({number, image});
    displayMatrix();
    setSelectedImage(number);
    scrollRowIntoView(rowCount() - 1);
}

void BKImageMatrix::scrollRowIntoView(int row)
{
    for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(ancestor)) {
            area->ensureVisible(0, row * kCellSide + kCellSide / 2, 0, kCellSide / 2);
            return;
        }
    }
}

void BKImageMatrix::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int place = 0; place < mImages_.size(); ++place) {
        const QRect cell((place % kColumns) * kCellSide, (place / kColumns) * kCellSide, kCellSide, kCellSide);
        if (place == mSelected_) {
            // The gray bezel of the selected cell.
            painter.setPen(QPen(QColor(110, 110, 110), 1));
            painter.setBrush(QColor(225, 225, 225));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.setPen(QPen(Qt::white, 1));
            painter.drawLine(cell.bottomLeft() + QPoint(1, -1), cell.bottomRight() + QPoint(-1, -1));
            painter.drawLine(cell.topRight() + QPoint(-1, 1), cell.bottomRight() + QPoint(-1, -1));
        }
        const QImage& image = mImages_[place].image;
        QSize size = image.size();
        if (size.width() > kCellSide - 4 || size.height() > kCellSide - 4)
            size.scale(kCellSide - 4, kCellSide - 4, Qt::KeepAspectRatio);
        const QRect target(cell.center().x() - size.width() / 2 + 1, cell.center().y() - size.height() / 2 + 1,
                           size.width(), size.height());
        painter.drawImage(target, image);
    }
}

void BKImageMatrix::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (point.x() < 0 || point.y() < 0 || point.x() >= kColumns * kCellSide)
        return;
    const int place = (point.y() / kCellSide) * kColumns + point.x() / kCellSide;
    if (place < mImages_.size())
        selectPosition(place);
}
