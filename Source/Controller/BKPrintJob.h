#pragma once

// Printing of the record list and of one record. The content is laid out once, drawn in memory
// (QPictures, in the screen's units, so nothing of the vault reaches a file) and then printed over
// as many pages as it needs: scaled down to the printable width but never up, centred, cut into
// page-high slices (a list between its rows, each row whole on one page), with the underlined
// footer naming the user centred in the bottom margin of every page and no header. Values print
// unmasked. A list draws into each page only the rows of that page, so that a long list prints
// (and previews) in time and space linear in its rows.

#include <QList>
#include <QPageLayout>
#include <QPicture>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class BKListPrintView;
class OTVDataBase;
class OTVRecord;
struct BKPrintColumn;
class QFont;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

class BKPrintJob {
public:
    // Shows the print panel for `printer` over `parent` and, when the user prints, calls
    // `paint` with the printer to print on (the panel may also call it for its preview). True
    // when the user printed. Tests give one that prints to a PDF file.
    using DialogRunner =
        std::function<bool(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint)>;
    // The print preview with its Print button (the platform's print dialog), window-modal.
    static DialogRunner previewDialogRunner();

    struct Pagination {
        qreal scale = 1;
        int pages = 1;
    };
    // Content and page sizes in the same units.
    static Pagination paginate(const QSizeF& content, const QSizeF& page);
    static QString footerText(const QString& userName);

    explicit BKPrintJob(const QString& userName);
    ~BKPrintJob();

    // The content: draw it on picture() in its units, then give its size.
    QPicture& picture() { return mPicture_; }
    void setContentSize(const QSizeF& size) { mContentSize_ = size; }
    QSizeF contentSize() const { return mContentSize_; }
    // The printable width of the printer's page in the content's units.
    qreal printableWidth(const QPrinter& printer) const;

    // Prints every page on `device`; the number of pages.
    int printOn(QPagedPaintDevice& device) const;
    // The print panel (runner null: the preview) on `printer`: true when printed.
    bool run(QPrinter& printer, QWidget* parent, const DialogRunner& runner) const;

    // The record list laid out in `font`, `rowCount` rows of these columns.
    static std::unique_ptr<BKPrintJob> listJob(const QList<BKPrintColumn>& columns, int rowCount, const QFont& font,
                                               const QString& userName);

    // One record in the details pane's print layout, as wide as the printer's page: the record
    // details window prints through here as the main window does.
    static std::unique_ptr<BKPrintJob> recordJob(const std::shared_ptr<OTVRecord>& record, OTVDataBase& store,
                                                 const QPrinter& printer);
    // The whole single-record print: true when printed.
    static bool printRecord(const std::shared_ptr<OTVRecord>& record, OTVDataBase& store, QWidget* parent,
                            const DialogRunner& runner = {});

    // The page chosen in Page Setup, which every later print starts from (main thread only);
    // an invalid layout until the user chose one, and printers keep their defaults.
    static void setSharedPageLayout(const QPageLayout& layout);
    static QPageLayout sharedPageLayout();
    static void applySharedPageLayout(QPrinter& printer);

private:
    QString mUserName_;
    QPicture mPicture_;
    QSizeF mContentSize_;
    // A list is not recorded whole: each page draws the rows of its own slice of the list.
    std::unique_ptr<BKListPrintView> mList_;
};
