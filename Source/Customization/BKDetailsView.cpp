#include "BKDetailsView.h"

#include "Model/OTVStatusMessages.h"

#include "BKDetailsViewDelegate.h"
#include "BKImageView.h"
#include "BKOwnClipboard.h"
#include "BKRecordWrites.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKNotificationCenter.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {

const QString kMaskedText = QStringLiteral("******");

// The type whose labels and mask the record shows: its own custom type, else its type.
const OTVType* displayType(const OTVRecord& record)
{
    if (const OTVType* custom = record.mRecordCustomType())
        return custom;
    return record.mType().get();
}

bool isMasked(const OTVType* type, int field)
{
    return type && (type->mTypeMask().value_or(0) & (1 << (field - 1))) != 0;
}

QFont titleFont()
{
    QFont font(QStringLiteral("Helvetica"), 16, QFont::Bold);
    font.setPixelSize(16);
    return font;
}

} // namespace

std::array<BKDetailRow, BKTextTable::kRowCount> BKDetailRowsForRecord(const OTVRecord& record,
                                                                      const QString& groupName, bool shouldMask)
{
    std::array<BKDetailRow, BKTextTable::kRowCount> rows;
    const OTVType* type = displayType(record);
    const auto masked = [&](int field) { return shouldMask && isMasked(type, field); };

    if (record.mGroup()) {
        rows[BKTextTable::kGroupRow] = {BKLocalizedString("Group") + QLatin1Char(':'), groupName, groupName};
    }

    // Fields 2 to 9 with a value, without gaps. Field 10 is the date row's.
    int row = 1;
    for (int field = 2; field <= 9; ++field) {
        const QString value = record.value(field);
        if (value.isEmpty())
            continue;
        const QString label = (type ? type->label(field) : OTVType::defaultLabel(field)).trimmed();
        // A masked row copies nothing: what the pane hides does not leave it by its buttons.
        rows[size_t(row)] = masked(field) ? BKDetailRow{label + QLatin1Char(':'), kMaskedText, QStringLiteral("")}
                                          : BKDetailRow{label + QLatin1Char(':'), value, value};
        ++row;
    }

    const QString modified = record.value(kNoOfFields);
    if (!modified.isNull()) {
        const QString date = OTVRecord::modificationDateDisplayText(modified);
        const bool hidden = masked(kNoOfFields) && !date.isEmpty();
        rows[BKTextTable::kDateRow] = {BKLocalizedString("Date Mod") + QLatin1Char(':'), hidden ? kMaskedText : date,
                                       hidden ? QStringLiteral("") : date};
    }

    if (record.mHasAttachment() || !record.mAttachmentName().isEmpty()) {
        rows[BKTextTable::kAttachmentRow] = {BKLocalizedString("Attachment") + QLatin1Char(':'),
                                             record.mAttachmentName(), QStringLiteral("")};
    }

    if (!record.mNotes().isEmpty()) {
        rows[BKTextTable::kNotesRow] = {QStringLiteral("%1:").arg(BKLocalizedString("Notes")), record.mNotes(),
                                        record.mNotes()};
    }
    return rows;
}

BKDetailsView::BKDetailsView(QWidget* parent, bool withCopyButton)
    : QWidget(parent), mDetailInfo_(std::make_shared<OTVRecord>())
{
    setMouseTracking(true);
    mInfoView_ = new BKTextTable;
    mInfoViewScroller_ = new QScrollArea(this);
    mInfoViewScroller_->setFrameShape(QFrame::NoFrame);
    mInfoViewScroller_->setWidgetResizable(false);
    mInfoViewScroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mInfoViewScroller_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mInfoViewScroller_->setWidget(mInfoView_);
    mInfoViewScroller_->setGeometry(QRect());
    connect(mInfoViewScroller_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &BKDetailsView::scrollViewScrolled);
    connect(mInfoView_, &BKTextTable::addExtractAttachmentMenu, this, [](BKImageView* button) {
        BKNotificationCenter::defaultCenter().postNotification(kAddExtractAttachmentMenuNotification,
                                                               QVariant::fromValue(static_cast<QObject*>(button)));
    });
    if (withCopyButton) {
        mCopyImageButton_ = new BKImageView(this);
        mCopyImageButton_->setImage(BKImageView::pasteImage());
        mCopyImageButton_->setGeometry(QRect());
        mCopyImageButton_->hide();
    }
    setBackgroundColor(Qt::white);
}

