#include "BKWindow.h"

#include <QMouseEvent>
#include <QShortcut>
#include <QWindow>

BKWindow::BKWindow(QWidget* parent) : QMainWindow(parent)
{
    mSearchShortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    mSearchShortcut_->setContext(Qt::WindowShortcut);
    connect(mSearchShortcut_, &QShortcut::activated, this, [this] {
        if (mFocusSearchField_)
            mFocusSearchField_();
    });
}

void BKWindow::setFocusSearchField(std::function<void()> focusSearchField)
{
    mFocusSearchField_ = std::move(focusSearchField);
}

BKToolBarCustomView::BKToolBarCustomView(QWidget* parent) : QWidget(parent)
{
}

void BKToolBarCustomView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
