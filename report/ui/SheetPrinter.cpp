#include "report/ui/SheetPrinter.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <optional>

namespace vantrel {

namespace {

constexpr int kWrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Lays the sheet out page by page. It runs twice: first only counting the pages, then drawing them, so
// that every page can say "oldal N/M". Everything is measured in the device's own units, from point sizes,
// so a 300 dpi printer and a PDF writer give the same layout.
class PageWriter {
public:
    PageWriter(QPagedPaintDevice& device, const SheetHeader& header, int pageCount, QPainter* painter)
        : device_(device), painter_(painter), pageCount_(pageCount) {
        const qreal mm = device.logicalDpiY() / 25.4;
        margin_ = 15 * mm;
        width_ = device.width() - 2 * margin_;
        fileName_ = header.fileName.isEmpty() ? QStringLiteral("(nincs fájl)") : QFileInfo(header.fileName).fileName();
        title_ = header.title;
        footerTop_ = device.height() - margin_ - lineHeight(small());
        bottom_ = footerTop_ - lineHeight(body()) * 0.5;
        y_ = margin_;
    }

    QFont font(qreal points, bool bold) const {
        QFont f(QStringLiteral("Sans Serif"));
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }
    QFont title() const { return font(14, true); }
    QFont heading() const { return font(10.5, true); }
    QFont body() const { return font(9, false); }
    QFont small() const { return font(8, false); }
    qreal lineHeight(const QFont& f) const { return QFontMetricsF(f, &device_).lineSpacing(); }
    qreal widthOf(const QString& s, const QFont& f) const { return QFontMetricsF(f, &device_).horizontalAdvance(s); }
    // The height of a text wrapped at width.
    qreal heightOf(const QString& s, const QFont& f, qreal width) const {
        if (s.isEmpty())
            return lineHeight(f);
        return QFontMetricsF(f, &device_).boundingRect(QRectF(0, 0, width, 1e6), kWrap, s).height();
    }

    // Starts a new page when `height` does not fit on this one; the new page repeats the sheet's title and,
    // when a section goes on there, its heading. True when a new page was started.
    bool reserve(qreal height, const std::optional<QString>& continuing = std::nullopt) {
        if (y_ + height <= bottom_ || y_ <= topOfBody_)
            return false;
        footer();
        if (painter_ != nullptr)
            device_.newPage();
        ++page_;
        y_ = margin_;
        text(title_ + QStringLiteral(" – ") + fileName_, heading());
        advance(lineHeight(heading()));
        rule();
        advance(lineHeight(body()) * 0.5);
        if (continuing) {
            text(*continuing + QStringLiteral(" (folytatás)"), heading());
            advance(lineHeight(heading()));
            rule();
            advance(lineHeight(body()) * 0.2);
        }
        topOfBody_ = y_;
        return true;
    }
    void text(const QString& s, const QFont& f, qreal x = 0, qreal width = -1, int flags = kWrap) {
        if (painter_ == nullptr)
            return;
        const qreal w = width < 0 ? width_ - x : width;
        painter_->setFont(f);
        painter_->drawText(QRectF(margin_ + x, y_, w, bottom_ - y_), flags, s);
    }
    void advance(qreal h) { y_ += h; }
    void rule() {
        if (painter_ != nullptr)
            painter_->drawLine(QPointF(margin_, y_), QPointF(margin_ + width_, y_));
    }
    // The file name and "oldal N/M" at the foot of the page.
    void footer() {
        if (painter_ == nullptr)
            return;
        painter_->setFont(small());
        const QRectF line(margin_, footerTop_, width_, lineHeight(small()));
        painter_->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, fileName_);
        painter_->drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("oldal %1/%2").arg(page_).arg(pageCount_));
    }
    void startBody() { topOfBody_ = y_; }
    qreal width() const { return width_; }
    int page() const { return page_; }
    const QString& fileName() const { return fileName_; }

private:
    QPagedPaintDevice& device_;
    QPainter* painter_; // null while only counting the pages
    int pageCount_;
    QString title_;
    QString fileName_;
    qreal margin_ = 0;
    qreal width_ = 0;
    qreal footerTop_ = 0;
    qreal bottom_ = 0;
    qreal y_ = 0;
    qreal topOfBody_ = 0; // a row that does not fit even on an empty page is drawn there anyway
    int page_ = 1;
};

// Lays out the whole sheet and returns the number of pages used.
int layOut(PageWriter& page, const std::vector<SheetSection>& sheet, const SheetHeader& header) {
    const qreal row = page.lineHeight(page.body());
    page.text(header.title, page.title());
    page.advance(page.lineHeight(page.title()));
    page.text(QStringLiteral("Fájl: %1").arg(page.fileName()), page.body());
    page.advance(row);
    page.text(QStringLiteral("Dátum: %1").arg(header.date.toString(QStringLiteral("yyyy-MM-dd HH:mm"))), page.body());
    page.advance(row * 1.5);
    page.startBody();

    const qreal gap = row;
    const qreal labelWidth = page.width() * 0.45 - gap;
    const qreal codeWidth = page.widthOf(QStringLiteral("eseménykód"), page.small()) * 1.2;
    for (const SheetSection& section : sheet) {
        const bool hasCodes =
            std::any_of(section.rows.begin(), section.rows.end(), [](const SheetRow& r) { return r.codeField; });
        const qreal valueX = labelWidth + gap + (hasCodes ? codeWidth + gap : 0);
        const qreal valueWidth = page.width() - valueX;
        const auto rowHeight = [&](const SheetRow& r) {
            return std::max(page.heightOf(r.label, page.body(), labelWidth),
                            page.heightOf(r.value, page.body(), valueWidth));
        };
        // A heading goes to the next page together with its first row.
        const qreal first = section.rows.empty() ? row : rowHeight(section.rows.front());
        page.reserve(page.lineHeight(page.heading()) + row * (hasCodes ? 2.2 : 1.2) + first);
        page.advance(row * 0.5);
        page.text(section.title, page.heading());
        page.advance(page.lineHeight(page.heading()));
        page.rule();
        page.advance(row * 0.2);
        const auto columnHeads = [&] {
            if (!hasCodes)
                return;
            page.text(QStringLiteral("eseménykód"), page.small(), labelWidth + gap, codeWidth);
            page.text(QStringLiteral("SMS üzenetek szövege"), page.small(), valueX, valueWidth);
            page.advance(row);
        };
        columnHeads();
        for (const SheetRow& r : section.rows) {
            const qreal height = rowHeight(r);
            if (page.reserve(height, section.title))
                columnHeads();
            page.text(r.label, page.body(), 0, labelWidth);
            if (r.codeField != nullptr)
                page.text(r.code, page.body(), labelWidth + gap, codeWidth);
            page.text(r.value, page.body(), valueX, valueWidth);
            page.advance(height + row * 0.15);
        }
    }
    page.footer();
    return page.page();
}

} // namespace

int printSheet(QPagedPaintDevice& device, const std::vector<SheetSection>& sheet, const SheetHeader& header) {
    PageWriter counting(device, header, 0, nullptr);
    const int pages = layOut(counting, sheet, header);
    QPainter painter(&device);
    PageWriter drawing(device, header, pages, &painter);
    layOut(drawing, sheet, header);
    painter.end();
    return pages;
}

} // namespace vantrel
