#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// A small click-to-copy image button: a click released inside it (or Space, Return or Enter
// while it has the focus, which Tab gives it) puts its title on the clipboard as plain text (an
// empty title copies nothing). While pressed the image fills the
// button; otherwise it keeps its proportions. A button inside a BKTextTable also asks the
// table to offer the attachment menu when it is that table's attachment button.
class BKImageView : public QWidget {
    Q_OBJECT
public:
    explicit BKImageView(QWidget* parent = nullptr);

    QString title() const { return mTitle_; }
    void setTitle(const QString& title);
    QImage image() const { return mImage_; }
    void setImage(const QImage& image);
    // Whether a click copies the title (the attachment button still opens its menu without).
    bool copiesTitle() const { return mCopiesTitle_; }
    void setCopiesTitle(bool copies) { mCopiesTitle_ = copies; }
    // Whether the image is drawn scaled to fit the whole button (while pressed).
    bool isScaledToFit() const { return mScaleToFit_; }

    // The artwork of the copy buttons and of the attachment button.
    static QImage pasteImage();
    static QImage attachmentImage();

signals:
    // After a click released inside the button has copied the title.
    void clicked(BKImageView* button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void activate();
    void redrawAncestor();

    QString mTitle_ = QStringLiteral("");
    bool mCopiesTitle_ = true;
    QImage mImage_;
    bool mScaleToFit_ = false;
};
