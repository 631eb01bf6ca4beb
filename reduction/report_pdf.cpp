// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/report_pdf.h"

#include "fileio/record_file.h"
#include "model/number_text.h"
#include "reduction/reduction_plots.h"
#include "reduction/reduction_report.h"

#include <QBuffer>
#include <QDate>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <sstream>

namespace sg {

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMm = 15;
constexpr double kLargestTextPoints = 9;
constexpr double kSmallestTextPoints = 3;
// The plots take at most this share of the page's height.
constexpr double kPlotsShare = 0.42;

}  // namespace

std::vector<std::string> reportPageLines(const ReductionResult& r) {
    std::vector<std::string> lines;
    std::string header = "Readings (mm)  zone  inner_mm  outer_mm";
    for (int j = 1; j <= r.setCount; ++j) header += "     set " + std::to_string(j);
    lines.push_back(header);
    for (const ZoneResult& z : r.zones) {
        std::string line = std::string(14, ' ') + padLeft(std::to_string(z.number), 4) + ' ' + fixedText(z.inner, 2, 9) +
                           ' ' + fixedText(z.outer, 2, 9);
        for (const double v : z.readings) line += ' ' + fixedText(v, 4, 9);
        lines.push_back(line);
    }
    lines.emplace_back();
    std::istringstream report(reportText(r, {}));
    for (std::string line; std::getline(report, line);) lines.push_back(line);
    for (const std::string& note : r.notes) lines.push_back("Note: " + note);
    return lines;
}

void writeReductionReport(const QString& path, const ReductionResult& r, const ReductionPlots& plots,
                          const QString& readingFile) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(kDotsPerInch);
        pdf.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
        pdf.setTitle("Foucault reduction");
        pdf.setCreator("Shadowgram");
        QPainter p(&pdf);
        const QRectF page(QPointF(0, 0), QSizeF(p.viewport().size()));
        const double mm = kDotsPerInch / 25.4;

        // The title, the date and the reading file.
        QFont title = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        title.setPointSizeF(13);
        title.setBold(true);
        p.setFont(title);
        p.setPen(Qt::black);
        const double titleHeight = QFontMetricsF(title, &pdf).height();
        p.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   "Foucault reduction");
        QFont plain = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        plain.setPointSizeF(9);
        p.setFont(plain);
        p.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QDate::currentDate().toString(Qt::ISODate));
        double y = page.top() + titleHeight + 1 * mm;
        if (!readingFile.isEmpty()) {
            const double h = QFontMetricsF(plain, &pdf).height();
            p.drawText(QRectF(page.left(), y, page.width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                       "Readings: " + readingFile);
            y += h;
        }
        y += 2 * mm;

        // The plots, as the window draws them, scaled to the page.
        const double scale = std::min(page.width() / plots.width(), page.height() * kPlotsShare / plots.height());
        p.save();
        p.translate(page.left(), y);
        p.scale(scale, scale);
        p.setClipRect(QRectF(0, 0, plots.width(), plots.height()));
        plots.drawOn(p);
        p.restore();
        y += plots.height() * scale + 4 * mm;

        // The text, in the largest fixed-width size up to 9 points that
        // fits what is left of the page.
        const std::vector<std::string> lines = reportPageLines(r);
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        std::size_t longest = 0;
        for (const std::string& line : lines) longest = std::max(longest, line.size());
        double points = kLargestTextPoints;
        for (; points > kSmallestTextPoints; points -= 0.25) {
            fixed.setPointSizeF(points);
            const QFontMetricsF metrics(fixed, &pdf);
            const bool fitsHeight = metrics.lineSpacing() * static_cast<double>(lines.size()) <= page.bottom() - y;
            const bool fitsWidth = metrics.horizontalAdvance(QString(static_cast<qsizetype>(longest), '0')) <= page.width();
            if (fitsHeight && fitsWidth) break;
        }
        fixed.setPointSizeF(points);
        p.setFont(fixed);
        const QFontMetricsF metrics(fixed, &pdf);
        for (const std::string& line : lines) {
            if (y + metrics.lineSpacing() > page.bottom() + 0.5) break;  // only with the smallest size
            p.drawText(QPointF(page.left(), y + metrics.ascent()), QString::fromStdString(line));
            y += metrics.lineSpacing();
        }
        if (!p.end()) throw ReductionInputError("cannot save '" + path.toStdString() + "': the PDF was not written");
    }
    if (const std::optional<QString> reason = saveWholeFile(path, bytes))
        throw ReductionInputError("cannot save '" + path.toStdString() + "': " + reason->toStdString());
}

}  // namespace sg
