// Printing. A printout goes to the system's default printer without a print
// dialog; when no printer is installed (a fresh Linux desktop, a server) the
// same pages go to a PDF file in the data folder instead, and the caller tells
// the user where, so a print command never fails silently.
#pragma once

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QPainter;
class QPagedPaintDevice;
class QWidget;

namespace qm {

struct PrintOutcome {
    bool ok = false;
    bool toPdf = false;   // no printer: the pages went to pdfPath
    QString pdfPath;
    int pages = 0;
    QString error;        // why it failed (ok == false)
};

struct PrintRequest {
    QString documentName;          // the print job's name (and the PDF's title)
    QMarginsF marginsTwips;        // left, top, right, bottom in twips
    bool landscape = false;        // A4 portrait unless set
    QString pdfFolder;             // where the PDF goes when there is no printer
    QString pdfBaseName;           // file name stem of that PDF ("channels")
    bool forcePdf = false;         // always write the PDF (tests, "print to file")
};

// Paints the document: draw on the painter, call device.newPage() between
// pages; the painter's coordinates are the printable area in device pixels
// (margins already applied). Returns the number of pages painted.
using PagePainter = std::function<int(QPainter& painter, QPagedPaintDevice& device)>;

// Runs one print job. The PDF is written to a temporary file in pdfFolder and
// renamed into place only when complete; its name is pdfBaseName + the date
// and time, so earlier printouts are never replaced.
PrintOutcome printDocument(const PrintRequest& request, const PagePainter& paint);

// True when the system knows at least one printer.
bool printerAvailable();

// A table as printed: header captions, row labels (column 0) and cell texts
// with their text colours, column widths in relative units (twips will do).
struct PrintTable {
    QStringList captions;                  // columns 0..C
    QVector<int> columnWidths;             // columns 0..C
    QVector<QStringList> rows;             // each: label + C cell texts
    QVector<QVector<QColor>> colours;      // same shape as rows; invalid = black
    QFont font;
    QString title;                         // printed above the table on every page
};

// Paints the table across as many pages as it needs, repeating the header
// row (and the title) on each page and scaling the columns to the page width.
// A column is never narrower than its longest text; a table that is then too
// wide for the page is printed in a smaller font. Returns the page count.
int paintTablePages(QPainter& painter, QPagedPaintDevice& device, const PrintTable& table);

// Paints a widget's current appearance, scaled to fit one page.
int paintWidgetPage(QPainter& painter, QPagedPaintDevice& device, QWidget* widget);

} // namespace qm
