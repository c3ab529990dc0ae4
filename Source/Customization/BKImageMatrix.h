#pragma once

#include "Model/Database_Engine/OTVDataBase.h"

#include <QImage>
#include <QList>
#include <QWidget>

// The icon chooser: a grid of 8 columns of 32 x 32 cells holding the built-in icons 1 to
// kMaxIcons, then the store's custom icons in number order. A click on an icon selects it
// (framed); nothing else happens until the owner asks for selectedIcon. Icons imported
// while it is shown are appended and selected.
class BKImageMatrix : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxIcons = 63;
    static constexpr int kStandardIcons = OTVDataBase::kStandardIcons;   // above: custom icons
    static constexpr int kColumns = 8;
    static constexpr int kCellSide = 32;

    struct Icon {
        int number = 0;
        QImage image;
    };

    // `dataBase` is the store whose icons are shown (the shared one when null).
    explicit BKImageMatrix(OTVDataBase* dataBase = nullptr, QWidget* parent = nullptr);
    ~BKImageMatrix() override;

    // Reloads all icons and selects the first.
    void renewIconMatrix();
    void displayMatrix();
    const QList<Icon>& images() const { return mImages_; }
    int rowCount() const;

    // The image and number of the selected cell (null image, 0 without a selection).
    QImage selectedIcon() const;
    int selectedIconNumber() const;
    int selectedRow() const { return mSelected_ < 0 ? -1 : mSelected_ / kColumns; }
    int selectedColumn() const { return mSelected_ < 0 ? -1 : mSelected_ % kColumns; }
    // Selects the cell of icon `number`; a number without an icon there selects nothing.
    void setSelectedImage(int number);
    // Appends a newly imported icon and selects it. Main thread only; the store's
    // "ExternalIconCreated" notification is brought here on the main thread.
    void externalIconCreated(int number);
    // The stand-in for an icon number that has no image, so that positions stay fixed.
    static QImage placeholderImage();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    OTVDataBase& dataBase() const;
    QImage imageFor(int number) const;
    void selectPosition(int position);
    void scrollRowIntoView(int row);

    OTVDataBase* mDataBase_ = nullptr;
    QList<Icon> mImages_;
    int mSelected_ = -1;
};
