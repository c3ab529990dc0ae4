#pragma once

// The record buttons under the record views: New Type (the column view's type add button), Add,
// Edit, Delete, Duplicate, Print, Attachment and AutoFill, and the details-pane toggle after
// them. The bar sits in the page of the view shown; Duplicate and the toggle are each view's
// own (only the shown view's are visible), the others are shared by the three views. The bar
// only shows: what the buttons do and when they are enabled is the controller's, the same as
// its menu commands'. Every button is reached with Tab.

#include <QWidget>

#include <array>

class QAbstractButton;
class QToolButton;

class BKRecordButtons : public QWidget {
    Q_OBJECT
public:
    explicit BKRecordButtons(QWidget* parent = nullptr);

    // New Type, in the column view only.
    QToolButton* typeAddButton() const { return mTypeAddButton_; }
    QToolButton* addButton() const { return mAddButton_; }
    QToolButton* editButton() const { return mEditButton_; }
    QToolButton* deleteButton() const { return mDeleteButton_; }
    // The Duplicate button and the details toggle of a view (0 column, 1 list, 2 tree).
    QToolButton* duplicateButton(int view) const { return mDuplicateButtons_.at(view); }
    QToolButton* toggleInfoButton(int view) const { return mToggleInfoButtons_.at(view); }
    QToolButton* printRecordButton() const { return mPrintRecordButton_; }
    QToolButton* attachmentButton() const { return mAttachmentButton_; }
    QToolButton* autoFillButton() const { return mAutoFillButton_; }

    // Shows the bar in `page`, with the Duplicate button and the toggle of `view`.
    void showInView(int view, QWidget* page);
    // The Attachment button offers the removal (a record with an attachment is selected) or
    // the addition.
    void setAttachmentRemoves(bool removes);

private:
    QToolButton* makeButton(const QString& name, const QString& text, const QString& imageName);

    QToolButton* mTypeAddButton_ = nullptr;
    QToolButton* mAddButton_ = nullptr;
    QToolButton* mEditButton_ = nullptr;
    QToolButton* mDeleteButton_ = nullptr;
    std::array<QToolButton*, 3> mDuplicateButtons_{};
    QToolButton* mPrintRecordButton_ = nullptr;
    QToolButton* mAttachmentButton_ = nullptr;
    QToolButton* mAutoFillButton_ = nullptr;
    std::array<QToolButton*, 3> mToggleInfoButtons_{};
};
