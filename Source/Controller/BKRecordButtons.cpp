#include "BKRecordButtons.h"

#include "BKMenuTable.h"
#include "BKViewImages.h"

#include "Platform/BKLocalization.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QToolButton>

namespace {

const char* const kViewPrefixes[] = {"Column", "List", "Tree"};

} // namespace

BKRecordButtons::BKRecordButtons(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mRecordButtons"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    mTypeAddButton_ = makeButton(QStringLiteral("mTypeAddButton"), BKLocalizedString("New Type"), kAddTypeImageName);
    layout->addWidget(mTypeAddButton_);
    mAddButton_ = makeButton(QStringLiteral("mAddButton"), BKLocalizedString("Add Item"), kAddImageName);
    mEditButton_ = makeButton(QStringLiteral("mEditButton"), BKLocalizedString("Edit Item"), kEditImageName);
    mDeleteButton_ = makeButton(QStringLiteral("mDeleteButton"), BKLocalizedString("Delete"), kDeleteImageName);
    layout->addWidget(mAddButton_);
    layout->addWidget(mEditButton_);
    layout->addWidget(mDeleteButton_);
    for (int view = 0; view < 3; ++view) {
        mDuplicateButtons_[view] =
            makeButton(QStringLiteral("m%1DuplicateButton").arg(QLatin1String(kViewPrefixes[view])),
                       BKLocalizedString("Duplicate"), kCopyImageName);
        layout->addWidget(mDuplicateButtons_[view]);
    }
    mPrintRecordButton_ = makeButton(QStringLiteral("mPrintRecordButton"), BKLocalizedString("Print Item"), kPrintImageName);
    mAttachmentButton_ = makeButton(QStringLiteral("mAttachmentButton"), BKLocalizedString("Add Attachment"),
                                    kAddAttachmentImageName);
    mAutoFillButton_ = makeButton(QStringLiteral("mAutoFillButton"), BKLocalizedString("AutoFill"), kGlobeImageName);
    layout->addWidget(mPrintRecordButton_);
    layout->addWidget(mAttachmentButton_);
    layout->addWidget(mAutoFillButton_);
    // The toggle follows the buttons rather than the pane's edge: it stays under the pointer
    // when the pane hides or shows.
    layout->addSpacing(12);
    for (int view = 0; view < 3; ++view) {
        QToolButton* toggle = makeButton(QStringLiteral("m%1ToggleInfoButton").arg(QLatin1String(kViewPrefixes[view])),
                                         BKLocalizedString("Show Details"), kDetailsPaneImageName);
        toggle->setCheckable(true);
        mToggleInfoButtons_[view] = toggle;
        layout->addWidget(toggle);
    }
    layout->addStretch(1);
    showInView(0, nullptr);
}

QToolButton* BKRecordButtons::makeButton(const QString& name, const QString& text, const QString& imageName)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(text);
    button->setAccessibleName(text);
    button->setIcon(BKMenuIcon(imageName));
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    // Reached with Tab; a click leaves the focus in the view.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void BKRecordButtons::showInView(int view, QWidget* page)
{
    mTypeAddButton_->setVisible(view == 0);
    for (int other = 0; other < 3; ++other) {
        mDuplicateButtons_[other]->setVisible(other == view);
        mToggleInfoButtons_[other]->setVisible(other == view);
    }
    if (!page || parentWidget() == page)
        return;
    if (auto* pageLayout = qobject_cast<QBoxLayout*>(page->layout())) {
        pageLayout->addWidget(this);
        show();
    }
}

void BKRecordButtons::setAttachmentRemoves(bool removes)
{
    const QString text = BKLocalizedString(removes ? QStringLiteral("Delete Attachment") : QStringLiteral("Add Attachment"));
    mAttachmentButton_->setToolTip(text);
    mAttachmentButton_->setAccessibleName(text);
    mAttachmentButton_->setIcon(BKMenuIcon(removes ? kDeleteAttachmentImageName : kAddAttachmentImageName));
}
