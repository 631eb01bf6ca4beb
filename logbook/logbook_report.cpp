// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_report.h"

#include "fileio/record_file.h"
#include "logbook/logbook_text.h"
#include "logbook/progress_plot.h"

#include <QBuffer>
#include <QDate>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <sstream>

namespace sg {

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMm = 15;
constexpr double kTextPoints = 7.5;

}  // namespace

void writeLogbookReport(const QString& path, const Logbook& book) {
    const std::vector<LogEntry> entries = book.entries(true);
    const std::string failure = "Cannot write the report '" + printableFileName(path.toStdString()) + "'";
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(kDotsPerInch);
        pdf.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
        pdf.setTitle(QString::fromStdString("Logbook of " + book.mirror().name));
        pdf.setCreator("Shadowgram");
        QPainter p(&pdf);
        const QRectF page(QPointF(0, 0), QSizeF(p.viewport().size()));
        const double mm = kDotsPerInch / 25.4;

        QFont title = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        title.setPointSizeF(13);
        title.setBold(true);
        QFont plain = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        plain.setPointSizeF(9);
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(kTextPoints);
        const QFontMetricsF fixedMetrics(fixed, &pdf);

        p.setFont(title);
        p.setPen(Qt::black);
        const double titleHeight = QFontMetricsF(title, &pdf).height();
        p.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString("Logbook of " + book.mirror().name));
        p.setFont(plain);
        p.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QDate::currentDate().toString(Qt::ISODate));
        double y = page.top() + titleHeight + 1 * mm;
        // The mirror, on as many lines as it takes.
        const QString mirror = QString::fromStdString(mirrorLine(book.mirror()));
        const QRectF mirrorBox = p.boundingRect(QRectF(page.left(), y, page.width(), page.height()),
                                                Qt::AlignLeft | Qt::TextWordWrap, mirror);
        p.drawText(mirrorBox, Qt::AlignLeft | Qt::TextWordWrap, mirror);
        y += mirrorBox.height() + 2 * mm;

        // The progress plot across the page.
        const ProgressPlot plot(progressSeries(entries, book.mirror()));
        const double scale = page.width() / ProgressPlot::kWidth;
        p.save();
        p.translate(page.left(), y);
        p.scale(scale, scale);
        plot.drawOn(p);
        p.restore();
        y += ProgressPlot::kHeight * scale + 4 * mm;

        // The list, then each entry's figures, page after page.
        std::vector<std::string> lines;
        std::istringstream list(listText(entries));
        for (std::string line; std::getline(list, line);) lines.push_back(line);
        for (const LogEntry& e : entries) {
            lines.emplace_back();
            for (std::string& line : entryLines(e)) lines.push_back(std::move(line));
        }
        p.setFont(fixed);
        for (const std::string& line : lines) {
            if (y + fixedMetrics.lineSpacing() > page.bottom()) {
                if (!pdf.newPage()) throw LogbookError(failure + ": a page could not be added.");
                y = page.top();
            }
            // A line too long for the page is cut where it leaves it.
            p.drawText(QPointF(page.left(), y + fixedMetrics.ascent()),
                       fixedMetrics.elidedText(QString::fromStdString(line), Qt::ElideRight, page.width()));
            y += fixedMetrics.lineSpacing();
        }
        if (!p.end()) throw LogbookError(failure + ": the PDF was not written.");
    }
    if (const std::optional<QString> reason = saveWholeFile(path, bytes))
        throw LogbookError(failure + ": " + reason->toStdString() + ".");
}

}  // namespace sg
