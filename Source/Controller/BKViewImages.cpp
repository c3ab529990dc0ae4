#include "BKViewImages.h"

#include "Customization/BKDrawnImage.h"
#include "Customization/BKImageView.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVType.h"

#include <QHash>
#include <QPair>
#include <QPainter>


namespace {

constexpr int kSmallSide = 16;
constexpr int kFolderSide = 24;

// A folder: the smart lists.
QImage drawFolder()
{
    return BKDrawnImage(kFolderSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(70, 110, 170), 1));
        p.setBrush(QColor(120, 165, 225));
        p.drawRoundedRect(QRectF(2.5, 4.5, 9, 4), 1, 1);
        p.setBrush(QColor(150, 190, 240));
        p.drawRoundedRect(QRectF(2.5, 6.5, 19, 14), 2, 2);
    });
}

// A sheet with lines: the record has notes.
QImage drawNotes()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(110, 110, 110), 1));
        p.setBrush(QColor(255, 250, 210));
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        for (int y = 5; y <= 12; y += 2)
            p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
    });
}

// A padlock: the header of the icon column.
QImage drawPadlock()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
        p.setPen(QPen(QColor(110, 90, 30), 1));
        p.setBrush(QColor(220, 180, 60));
        p.drawRoundedRect(QRectF(3.5, 6.5, 9, 8), 1.5, 1.5);
    });
}

// A head and shoulders: a user account.
QImage drawUser()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(60, 90, 130), 1));
        p.setBrush(QColor(130, 170, 220));
        p.drawEllipse(QRectF(5, 1.5, 6, 6));
        p.drawRoundedRect(QRectF(2.5, 8.5, 11, 6), 3, 3);
    });
}

// A key over a star: the password rules.
QImage drawPasswordPolicy()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 20), 1.5));
        p.setBrush(QColor(235, 195, 70));
        p.drawEllipse(QRectF(1.5, 1.5, 6, 6));
        p.drawLine(QPointF(6.5, 6.5), QPointF(14, 14));
        p.drawLine(QPointF(11, 11), QPointF(13, 9));
    });
}

// The user's head with an arrow towards it (import) or away from it (export).
QImage drawUserArrow(bool inward)
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(60, 90, 130), 1));
        p.setBrush(QColor(130, 170, 220));
        p.drawEllipse(QRectF(7.5, 1.5, 5, 5));
        p.drawRoundedRect(QRectF(5.5, 7.5, 9, 6), 3, 3);
        p.setPen(QPen(inward ? QColor(40, 140, 60) : QColor(190, 90, 30), 1.5));
        const qreal tip = inward ? 5 : 0.5;
        const qreal tail = inward ? 0.5 : 5;
        p.drawLine(QPointF(tail, 11), QPointF(tip, 11));
        const qreal back = inward ? tip - 2 : tip + 2;
        p.drawLine(QPointF(tip, 11), QPointF(back, 9));
        p.drawLine(QPointF(tip, 11), QPointF(back, 13));
    });
}

// Scissors.
QImage drawCut()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 100), 1.4));
        p.drawLine(QPointF(4, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(12, 1.5), QPointF(5.5, 10));
        p.setPen(QPen(QColor(170, 40, 40), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(10, 10, 4.5, 4.5));
    });
}

// Two sheets, one over the other.
QImage drawCopy()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(100, 100, 110), 1));
        p.setBrush(QColor(235, 235, 240));
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
    });
}

// A round green badge with a plus.
QImage drawAdd()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(40, 120, 40), 1));
        p.setBrush(QColor(90, 180, 90));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
        p.drawLine(QPointF(8, 4.5), QPointF(8, 11.5));
    });
}

// The paper clip of the attachments with a small badge: adding one, or taking it away.
// `base` with a round badge at the bottom right: a plus, or a minus.
QImage drawBadged(const QImage& base, bool plus)
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.drawImage(QRectF(0, 0, 13, 13), base);
        p.setPen(QPen(plus ? QColor(40, 120, 40) : QColor(160, 40, 40), 1));
        p.setBrush(plus ? QColor(90, 180, 90) : QColor(220, 90, 90));
        p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
        p.setPen(QPen(Qt::white, 1.4));
        p.drawLine(QPointF(10, 12), QPointF(14, 12));
        if (plus)
            p.drawLine(QPointF(12, 10), QPointF(12, 14));
    });
}

QImage drawAttachmentBadge(bool plus)
{
    return drawBadged(BKImageView::attachmentImage(), plus);
}

// A card with lines: a record type.
QImage drawTypeCard()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(60, 90, 140), 1));
        p.setBrush(QColor(160, 190, 235));
        p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 2, 2);
        p.setPen(QPen(QColor(60, 90, 140), 1.2));
        p.drawLine(QPointF(3, 6.5), QPointF(13, 6.5));
        p.drawLine(QPointF(3, 9.5), QPointF(9, 9.5));
    });
}