BKDetailsView::~BKDetailsView() = default;

OTVDataBase& BKDetailsView::dataBase() const
{
    return mDataBase_ ? *mDataBase_ : OTVDataBase::sharedOTVDataBase();
}

void BKDetailsView::setDataBase(OTVDataBase* dataBase)
{
    mDataBase_ = dataBase;
    relayout();
}

void BKDetailsView::setHeaderTitle(const QString& title)
{
    const QString text = title.isNull() ? QStringLiteral("") : title;
    if (text == mHeaderTitle_)
        return;
    mHeaderTitle_ = text;
    layoutHeader();
    update();
}

void BKDetailsView::setHeaderImage(const QImage& image)
{
    mHeaderImage_ = image;
    update();
}

void BKDetailsView::setDetailInfo(std::shared_ptr<OTVRecord> record)
{
    mDetailInfo_ = std::move(record);
    relayout();
}

void BKDetailsView::setBackgroundColor(const QColor& color)
{
    mBackgroundColor_ = color.isValid() ? color : QColor(Qt::white);
    QPalette palette = mInfoViewScroller_->palette();
    palette.setColor(QPalette::Window, tintColor(mBackgroundColor_));
    mInfoViewScroller_->setPalette(palette);
    mInfoViewScroller_->viewport()->setPalette(palette);
    mInfoViewScroller_->viewport()->setAutoFillBackground(true);
    update();
}

void BKDetailsView::setShouldMask(bool shouldMask)
{
    mShouldMask_ = shouldMask;
    relayout();
}

void BKDetailsView::resetDetailInfo()
{
    mHeaderTitle_ = QStringLiteral("");
    mDetailInfo_.reset();
    mHeaderImage_ = QImage();
    relayout();
}

void BKDetailsView::redrawView()
{
    update();
}

void BKDetailsView::scrollViewScrolled()
{
    mInfoView_->update();
}

void BKDetailsView::setCopyAllowed(bool allowed)
{
    mInfoView_->setCopyAllowed(allowed);
    if (mCopyImageButton_) {
        mCopyImageButton_->setCopiesTitle(allowed);
        mCopyImageButton_->setEnabled(allowed);
    }
}

void BKDetailsView::copyField(BKImageView* sender)
{
    if (!sender)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (sender->title().isEmpty())
        clipboard->clear();
    else
        BKCopyToClipboard(sender->title());
}

void BKDetailsView::setAttachmentMenuOrigin(const QPoint& origin)
{
    mAttachmentPopupFrame_.moveTopLeft(mInfoView_->mapTo(this, origin));
    mInfoView_->update();
    update();
}

void BKDetailsView::setAttachmentMenu(QMenu* menu)
{
    mAttachmentMenu_ = menu;
    if (menu)
        menu->popup(mapToGlobal(mAttachmentPopupFrame_.topLeft()));
    mInfoView_->update();
}

QPainterPath BKDetailsView::roundedRectPathForFrame(const QRectF& frame, qreal cornerRadius)
{
    QPainterPath path;
    if (frame.height() <= 0)
        return path;
    path.addRoundedRect(frame, cornerRadius, cornerRadius);
    return path;
}

QColor BKDetailsView::tintColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return QColor::fromRgbF(rgb.redF() * 0.25f + 0.75f, rgb.greenF() * 0.25f + 0.75f, rgb.blueF() * 0.25f + 0.75f);
}

QRect BKDetailsView::iconRect() const
{
    return QRect(mHeaderRect_.x() + 10, mHeaderRect_.y() + mHeaderRect_.height() / 2 - 12, 24, 24);
}

QString BKDetailsView::drawnTitle() const
{
    if (!mDetailInfo_ || mDetailInfo_->value(1).isEmpty() || mHeaderTitle_.isEmpty())
        return QStringLiteral("");
    if (mShouldMask_ && isMasked(displayType(*mDetailInfo_), 1))
        return kMaskedText;
    return mHeaderTitle_;
}

bool BKDetailsView::titleIsLink() const
{
    const QString title = drawnTitle();
    return title != kMaskedText && BKTextTable::isHyperLink(title);
}

