#include "desktop/uiPrint.h"

#include "diag/QmError.h"
#include "settings/SafeFile.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace qm {

namespace {

constexpr double kMmPerTwip = 25.4 / 1440.0;

QPageLayout a4Layout(const PrintRequest& r)
{
    const QMarginsF mm(r.marginsTwips.left() * kMmPerTwip, r.marginsTwips.top() * kMmPerTwip,
                       r.marginsTwips.right() * kMmPerTwip, r.marginsTwips.bottom() * kMmPerTwip);
    return QPageLayout(QPageSize(QPageSize::A4), r.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, mm,
                       QPageLayout::Millimeter);
}

QString pdfTarget(const PrintRequest& r)
{
    const QString stem = r.pdfBaseName.isEmpty() ? QStringLiteral("printout") : r.pdfBaseName;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QDir dir(r.pdfFolder.isEmpty() ? QDir::homePath() : r.pdfFolder);
    QString path = dir.filePath(QStringLiteral("%1-%2.pdf").arg(stem, stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2-%3.pdf").arg(stem, stamp).arg(n));
    return path;
}

} // namespace

bool printerAvailable()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

PrintOutcome printDocument(const PrintRequest& request, const PagePainter& paint)
{
    PrintOutcome out;
    if (!request.forcePdf && printerAvailable()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(request.documentName);
        printer.setPageLayout(a4Layout(request));
        QPainter painter;
        if (!painter.begin(&printer)) {
            out.error = QStringLiteral("the printer %1 cannot start a job").arg(printer.printerName());
            return out;
        }
        out.pages = paint(painter, printer);
        out.ok = painter.end() && printer.printerState() != QPrinter::Error;
        if (!out.ok)
            out.error = QStringLiteral("the printer %1 reported an error").arg(printer.printerName());
        return out;
    }

    out.toPdf = true;
    out.pdfPath = pdfTarget(request);
    if (!QDir().mkpath(QFileInfo(out.pdfPath).absolutePath())) {
        out.error = QStringLiteral("cannot create the folder %1").arg(QFileInfo(out.pdfPath).absolutePath());
        return out;
    }
    // The pages are rendered in memory and saved through the program's one
    // save function (temporary file, checked writes, fsync, rename), so a
    // full disk never leaves a truncated PDF behind.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(request.documentName);
        writer.setCreator(QStringLiteral("QM570 programmer"));
        writer.setResolution(300);
        writer.setPageLayout(a4Layout(request));
        QPainter painter;
        if (!painter.begin(&writer)) {
            out.error = QStringLiteral("cannot start the PDF %1").arg(out.pdfPath);
            return out;
        }
        out.pages = paint(painter, writer);
        painter.end();
    }
    try {
        saveFile(out.pdfPath, buffer.data(), QStringLiteral("print to PDF"));
    } catch (const QmError& e) {
        out.error = e.error().text();
        return out;
    }
    out.ok = true;
    return out;
}

int paintTablePages(QPainter& painter, QPagedPaintDevice& device, const PrintTable& table)
{
    const QRect page = painter.viewport();
    const int cols = static_cast<int>(table.captions.size());
    if (cols == 0 || page.width() <= 0 || page.height() <= 0)
        return 0;

    QFont font = table.font;
    if (font.pointSizeF() <= 0)
        font.setPointSize(10);

    // Column widths: the configured widths scaled to the page, each at least
    // as wide as its longest text. When the table is then wider than the
    // page, widths and font shrink together, so no text is ever cut off.
    QVector<double> width(cols, 0.0);
    {
        const QFontMetricsF fm(font, &device);
        const double pad = fm.averageCharWidth() * 1.5;
        long long total = 0;
        for (int c = 0; c < cols; ++c)
            total += std::max(1, c < table.columnWidths.size() ? table.columnWidths[c] : 1);
        double sum = 0;
        for (int c = 0; c < cols; ++c) {
            const int configured = std::max(1, c < table.columnWidths.size() ? table.columnWidths[c] : 1);
            double need = fm.horizontalAdvance(table.captions[c]);
            for (const QStringList& cells : table.rows)
                if (c < cells.size())
                    need = std::max(need, fm.horizontalAdvance(cells[c]));
            width[c] = std::max(static_cast<double>(configured) * page.width() / static_cast<double>(total), need + pad);
            sum += width[c];
        }
        if (sum > page.width()) {
            const double shrink = page.width() / sum;
            for (double& w : width)
                w *= shrink;
            font.setPointSizeF(std::max(4.0, font.pointSizeF() * shrink * 0.97));
        }
    }
    painter.setFont(font);
    const QFontMetrics fm(painter.font(), &device);
    const int rowH = fm.height() * 3 / 2;
    const int titleH = table.title.isEmpty() ? 0 : rowH * 2;

    QVector<int> x(cols + 1, 0);
    double acc = 0;
    for (int c = 0; c < cols; ++c) {
        acc += width[c];
        x[c + 1] = std::min(page.width(), static_cast<int>(acc));
    }

    const int rowsPerPage = std::max(1, (page.height() - titleH) / rowH - 1);
    const int rowCount = static_cast<int>(table.rows.size());
    const int pages = std::max(1, (rowCount + rowsPerPage - 1) / rowsPerPage);
    const QPen gridPen(QColor(160, 160, 160), 0);

    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            device.newPage();
        int y = 0;
        if (titleH > 0) {
            painter.setPen(Qt::black);
            painter.drawText(QRect(0, 0, page.width(), rowH), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("%1    %2/%3").arg(table.title).arg(p + 1).arg(pages));
            y = titleH;
        }
        // Header row on a light grey band.
        painter.fillRect(QRect(0, y, page.width(), rowH), QColor(235, 235, 235));
        for (int c = 0; c < cols; ++c) {
            painter.setPen(gridPen);
            painter.drawRect(QRect(x[c], y, x[c + 1] - x[c], rowH));
            painter.setPen(Qt::black);
            painter.drawText(QRect(x[c], y, x[c + 1] - x[c], rowH), Qt::AlignCenter, table.captions[c]);
        }
        y += rowH;
        const int first = p * rowsPerPage;
        const int last = std::min(rowCount, first + rowsPerPage);
        for (int r = first; r < last; ++r, y += rowH) {
            const QStringList& cells = table.rows[r];
            for (int c = 0; c < cols; ++c) {
                const QRect cell(x[c], y, x[c + 1] - x[c], rowH);
                if (c == 0)
                    painter.fillRect(cell, QColor(245, 245, 245));
                painter.setPen(gridPen);
                painter.drawRect(cell);
                QColor colour = Qt::black;
                if (r < table.colours.size() && c < table.colours[r].size() && table.colours[r][c].isValid())
                    colour = table.colours[r][c];
                painter.setPen(colour);
                painter.drawText(cell, Qt::AlignCenter, c < cells.size() ? cells[c] : QString());
            }
        }
    }
    return pages;
}

int paintWidgetPage(QPainter& painter, QPagedPaintDevice& device, QWidget* widget)
{
    Q_UNUSED(device);
    if (!widget)
        return 0;
    const QRect page = painter.viewport();
    const QSize size = widget->size();
    if (size.isEmpty())
        return 0;
    const double scale = std::min(static_cast<double>(page.width()) / size.width(),
                                  static_cast<double>(page.height()) / size.height());
    painter.save();
    painter.scale(scale, scale);
    widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    return 1;
}

} // namespace qm
