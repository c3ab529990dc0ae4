#pragma once

#include "BKTextTable.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class BKDetailsViewDelegate;
class BKImageView;
class OTVDataBase;
class OTVRecord;
class QMenu;
class QScrollArea;

// What one row of the details table shows.
struct BKDetailRow {
    QString label;
    QString value;
    QString copyText;   // what the row's copy button puts on the clipboard
};

// The rows of the details table for `record` (group name already looked up). Fields 2 to 9
// with a value fill rows 1 upward without gaps; row 9 is the date modified, row 10 the
// attachment, row 11 the notes. A masked field shows "******" and has nothing to copy.
std::array<BKDetailRow, BKTextTable::kRowCount> BKDetailRowsForRecord(const OTVRecord& record,
                                                                      const QString& groupName, bool shouldMask);

// The record details pane: a header with the record's icon, its field 1 as title (a link for
// web addresses) and a copy button, and below it the scrolling table of rows. A double click
// edits the selected record; a right click asks the delegate for the record menu. Made
// off-screen, it also renders a record for printing (setFrames, paintForPrint).
class BKDetailsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 60;
    static constexpr int kInset = 10;
    static constexpr qreal kCornerRadius = 10;

    // `withCopyButton` false for print panes, which have no header copy button.
    explicit BKDetailsView(QWidget* parent = nullptr, bool withCopyButton = true);
    ~BKDetailsView() override;

    void setHeaderTitle(const QString& title);
    QString headerTitle() const { return mHeaderTitle_; }
    void setHeaderImage(const QImage& image);
    QImage headerImage() const { return mHeaderImage_; }
    void setDetailInfo(std::shared_ptr<OTVRecord> record);
    const std::shared_ptr<OTVRecord>& detailInfo() const { return mDetailInfo_; }
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return mBackgroundColor_; }
    void setShouldMask(bool shouldMask);
    bool shouldMask() const { return mShouldMask_; }
    void setDelegate(BKDetailsViewDelegate* delegate) { mDelegate_ = delegate; }
    BKDetailsViewDelegate* delegate() const { return mDelegate_; }
    // The store whose groups, user font and record writes the pane uses (the shared one by
    // default).
    void setDataBase(OTVDataBase* dataBase);

    // Empty header and no rows.
    void resetDetailInfo();
    void redrawView();
    void scrollViewScrolled();
    // Whether the copy buttons copy (the user's Copy right); refused, they show disabled.
    void setCopyAllowed(bool allowed);
    // Puts the button's title on the clipboard (an empty title copies nothing).
    static void copyField(BKImageView* sender);
    // Where the attachment menu opens, in the table's coordinates; then the menu itself,
    // which opens at once (not owned).
    void setAttachmentMenuOrigin(const QPoint& origin);
    void setAttachmentMenu(QMenu* menu);
    QRect attachmentPopupFrame() const { return mAttachmentPopupFrame_; }

    static QPainterPath roundedRectPathForFrame(const QRectF& frame, qreal cornerRadius);
    // The pane's background: the colour blended 75 % towards white.
    static QColor tintColor(const QColor& color);

    BKTextTable* infoView() const { return mInfoView_; }
    QScrollArea* infoViewScroller() const { return mInfoViewScroller_; }
    BKImageView* copyImageButton() const { return mCopyImageButton_; }
    QRect titleRect() const { return mTitleRect_; }
    QRect headerRect() const { return mHeaderRect_; }
    QRect iconRect() const;
    // The title as drawn ("" when none, "******" when masked) and whether it is a link.
    QString drawnTitle() const;
    bool titleIsLink() const;

    // Lays out header, rows and scroll view for the current size and record.
    void relayout();
    // Print layout: sizes the table for all rows and the pane to hold them.
    void setFrames();
    // Draws the pane as printed: header and rows, no buttons.
    void paintForPrint(QPainter& painter);
    // The double-click edit of the selected record.
    void editSelectedRecord();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    OTVDataBase& dataBase() const;
    void layoutHeader();
    void drawDetailInfo();
    void fitTable();
    void paintPane(QPainter& painter, bool onScreen);

    QColor mBackgroundColor_ = Qt::white;
    QImage mHeaderImage_;
    QString mHeaderTitle_ = QStringLiteral("");
    std::shared_ptr<OTVRecord> mDetailInfo_;
    BKTextTable* mInfoView_ = nullptr;
    QScrollArea* mInfoViewScroller_ = nullptr;
    bool mShouldMask_ = false;
    QRect mTitleRect_;
    QRect mHeaderRect_;
    QRect mRemainderRect_;
    BKDetailsViewDelegate* mDelegate_ = nullptr;
    BKImageView* mCopyImageButton_ = nullptr;
    QRect mAttachmentPopupFrame_{50, 10, 1, 1};
    QPointer<QMenu> mAttachmentMenu_;
    OTVDataBase* mDataBase_ = nullptr;
    bool mPrinting_ = false;
};
