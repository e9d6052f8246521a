#include "report/ui/SheetPrinter.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace vantrel {

namespace {

// Everything is measured in the device's own units, from point sizes, so a 300 dpi printer and a PDF
// writer give the same layout.
class PageWriter {
public:
    PageWriter(QPagedPaintDevice& device, QPainter& painter) : device_(device), painter_(painter) {
        const qreal dpi = device.logicalDpiY();
        margin_ = dpi * 15 / 25.4; // 15 mm
        bottom_ = device.height() - margin_;
        y_ = margin_;
        width_ = device.width() - 2 * margin_;
    }

    QFont font(qreal points, bool bold) const {
        QFont f(QStringLiteral("Sans Serif"));
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }
    qreal lineHeight(const QFont& f) const { return QFontMetricsF(f, &device_).lineSpacing(); }

    // Starts a new page when `height` does not fit on this one.
    void reserve(qreal height) {
        if (y_ + height <= bottom_ || y_ == margin_)
            return;
        device_.newPage();
        ++pages_;
        y_ = margin_;
    }
    void text(const QString& s, const QFont& f, qreal x = 0, qreal width = -1) {
        painter_.setFont(f);
        const qreal w = width < 0 ? width_ - x : width;
        const QString shown = QFontMetricsF(f, &device_).elidedText(s, Qt::ElideRight, w);
        painter_.drawText(QRectF(margin_ + x, y_, w, lineHeight(f)), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    void advance(qreal h) { y_ += h; }
    void rule() {
        painter_.drawLine(QPointF(margin_, y_), QPointF(margin_ + width_, y_));
    }
    qreal width() const { return width_; }
    int pages() const { return pages_; }

private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    qreal margin_ = 0;
    qreal bottom_ = 0;
    qreal y_ = 0;
    qreal width_ = 0;
    int pages_ = 1;
};

} // namespace

int printSheet(QPagedPaintDevice& device, const std::vector<SheetSection>& sheet, const SheetHeader& header) {
    QPainter painter(&device);
    PageWriter page(device, painter);
    const QFont title = page.font(14, true);
    const QFont heading = page.font(10.5, true);
    const QFont body = page.font(9, false);
    const qreal row = page.lineHeight(body);

    page.text(header.title, title);
    page.advance(page.lineHeight(title));
    const QString file = header.fileName.isEmpty() ? QStringLiteral("(nincs fájl)") : QFileInfo(header.fileName).fileName();
    page.text(QStringLiteral("Fájl: %1").arg(file), body);
    page.advance(row);
    page.text(QStringLiteral("Dátum: %1").arg(header.date.toString(QStringLiteral("yyyy-MM-dd HH:mm"))), body);
    page.advance(row * 1.5);

    const qreal labelWidth = page.width() * 0.45;
    for (const SheetSection& section : sheet) {
        // A heading goes to the next page together with its first row.
        page.reserve(page.lineHeight(heading) + row * 1.5);
        page.advance(row * 0.5);
        page.text(section.title, heading);
        page.advance(page.lineHeight(heading));
        page.rule();
        page.advance(row * 0.2);
        for (const SheetRow& r : section.rows) {
            page.reserve(row);
            page.text(r.label, body, 0, labelWidth - row);
            page.text(r.value, body, labelWidth);
            page.advance(row);
        }
    }
    painter.end();
    return page.pages();
}

} // namespace vantrel
