#include "BKPrintJob.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKListPrintView.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKPrivateFile.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

QFont footerFont()
{
    QFont font;
    font.setPointSize(10);
    font.setUnderline(true);
    return font;
}

QString userNameOf(const OTVDataBase& store)
{
    const std::shared_ptr<OTVUser> user = store.getCurrentUser();
    return user ? user->mUsername() : QString();
}

} // namespace

BKPrintJob::BKPrintJob(const QString& userName) : mUserName_(userName)
{
}

BKPrintJob::~BKPrintJob() = default;

QString BKPrintJob::footerText(const QString& userName)
{
    return QStringLiteral("Ostrevin Darovazivu Print Report for: %1").arg(userName);
}

BKPrintJob::Pagination BKPrintJob::paginate(const QSizeF& content, const QSizeF& page)
{
    Pagination pagination;
    if (content.width() > 0 && page.width() > 0)
        pagination.scale = std::min<qreal>(1, page.width() / content.width());
    if (page.height() > 0) {
        // A slice of rounding error is no page of its own.
        const qreal pages = content.height() * pagination.scale / page.height();
        pagination.pages = std::max(1, int(std::ceil(pages - 1e-6)));
    }
    return pagination;
}

qreal BKPrintJob::printableWidth(const QPrinter& printer) const
{
    return printer.pageLayout().paintRect(QPageLayout::Point).width() * mPicture_.logicalDpiX() / 72.0;
}

int BKPrintJob::printOn(QPagedPaintDevice& device) const
{
    const qreal dpiX = device.logicalDpiX();
    const qreal dpiY = device.logicalDpiY();
    const QPageLayout layout = device.pageLayout();
    const QRectF paintRect = layout.paintRectPixels(int(dpiX));
    const QRectF fullRect = layout.fullRectPixels(int(dpiX));
    QPainter painter;
    if (!painter.begin(&device))
        return 0;

    // The footer goes into the bottom margin; a margin too small for it takes a band of the page.
    const QFont font = footerFont();
    const qreal footerHeight = QFontMetricsF(font, &device).height();
    const qreal bottomMargin = fullRect.bottom() - paintRect.bottom();
    qreal pageHeight = paintRect.height();
    QRectF footerRect(0, pageHeight, paintRect.width(), bottomMargin);
    if (bottomMargin < footerHeight) {
        pageHeight = std::max<qreal>(1, pageHeight - footerHeight);
        footerRect = QRectF(0, pageHeight, paintRect.width(), footerHeight);
    }

    // Device units per content unit: drawPicture maps the picture's resolution to the device's.
    const qreal unitX = dpiX / mPicture_.logicalDpiX();
    const qreal unitY = dpiY / mPicture_.logicalDpiY();
    const Pagination pagination =
        paginate(mContentSize_, QSizeF(paintRect.width() / unitX, pageHeight / unitY));
    const qreal contentWidth = mContentSize_.width() * pagination.scale * unitX;
    const qreal left = std::max<qreal>(0, (paintRect.width() - contentWidth) / 2);
    const QString footer = footerText(mUserName_);
    // Where each page's slice of the content begins, in the content's units: a list breaks
    // between its rows, anything else at the page's height.
    const qreal sliceHeight = pageHeight / (unitY * pagination.scale);
    QList<qreal> breaks;
    if (mList_) {
        breaks = mList_->pageBreaks(sliceHeight);
    } else {
        for (int page = 0; page <= pagination.pages; ++page)
            breaks.append(page * sliceHeight);
    }
    const int pages = int(breaks.size()) - 1;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        QPicture slice;
        if (mList_) {
            QPainter recorder(&slice);
            mList_->draw(recorder, QRectF(0, breaks[page], mContentSize_.width(), breaks[page + 1] - breaks[page]));
        }
        painter.save();
        painter.setClipRect(QRectF(0, 0, paintRect.width(), pageHeight));
        painter.translate(left, -breaks[page] * unitY * pagination.scale);
        painter.scale(pagination.scale, pagination.scale);
        painter.drawPicture(0, 0, mList_ ? slice : mPicture_);
        painter.restore();

        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(footerRect, Qt::AlignHCenter | Qt::AlignVCenter, footer);
        painter.restore();
    }
    painter.end();
    return pages;
}

BKPrintJob::DialogRunner BKPrintJob::previewDialogRunner()
{
    return [](QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowModality(Qt::WindowModal);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&paint](QPrinter* target) { paint(target); });
        return dialog.exec() == QDialog::Accepted;
    };
}

bool BKPrintJob::run(QPrinter& printer, QWidget* parent, const DialogRunner& runner) const
{
    const DialogRunner& show = runner ? runner : previewDialogRunner();
    return show(printer, parent, [this](QPrinter* target) {
        // Printed to a file, every value is in it in plain text: it is the owner's alone, as
        // exports are; a file that cannot be made so is not written.
        if (target && (target->outputFileName().isEmpty() || BKCreateEmptyPrivateFile(target->outputFileName())))
            printOn(*target);
    });
}

std::unique_ptr<BKPrintJob> BKPrintJob::listJob(const QList<BKPrintColumn>& columns, int rowCount, const QFont& font,
                                                const QString& userName)
{
    auto job = std::make_unique<BKPrintJob>(userName);
    job->mList_ = std::make_unique<BKListPrintView>(font, &job->mPicture_);
    job->mList_->setStrings(columns, rowCount);
    job->setContentSize(job->mList_->size());
    return job;
}

std::unique_ptr<BKPrintJob> BKPrintJob::recordJob(const std::shared_ptr<OTVRecord>& record, OTVDataBase& store,
                                                  const QPrinter& printer)
{
    auto job = std::make_unique<BKPrintJob>(userNameOf(store));
    if (!record)
        return job;
    BKDetailsView view(nullptr, false);
    view.setDataBase(&store);
    view.setHeaderTitle(record->value(1));
    view.setDetailInfo(record);
    const OTVType* type = record->mIsCustomized() && record->mRecordCustomType() ? record->mRecordCustomType()
                                                                                  : record->mType().get();
    if (type && type->mTypeIconID())
        view.setHeaderImage(store.getImageFromIconIndex(*type->mTypeIconID()));
    view.resize(std::max(1, int(job->printableWidth(printer))), 100);
    view.setFrames();
    QPainter painter(&job->picture());
    view.paintForPrint(painter);
    painter.end();
    job->setContentSize(view.size());
    return job;
}

bool BKPrintJob::printRecord(const std::shared_ptr<OTVRecord>& record, OTVDataBase& store, QWidget* parent,
                             const DialogRunner& runner)
{
    if (!record)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    applySharedPageLayout(printer);
    const std::unique_ptr<BKPrintJob> job = recordJob(record, store, printer);
    return job->run(printer, parent, runner);
}

namespace {

QPageLayout& sharedLayout()
{
    static QPageLayout layout;
    return layout;
}

} // namespace

void BKPrintJob::setSharedPageLayout(const QPageLayout& layout)
{
    sharedLayout() = layout;
}

QPageLayout BKPrintJob::sharedPageLayout()
{
    return sharedLayout();
}

void BKPrintJob::applySharedPageLayout(QPrinter& printer)
{
    if (sharedLayout().isValid())
        printer.setPageLayout(sharedLayout());
}
