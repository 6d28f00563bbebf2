// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdfwriter.h"

#include "odtwriter.h"
#include "reportdocument.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <memory>

namespace {

// Device units a inch: fine enough that text lands where its metrics say.
constexpr int resolution = 600;

double units(double millimetres)
{
    return millimetres / 25.4 * resolution;
}

// Times New Roman as the ODT names it, Liberation Serif (the same metrics) where it is missing.
QFont reportFont(double points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Control characters from a pasted field would reach the page as boxes: shown as U+FFFD, as in
// the ODT; a line break inside a paragraph stays one.
QString printable(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        const char16_t u = c.unicode();
        if (c == u'\n')
            c = QChar(QChar::LineSeparator);
        else if (c == u'\t')
            c = QLatin1Char(' ');
        else if (u < 0x20)
            c = QChar(0xFFFD);
    }
    return safe;
}

// Lays the pages out top to bottom, one block at a time; a QTextDocument would do the same
// but lays a table out again for every cell filled, far too slow for the appendix' thousands
// of rows.
class Pages
{
public:
    explicit Pages(QPdfWriter &writer)
        : writer(writer)
        , painter(&writer)
    {
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    ~Pages() { painter.end(); }

    void paragraph(const QString &text, const QFont &font, Qt::Alignment align, double indent,
        double left = 0, double spacing = 1.5);
    void heading(const QString &text);
    void placeHeading(double next);
    void figure(const QImage &image, double widthMm, bool sharp, const QString &caption);
    void table(const QString &caption, const ReportDocument::Table &table);
    void space(int lines);
    void newPage();
    void gap(double millimetres);

private:
    struct Cell
    {
        std::shared_ptr<QTextLayout> layout;
        QImage image;
        double height = 0;
    };

    double remaining() const { return bodyHeight - y; }
    double lineHeight(const QFont &font) const;
    std::shared_ptr<QTextLayout> layOut(const QString &text, const QFont &font, Qt::Alignment align,
        double width, double indent) const;
    QList<Cell> row(const ReportDocument::Table &table, const QList<ReportDocument::Cell> &cells,
        const QList<double> &widths, bool heading) const;
    void drawRow(const QList<Cell> &cells, const QList<double> &widths, double height);

    QPdfWriter &writer;
    QPainter painter;
    const double left = units(OdtWriter::marginLeft);
    const double top = units(OdtWriter::marginTop);
    const double width = units(OdtWriter::textWidth);
    // As in the ODT, the footer with the page number lies above the bottom margin.
    const double bodyHeight = units(OdtWriter::pageHeight - OdtWriter::marginTop
        - OdtWriter::marginBottom - OdtWriter::footerHeight - OdtWriter::footerSpacing);
    const double padding = units(0.8);
    double y = 0;
    int page = 0;
    QString pendingHeading;
};

double Pages::lineHeight(const QFont &font) const
{
    return QFontMetricsF(font, &writer).lineSpacing();
}

std::shared_ptr<QTextLayout> Pages::layOut(const QString &text, const QFont &font,
    Qt::Alignment align, double lineWidth, double indent) const
{
    auto layout = std::make_shared<QTextLayout>(printable(text), font, &writer);
    QTextOption option(align);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double at = 0;
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(qMax(1.0, lineWidth - (first ? indent : 0)));
        line.setPosition(QPointF(first ? indent : 0, at));
        at += line.height();
    }
    layout->endLayout();
    return layout;
}

void Pages::newPage()
{
    placeHeading(0);
    writer.newPage();
    ++page;
    y = 0;
    // The page number, centred under the text; the title page (the first) has none.
    painter.setFont(reportFont(14));
    painter.setPen(Qt::black);
    const QRectF footer(left,
        units(OdtWriter::pageHeight - OdtWriter::marginBottom - OdtWriter::footerHeight), width,
        units(OdtWriter::footerHeight));
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom, QString::number(page + 1));
}