void BKDetailsView::layoutHeader()
{
    const QRect inner = rect().adjusted(kInset, kInset, -kInset, -kInset);
    mHeaderRect_ = QRect(inner.x(), inner.y(), inner.width(), kHeaderHeight);
    mRemainderRect_ = QRect(inner.x(), inner.y() + kHeaderHeight, inner.width(),
                            std::max(0, inner.height() - kHeaderHeight));
    const int verticalInset = int(mHeaderRect_.height() * 0.25 + 5);
    QRect title = mHeaderRect_.adjusted(34, verticalInset, -34, -verticalInset);
    title.setLeft(title.left() + 10);
    mTitleRect_ = title;
    if (mCopyImageButton_) {
        mCopyImageButton_->setTitle(mHeaderTitle_);
        if (!mHeaderTitle_.isEmpty() && !mPrinting_) {
            mCopyImageButton_->setGeometry(mTitleRect_.width() + 56, mTitleRect_.y(), 16, mTitleRect_.height());
            mCopyImageButton_->show();
        } else {
            mCopyImageButton_->setGeometry(QRect());
            mCopyImageButton_->hide();
        }
    }
}

void BKDetailsView::relayout()
{
    layoutHeader();
    const QRect inner = mRemainderRect_.adjusted(kInset, kInset, -kInset, -kInset);
    const QSize tableSize(std::max(0, inner.width() - 20), mInfoView_->height());
    if (mInfoView_->size() != tableSize)
        mInfoView_->resize(tableSize);
    if (!mPrinting_ && mInfoViewScroller_->geometry() != inner)
        mInfoViewScroller_->setGeometry(inner);
    drawDetailInfo();
    update();
}

void BKDetailsView::drawDetailInfo()
{
    QFont font;
    if (const std::shared_ptr<OTVUser> user = dataBase().getCurrentUser())
        font = user->mTextFont();
    mInfoView_->setAttributes(font);
    mInfoView_->setNoteAttributes(font);
    if (mDetailInfo_) {
        QString groupName;
        if (const std::shared_ptr<BKGroup>& group = mDetailInfo_->mGroup()) {
            const std::shared_ptr<BKGroup> stored = dataBase().mGroups().value(group->mGroupUID());
            groupName = stored ? stored->mGroupName() : group->mGroupName();
        }
        const auto rows = BKDetailRowsForRecord(*mDetailInfo_, groupName, mShouldMask_);
        for (int row = 0; row < BKTextTable::kRowCount; ++row) {
            const BKDetailRow& detail = rows[size_t(row)];
            if (detail.label.isEmpty() && detail.value.isEmpty())
                continue;
            mInfoView_->setKey(detail.label, row);
            mInfoView_->setValue(detail.value, row);
            mInfoView_->setPasteboardString(detail.copyText, row);
        }
    }
    fitTable();
}

void BKDetailsView::fitTable()
{
    // Rows are measured at the width they are drawn at: once all labels are known, and again
    // when the scroller's room goes to them.
    mInfoView_->remeasureRows();
    const int scrollHeight = mInfoViewScroller_->height();
    const int baseWidth = mInfoView_->width();
    bool fits = scrollHeight > mInfoView_->totalHeight();
    if (fits && !mPrinting_) {
        mInfoView_->resize(baseWidth + 20, mInfoView_->height());
        mInfoView_->remeasureRows();
        fits = scrollHeight > mInfoView_->totalHeight();
        if (!fits) {
            mInfoView_->resize(baseWidth, mInfoView_->height());
            mInfoView_->remeasureRows();
        }
    }
    const int needed = mInfoView_->totalHeight();
    QSize size(mInfoView_->width(), needed);
    if (fits && !mPrinting_)
        size = QSize(mInfoView_->width(), scrollHeight - 5);
    if (mInfoView_->size() != size) {
        mInfoView_->resize(size);
        mInfoViewScroller_->verticalScrollBar()->setValue(0);
    }
    mInfoView_->setScrollerVisible(!fits);
    mInfoView_->layoutRows();
    mInfoView_->update();
}

