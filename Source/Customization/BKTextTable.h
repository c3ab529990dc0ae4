#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>

class BKImageView;
class QPainter;

// A link drawn in the table: where it is and the text it opens.
struct BKTrackingRect {
    int trackingID = 0;
    QString url;
    QRect rect;
};

// The rows of the record details pane: 12 rows with fixed meanings (0 group, 1.. the fields
// that have a value, 9 date modified, 10 attachment, 11 notes), each with a label, a value, a
// copy text and a copy button. Values wrap at word boundaries, inside a word only when it does
// not fit a line; rows are never lower than 20. The label column is as wide as the longest
// label (at least 30 % of the width) while the values keep room for some ten characters.
// Layout (row heights, button frames, link rectangles) is computed outside painting.
class BKTextTable : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowCount = 12;
    static constexpr int kGroupRow = 0;
    static constexpr int kDateRow = 9;
    static constexpr int kAttachmentRow = 10;
    static constexpr int kNotesRow = 11;
    static constexpr int kMinimumRowHeight = 20;

    explicit BKTextTable(QWidget* parent = nullptr);

    // The label font; resets every row's label, value, height and copy text.
    void setAttributes(const QFont& labelFont);
    QFont attributes() const { return mAttributes_; }
    // The font of values and notes.
    void setNoteAttributes(const QFont& valueFont);
    QFont noteAttributes() const { return mNoteAttributes_; }

    // Row texts; a null text is stored as "Null".
    void setKey(const QString& key, int row);
    void setPasteboardString(const QString& text, int row);
    // Stores the value (null as "") and grows the row's height to fit it.
    void setValue(const QString& value, int row);
    // Measures every row again at the current width and labels (heights may shrink): the
    // owner calls it once the table has its final width.
    void remeasureRows();
    // The width of the label column at the current width and labels.
    int labelColumnWidth() const;
    QString key(int row) const;
    QString value(int row) const;
    QString pasteboardString(int row) const;
    int rowHeight(int row) const;

    // The height all rows need, with the blank lines before the attachment and the notes.
    int totalHeight() const;
    // Turns the table into a print rendering (for good): no buttons, no link tracking.
    void setIsPrintingView();
    bool isPrintingView() const { return mIsPrintingView_; }
    void setScrollerVisible(bool visible) { mScrollerVisible_ = visible; }
    bool scrollerVisible() const { return mScrollerVisible_; }

    // Texts that begin with "www.", "http://" or "https://".
    static bool isHyperLink(const QString& text);
    // The address a link text opens: "http://" + text for "www." texts.
    static QUrl urlForLinkText(const QString& text);
    // Opens a link text; tests replace the opener (the default opens it on the desktop).
    static void openLinkText(const QString& text);
    static void setURLOpener(std::function<void(const QUrl&)> opener);

    // Whether the buttons copy: refused, the copy buttons are disabled and the attachment
    // button only opens its menu.
    void setCopyAllowed(bool allowed);

    // The attachment button asks for the attachment menu; other buttons do nothing.
    void extractAttachment(BKImageView* sender);

    BKImageView* button(int row) const { return mColumn3Details_[size_t(row)]; }
    const QList<BKTrackingRect>& trackingRects() const { return mTrackingRectIDs_; }
    int rowWidth() const { return mRowWidth_; }
    int lineHeight() const { return mRowHeight_; }
    // Where row texts are drawn on screen (empty when the row is not shown).
    QRect labelRect(int row) const { return mLabelRects_[size_t(row)]; }
    QRect valueRect(int row) const { return mValueRects_[size_t(row)]; }

    // Places labels, values, buttons and links for the current size and rows.
    void layoutRows();
    // Draws the rows as printed: rows 0 to 9 and the notes, no buttons.
    void drawForRecordPrint(QPainter& painter);

signals:
    // The attachment button was clicked: the owner opens the attachment menu.
    void addExtractAttachmentMenu(BKImageView* button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void measureLine();
    int measuringWidth(int row) const;
    void measureRow(int row);
    void drawValue(QPainter& painter, const QRect& rect, const QString& value) const;

    int mRowWidth_ = 0;
    int mRowHeight_ = 0;
    std::array<QString, kRowCount> mColumn1Details_;
    std::array<QString, kRowCount> mColumn2Details_;
    std::array<BKImageView*, kRowCount> mColumn3Details_{};
    std::array<int, kRowCount> mRowHeights_{};
    std::array<QString, kRowCount> mPasteboardStrings_;
    QList<BKTrackingRect> mTrackingRectIDs_;
    QFont mAttributes_;
    QFont mNoteAttributes_;
    bool mIsPrintingView_ = false;
    bool mScrollerVisible_ = false;

    std::array<QRect, kRowCount> mLabelRects_;
    std::array<QRect, kRowCount> mValueRects_;
    int mNextTrackingID_ = 1;
};