void Pages::gap(double millimetres)
{
    if (y > 0)
        y = qMin(bodyHeight, y + units(millimetres));
}

void Pages::paragraph(const QString &text, const QFont &font, Qt::Alignment align, double indent,
    double offset, double spacing)
{
    const auto layout = layOut(text, font, align, width - offset, indent);
    placeHeading(qMin(2, layout->lineCount()) * lineHeight(font) * spacing);
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        if (line.height() > remaining() && y > 0)
            newPage();
        layout->lineAt(i).draw(&painter, QPointF(left + offset, top + y - line.y()));
        y += line.height() * spacing;
    }
    if (layout->lineCount() == 0)
        y += lineHeight(font) * spacing;
}

void Pages::heading(const QString &text)
{
    placeHeading(0);
    pendingHeading = text;
}

// A heading is placed with the start of what follows it (next: that start's height), so that
// it never stands alone at the foot of a page.
void Pages::placeHeading(double next)
{
    if (pendingHeading.isEmpty())
        return;
    const QString text = pendingHeading;
    pendingHeading.clear();
    const QFont font = reportFont(14, true);
    const auto layout = layOut(text, font, Qt::AlignLeft, width, units(12.5));
    const double height = units(6) + layout->lineCount() * lineHeight(font) * 1.5;
    if (height + next > remaining() && y > 0)
        newPage();
    gap(4);
    paragraph(text, font, Qt::AlignLeft, units(12.5));
    gap(2);
}

void Pages::space(int lines)
{
    placeHeading(0);
    y += lines * lineHeight(reportFont(14)) * 1.5;
    if (y > bodyHeight)
        y = bodyHeight;
}

void Pages::figure(const QImage &image, double widthMm, bool sharp, const QString &caption)
{
    if (image.isNull())
        return;
    const QFont font = reportFont(14);
    const double captionHeight = lineHeight(font) * 1.5 * 2;
    double w = units(widthMm);
    double h = w * image.height() / image.width();
    // Never taller than a page.
    if (h > bodyHeight - captionHeight) {
        h = bodyHeight - captionHeight;
        w = h * image.width() / image.height();
    }
    placeHeading(h + captionHeight + units(3));
    gap(3);
    if (h + captionHeight > remaining())
        newPage();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !sharp);
    painter.drawImage(QRectF(left + (width - w) / 2, top + y, w, h), image);
    y += h + units(1);
    paragraph(caption, font, Qt::AlignHCenter, 0);
    gap(3);
}

QList<Pages::Cell> Pages::row(const ReportDocument::Table &,
    const QList<ReportDocument::Cell> &cells, const QList<double> &widths, bool heading) const
{
    QList<Cell> laid;
    for (qsizetype c = 0; c < widths.size(); ++c) {
        const ReportDocument::Cell cell = cells.value(c);
        Cell out;
        if (!cell.image.isNull()) {
            out.image = cell.image;
            out.height = units(6) * cell.image.height() / qMax(1, cell.image.width());
        } else {
            out.layout = layOut(cell.text, reportFont(12, heading || cell.bold),
                heading ? Qt::AlignHCenter : Qt::AlignLeft, widths.at(c) - 2 * padding, 0);
            out.height = out.layout->boundingRect().height();
        }
        laid.append(out);
    }
    return laid;
}

void Pages::drawRow(const QList<Cell> &cells, const QList<double> &widths, double height)
{
    double x = left;
    painter.setPen(QPen(Qt::black, units(0.18)));
    painter.setBrush(Qt::NoBrush);
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const QRectF box(x, top + y, widths.at(c), height);
        painter.drawRect(box);
        const Cell &cell = cells.at(c);
        if (!cell.image.isNull()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            const double w = units(6);
            painter.drawImage(QRectF(box.center().x() - w / 2, box.center().y() - cell.height / 2,
                                  w, cell.height),
                cell.image);
        } else if (cell.layout) {
            cell.layout->draw(
                &painter, QPointF(box.left() + padding, box.top() + (height - cell.height) / 2));
        }
        x += widths.at(c);
    }
    y += height;
}