void BKDetailsView::setFrames()
{
    mPrinting_ = true;
    mInfoView_->setIsPrintingView();
    layoutHeader();
    const QRect inner = mRemainderRect_.adjusted(kInset, kInset, -kInset, -kInset);
    mInfoView_->resize(std::max(0, inner.width() - 20), std::max(0, inner.height() - 20));
    drawDetailInfo();
    mInfoViewScroller_->setGeometry(inner.x(), inner.y(), inner.width(), mInfoView_->height());
    mAttachmentPopupFrame_ = QRect();
    resize(width(), 40 + kHeaderHeight + mInfoViewScroller_->height());
    layoutHeader();
}

void BKDetailsView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPane(painter, !mPrinting_);
}

void BKDetailsView::paintForPrint(QPainter& painter)
{
    paintPane(painter, false);
    painter.save();
    painter.translate(mInfoViewScroller_->geometry().topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), mInfoViewScroller_->size()));
    mInfoView_->drawForRecordPrint(painter);
    painter.restore();
}

void BKDetailsView::paintPane(QPainter& painter, bool onScreen)
{
    painter.setRenderHint(QPainter::Antialiasing);
    if (onScreen) {
        if (mInfoView_->size().isEmpty())
            QTimer::singleShot(0, this, &BKDetailsView::redrawView);
        painter.fillRect(rect(), tintColor(mBackgroundColor_));
    }
    const QColor stroke = QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.95f);
    const QColor fill = QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.15f);
    const QPainterPath header = roundedRectPathForFrame(mHeaderRect_, kCornerRadius);
    painter.setPen(QPen(stroke, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(header);
    painter.fillPath(header, fill);

    const QString title = drawnTitle();
    if (!title.isEmpty()) {
        QFont font = titleFont();
        const bool link = titleIsLink();
        font.setUnderline(link);
        painter.setFont(font);
        painter.setPen(link ? QColor(Qt::blue) : QColor(Qt::black));
        const QString shown = QFontMetrics(font).elidedText(title, Qt::ElideRight, mTitleRect_.width());
        painter.drawText(mTitleRect_, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    if (!mHeaderImage_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(iconRect(), mHeaderImage_);
    }

    painter.setPen(QPen(stroke, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRectPathForFrame(mRemainderRect_, kCornerRadius));
    painter.setPen(Qt::gray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void BKDetailsView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!mPrinting_)
        relayout();
}

void BKDetailsView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && mTitleRect_.contains(event->position().toPoint()) && titleIsLink())
        BKTextTable::openLinkText(mHeaderTitle_);
    event->accept();
}

void BKDetailsView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        editSelectedRecord();
    event->accept();
}

void BKDetailsView::mouseMoveEvent(QMouseEvent* event)
{
    const bool overLink = titleIsLink() && mTitleRect_.contains(event->position().toPoint());
    setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void BKDetailsView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!mDelegate_ || !mDetailInfo_) {
        event->ignore();
        return;
    }
    if (QMenu* menu = mDelegate_->extendMenu(event, this))
        menu->popup(event->globalPos());
    event->accept();
}

void BKDetailsView::editSelectedRecord()
{
    if (!mDelegate_)
        return;
    const std::shared_ptr<OTVRecord> selected = mDelegate_->itemPropertiesForTableViewSelectedRow();
    if (!selected || !mDelegate_->checkForRecordPermissionForSelectedGroup(2))
        return;
    int operation = 1;
    // Stored while the window is open: a refused write leaves it open with what was typed.
    const BKDetailsAnswerWriter write = [this, selected](const std::shared_ptr<OTVRecord>& edited, int op) {
        if (!mDelegate_->checkForRecordPermissionForRecord(op == 2 ? 1 : 2, *edited))
            return int(kOTVStatusOK);
        if (op != 2)
            return dataBase().replaceRecord(edited);
        const BKAddAsNewResult added = BKAddRecordAsNew(dataBase(), *selected, edited);
        if (added.copiesRow && added.addStatus == kOTVStatusOK)
            edited->setMAttachmentState(kAttachmentCopyRow);
        return added.addStatus;
    };
    const std::shared_ptr<OTVRecord> edited = BKRunDetailsWindowWriting(
        dataBase(),
        [&](const BKDetailsAnswerWriter& writer) {
            return mDelegate_->orderFrontDetailsWindowWithInfo(selected, &operation, writer);
        },
        write, &operation);
    if (operation == 3)
        mDelegate_->deleteRecordFromWindow(selected);
    else if (!edited)
        return;
    update();
    mDelegate_->updateTables();
}
