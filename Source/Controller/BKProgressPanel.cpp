#include "BKProgressPanel.h"

#include "Platform/BKLocalization.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

BKProgressPanel::BKProgressPanel(QWidget* parent, const QString& text, const std::function<void()>& cancel)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("mLoadingDataPanel"));
    setWindowTitle(BKLocalizedString("Progress"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(text, this);
    label_->setObjectName(QStringLiteral("mIphoneSyncProgressTextFeild"));
    layout->addWidget(label_);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("mDataLoadingProgressIndiator"));
    bar_->setRange(0, 0);
    bar_->setMinimumWidth(320);
    layout->addWidget(bar_);
    if (cancel) {
        auto* button = new QPushButton(BKLocalizedString("Cancel"), this);
        button->setObjectName(QStringLiteral("CancelButton"));
        connect(button, &QPushButton::clicked, this, [button, cancel] {
            button->setEnabled(false);
            cancel();
        });
        layout->addWidget(button, 0, Qt::AlignRight);
    }
}

void BKProgressPanel::setText(const QString& text)
{
    label_->setText(text);
}

QString BKProgressPanel::text() const
{
    return label_->text();
}

void BKProgressPanel::showProgress(int done, int total)
{
    if (total <= 0) {
        bar_->setRange(0, 0);
        return;
    }
    bar_->setRange(0, total);
    // An estimated total never makes the bar look finished before the work is.
    bar_->setValue(std::min(done, total - 1));
}

void BKProgressPanel::showCentred()
{
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}