void Pages::table(const QString &caption, const ReportDocument::Table &table)
{
    const QFont font = reportFont(14);
    int sum = 0;
    for (qsizetype c = 0; c < table.header.size(); ++c)
        sum += table.widths.value(c, 1);
    QList<double> widths;
    for (qsizetype c = 0; c < table.header.size(); ++c)
        widths.append(width * table.widths.value(c, 1) / qMax(1, sum));
    QList<ReportDocument::Cell> headerCells;
    for (const QString &title : table.header)
        headerCells.append(ReportDocument::Cell(title, true));
    const QList<Cell> header = row(table, headerCells, widths, true);
    auto heightOf = [&](const QList<Cell> &cells) {
        double h = 0;
        for (const Cell &cell : cells)
            h = qMax(h, cell.height);
        return h + 2 * padding;
    };
    const double headerHeight = heightOf(header);

    // The caption stays with the header and the first row.
    const QList<Cell> first
        = table.rows.isEmpty() ? QList<Cell>() : row(table, table.rows.first(), widths, false);
    const double start = units(3) + lineHeight(font) * 1.5 + headerHeight
        + (first.isEmpty() ? 0 : heightOf(first));
    placeHeading(start);
    gap(3);
    if (start > remaining())
        newPage();
    paragraph(caption, font, Qt::AlignLeft, 0);
    drawRow(header, widths, headerHeight);
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QList<Cell> cells = r == 0 ? first : row(table, table.rows.at(r), widths, false);
        const double h = heightOf(cells);
        if (h > remaining()) {
            // The header again at the top of the next page.
            newPage();
            drawRow(header, widths, headerHeight);
        }
        drawRow(cells, widths, h);
    }
    gap(2);
}

Qt::Alignment alignment(ReportDocument::Align align)
{
    switch (align) {
    case ReportDocument::Align::Centre:
        return Qt::AlignHCenter;
    case ReportDocument::Align::Justify:
        return Qt::AlignJustify;
    case ReportDocument::Align::Left:
    case ReportDocument::Align::Right:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

QByteArray PdfWriter::write(const ReportDocument &report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(resolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("huffman-lab"));
    for (const ReportDocument::DataPart &part : report.dataParts)
        writer.addFileAttachment(
            part.path.section(QLatin1Char('/'), -1), part.data, part.mediaType);
    {
        Pages pages(writer);
        using Kind = ReportDocument::Kind;
        for (const ReportDocument::Block &block : report.blocks) {
            switch (block.kind) {
            case Kind::TitleLine:
                pages.paragraph(block.text, reportFont(14, block.bold), alignment(block.align), 0,
                    block.align == ReportDocument::Align::Right ? units(85) : 0);
                break;
            case Kind::Heading:
                pages.heading(block.text);
                break;
            case Kind::Paragraph:
                pages.paragraph(block.text, reportFont(14, block.bold), alignment(block.align),
                    block.align == ReportDocument::Align::Justify ? units(12.5) : 0);
                break;
            case Kind::Formula:
                pages.gap(1);
                pages.paragraph(block.text, reportFont(14), Qt::AlignHCenter, 0);
                pages.gap(1);
                break;
            case Kind::Figure:
                pages.figure(block.image, block.widthMm, block.sharp,
                    ReportDocument::figureCaption(block.number, block.text));
                break;
            case Kind::Table:
                pages.table(ReportDocument::tableCaption(block.number, block.text), block.table);
                break;
            case Kind::PageBreak:
                pages.newPage();
                break;
            case Kind::Space:
                pages.space(block.lines);
                break;
            }
        }
        pages.placeHeading(0);
    }
    return bytes;
}