// A pencil.
QImage drawEdit()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 30), 1));
        p.setBrush(QColor(240, 200, 80));
        const QPointF body[] = {{11, 1.5}, {14.5, 5}, {5.5, 14}, {2, 10.5}};
        p.drawPolygon(body, 4);
        p.setBrush(QColor(60, 60, 60));
        const QPointF tip[] = {{2, 10.5}, {5.5, 14}, {1.5, 14.5}};
        p.drawPolygon(tip, 3);
    });
}

// A red cross: deleting.
QImage drawDelete()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(190, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    });
}

// Three sliders: the field labels.
QImage drawPreferences()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(110, 110, 120), 1.2));
        for (qreal y : {3.5, 8.0, 12.5})
            p.drawLine(QPointF(2, y), QPointF(14, y));
        p.setPen(QPen(QColor(60, 90, 130), 1));
        p.setBrush(QColor(130, 170, 220));
        const qreal knobs[][2] = {{9, 3.5}, {4.5, 8}, {11, 12.5}};
        for (const auto& knob : knobs)
            p.drawEllipse(QPointF(knob[0], knob[1]), 2, 2);
    });
}

// A globe: the web login.
QImage drawGlobe()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(40, 90, 150), 1));
        p.setBrush(QColor(120, 175, 230));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    });
}

// A printer with a sheet.
QImage drawPrinter()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 100), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(170, 170, 180));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    });
}

// A sheet with an arrow leaving it: a vRX file.
QImage drawVRX()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(100, 100, 110), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 9, 13));
        p.setPen(QPen(QColor(40, 120, 170), 1.6));
        p.drawLine(QPointF(6, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(14.5, 8), QPointF(11.5, 5));
        p.drawLine(QPointF(14.5, 8), QPointF(11.5, 11));
    });
}

// A frame with its right part shaded: the details pane beside the views.
QImage drawDetailsPane()
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 100), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(9, 3, 5, 10), QColor(130, 170, 220));
        p.drawLine(QPointF(8.5, 2.5), QPointF(8.5, 13.5));
    });
}

// A type whose icon number has no image: a tile in a colour of its number.
QImage drawTypeStandIn(int iconID)
{
    return BKDrawnImage(kSmallSide, [&](QPainter& p) {
        const QColor colour = QColor::fromHsv((iconID * 47) % 360, 110, 210);
        p.setPen(QPen(colour.darker(140), 1));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    });
}

} // namespace

namespace BKViewImages {

QImage namedImage(const QString& name)
{
    static const QHash<QString, QImage> images = {
        {kSmartListImageName, drawFolder()},
        {kNotesImageName, drawNotes()},
        // The same paper clip as the details pane's attachment button.
        {kAttachmentImageName, BKImageView::attachmentImage().scaled(kSmallSide, kSmallSide, Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation)},
        {kEncryptImageName, drawPadlock()},
        {kUserImageName, drawUser()},
        {kPasswordPolicyImageName, drawPasswordPolicy()},
        {kImportUsersImageName, drawUserArrow(true)},
        {kExportUsersImageName, drawUserArrow(false)},
        {kCutImageName, drawCut()},
        {kCopyImageName, drawCopy()},
        {kAddImageName, drawAdd()},
        {kEditImageName, drawEdit()},
        {kDeleteImageName, drawDelete()},
        {kPreferencesImageName, drawPreferences()},
        {kGlobeImageName, drawGlobe()},
        {kPrintImageName, drawPrinter()},
        {kVRXImageName, drawVRX()},
        {kAddAttachmentImageName, drawAttachmentBadge(true)},
        {kDeleteAttachmentImageName, drawAttachmentBadge(false)},
        {kAddTypeImageName, drawBadged(drawTypeCard(), true)},
        {kDetailsPaneImageName, drawDetailsPane()},
    };
    return images.value(name);
}

QImage typeIcon(const OTVDataBase& store, const OTVType* type)
{
    const int iconID = type ? type->mTypeIconID().value_or(kDefaultIconID) : kDefaultIconID;
    // A custom icon is read under the store's lock; once found it never changes (a new picture
    // gets a new number), so painting keeps its own copy rather than wait for a worker.
    static QHash<QPair<const OTVDataBase*, int>, QImage> customIcons;
    const QPair<const OTVDataBase*, int> key(&store, iconID);
    if (iconID > OTVDataBase::kCustomIcons) {
        if (const auto cached = customIcons.constFind(key); cached != customIcons.cend())
            return *cached;
    }
    const QImage image = store.getImageFromIconIndex(iconID);
    if (!image.isNull()) {
        if (iconID > OTVDataBase::kCustomIcons)
            customIcons.insert(key, image);
        return image;
    }
    static QHash<int, QImage> standIns;
    auto found = standIns.find(iconID);
    if (found == standIns.end())
        found = standIns.insert(iconID, drawTypeStandIn(iconID));
    return *found;
}

} // namespace BKViewImages
