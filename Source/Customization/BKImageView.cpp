#include "BKImageView.h"

#include "BKDetailsView.h"
#include "BKDrawnImage.h"
#include "BKTextTable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>


BKImageView::BKImageView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
}

void BKImageView::setTitle(const QString& title)
{
    mTitle_ = title.isNull() ? QStringLiteral("") : title;
}

void BKImageView::setImage(const QImage& image)
{
    mImage_ = image;
    update();
}


QImage BKImageView::pasteImage()
{
    // A clipboard: a board with a clip and lines of text.
    static const QImage image = BKDrawnImage(32, [](QPainter& p) {
        p.setPen(QPen(QColor(90, 70, 40), 2));
        p.setBrush(QColor(196, 150, 90));
        p.drawRoundedRect(QRectF(5, 4, 22, 26), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8.5, 9, 15, 18));
        p.setPen(QPen(QColor(110, 110, 110), 1.6));
        for (qreal y : {14.0, 18.0, 22.0})
            p.drawLine(QPointF(11, y), QPointF(21, y));
        p.setPen(QPen(QColor(70, 70, 70), 1.5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(11, 2, 10, 5), 1.5, 1.5);
    });
    return image;
}

QImage BKImageView::attachmentImage()
{
    // A paper clip.
    static const QImage image = BKDrawnImage(32, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 70, 90), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath clip;
        clip.moveTo(20, 10);
        clip.lineTo(20, 24);
        clip.arcTo(QRectF(12, 20, 8, 8), 0, -180);
        clip.lineTo(12, 7);
        clip.arcTo(QRectF(12, 2, 12, 10), 180, -180);
        clip.lineTo(24, 25);
        clip.arcTo(QRectF(8, 17, 16, 13), 0, -180);
        clip.lineTo(8, 12);
        p.drawPath(clip);
    });
    return image;
}

void BKImageView::paintEvent(QPaintEvent*)
{
    if (mImage_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled())
        painter.setOpacity(0.35);
    QRectF target = rect();
    if (!mScaleToFit_) {
        QSizeF size = mImage_.size();
        size.scale(target.size(), Qt::KeepAspectRatio);
        // Proportional: never larger than the image itself.
        if (size.width() > mImage_.width())
            size = mImage_.size();
        target = QRectF(QPointF(target.center().x() - size.width() / 2, target.center().y() - size.height() / 2),
                        size);
    }
    painter.drawImage(target, mImage_);
    if (hasFocus()) {
        painter.setOpacity(1);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    }
}

void BKImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mScaleToFit_ = true;
    redrawAncestor();
}

void BKImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mScaleToFit_ = false;
    if (rect().contains(event->position().toPoint()))
        activate();
    redrawAncestor();
}

void BKImageView::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        activate();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BKImageView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    // A button of a scrolled table comes into sight.
    for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto* scroller = qobject_cast<QScrollArea*>(ancestor)) {
            scroller->ensureWidgetVisible(this);
            break;
        }
    }
    redrawAncestor();
}

void BKImageView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    redrawAncestor();
}

void BKImageView::activate()
{
    if (mCopiesTitle_)
        BKDetailsView::copyField(this);
    if (auto* table = qobject_cast<BKTextTable*>(parentWidget()))
        table->extractAttachment(this);
    emit clicked(this);
}

void BKImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click does nothing: it is not an edit of the record.
    event->accept();
}

void BKImageView::redrawAncestor()
{
    update();
    // The button is drawn over its owner's rows: redraw the view that holds them.
    if (QWidget* owner = parentWidget())
        owner->update();
}
