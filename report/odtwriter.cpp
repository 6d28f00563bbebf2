// SPDX-License-Identifier: GPL-3.0-or-later
#include "odtwriter.h"

#include "reportdocument.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>

#include <private/qzipwriter_p.h>

#include <cmath>

namespace {

const char *const mimeType = "application/vnd.oasis.opendocument.text";

// The namespaces every part declares (the ones it uses among them).
const QList<QPair<const char *, const char *>> namespaces {
    {"office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
    {"style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
    {"text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
    {"table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
    {"draw", "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"},
    {"fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"},
    {"xlink", "http://www.w3.org/1999/xlink"},
    {"dc", "http://purl.org/dc/elements/1.1/"},
    {"meta", "urn:oasis:names:tc:opendocument:xmlns:meta:1.0"},
    {"svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"},
};

QString mm(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("mm");
}

void startRoot(QXmlStreamWriter &xml, const QString &name)
{
    xml.setAutoFormatting(false);
    xml.writeStartDocument();
    xml.writeStartElement(name);
    for (const auto &[prefix, uri] : namespaces)
        xml.writeAttribute(QStringLiteral("xmlns:") + QLatin1String(prefix), QLatin1String(uri));
    xml.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.3"));
}

// Text the XML may hold: characters XML 1.0 forbids (control characters from a pasted field)
// become U+FFFD rather than breaking the file.
QString xmlSafe(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF)
            c = QChar(0xFFFD);
    }
    return safe;
}

// A paragraph's text: tabs, line breaks and runs of spaces as ODF's own elements, so that the
// reader shows them as written (XML would collapse them).
void writeText(QXmlStreamWriter &xml, const QString &text)
{
    const QString safe = xmlSafe(text);
    QString run;
    auto flush = [&] {
        if (!run.isEmpty())
            xml.writeCharacters(run);
        run.clear();
    };
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar c = safe.at(i);
        if (c == u'\t') {
            flush();
            xml.writeEmptyElement(QStringLiteral("text:tab"));
        } else if (c == u'\n') {
            flush();
            xml.writeEmptyElement(QStringLiteral("text:line-break"));
        } else if (c == u' '
            && (i == 0 || safe.at(i - 1) == u' ' || i + 1 == safe.size()
                || safe.at(i + 1) == u' ')) {
            // A space at either end or in a run: count the run.
            qsizetype end = i;
            while (end < safe.size() && safe.at(end) == u' ')
                ++end;
            flush();
            xml.writeEmptyElement(QStringLiteral("text:s"));
            if (end - i > 1)
                xml.writeAttribute(QStringLiteral("text:c"), QString::number(end - i));
            i = end - 1;
        } else {
            run += c;
        }
    }
    flush();
}

struct Picture
{
    QString path;
    QByteArray png;
};

class ContentWriter
{
public:
    explicit ContentWriter(const ReportDocument &document)
        : document(document)
    { }

    QByteArray content();
    QList<Picture> pictures;

private:
    QString pictureFor(const QImage &image);
    QString paragraphStyle(const QString &base);
    void paragraph(QXmlStreamWriter &xml, const QString &style, const QString &text, bool bold);
    void frame(QXmlStreamWriter &xml, const QImage &image, double widthMm);
    void table(QXmlStreamWriter &xml, const ReportDocument::Block &block);

    const ReportDocument &document;
    QHash<qint64, QString> byCacheKey;
    QHash<QByteArray, QString> byBytes;
    int frames = 0;
    bool breakPending = false;
    bool first = true;
    bool leftTitlePage = false;
    QSet<QString> derivedStyles; // the automatic styles paragraphStyle made
};

QString ContentWriter::pictureFor(const QImage &image)
{
    const auto known = byCacheKey.constFind(image.cacheKey());
    if (known != byCacheKey.cend())
        return *known;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray digest = QCryptographicHash::hash(png, QCryptographicHash::Sha1);
    QString path = byBytes.value(digest);
    if (path.isEmpty()) {
        path = QStringLiteral("Pictures/%1.png").arg(pictures.size() + 1);
        pictures.append({path, png});
        byBytes.insert(digest, path);
    }
    byCacheKey.insert(image.cacheKey(), path);
    return path;
}

// The style of the next paragraph: the first one opens the title page's master page, the one
// after a page break starts a new page (after the title page, on the numbered master page).
QString ContentWriter::paragraphStyle(const QString &base)
{
    if (first) {
        first = false;
        derivedStyles.insert(QStringLiteral("T|") + base);
        return QStringLiteral("T_") + base;
    }
    if (breakPending) {
        breakPending = false;
        const bool master = !leftTitlePage;
        leftTitlePage = true;
        const QString key = (master ? QStringLiteral("M|") : QStringLiteral("B|")) + base;
        derivedStyles.insert(key);
        return (master ? QStringLiteral("M_") : QStringLiteral("B_")) + base;
    }
    return base;
}

void ContentWriter::paragraph(
    QXmlStreamWriter &xml, const QString &style, const QString &text, bool bold)
{
    xml.writeStartElement(QStringLiteral("text:p"));
    xml.writeAttribute(QStringLiteral("text:style-name"), paragraphStyle(style));
    if (bold) {
        xml.writeStartElement(QStringLiteral("text:span"));
        xml.writeAttribute(QStringLiteral("text:style-name"), QStringLiteral("Bold"));
        writeText(xml, text);
        xml.writeEndElement();
    } else {
        writeText(xml, text);
    }
    xml.writeEndElement();
}

void ContentWriter::frame(QXmlStreamWriter &xml, const QImage &image, double widthMm)
{
    const double heightMm = image.width() > 0 ? widthMm * image.height() / image.width() : 0;
    xml.writeStartElement(QStringLiteral("draw:frame"));
    xml.writeAttribute(QStringLiteral("draw:style-name"), QStringLiteral("fr1"));
    xml.writeAttribute(QStringLiteral("draw:name"), QStringLiteral("Изображение%1").arg(++frames));
    xml.writeAttribute(QStringLiteral("text:anchor-type"), QStringLiteral("as-char"));
    xml.writeAttribute(QStringLiteral("svg:width"), mm(widthMm));
    xml.writeAttribute(QStringLiteral("svg:height"), mm(heightMm));
    xml.writeAttribute(QStringLiteral("draw:z-index"), QStringLiteral("0"));
    xml.writeEmptyElement(QStringLiteral("draw:image"));
    xml.writeAttribute(QStringLiteral("xlink:href"), pictureFor(image));
    xml.writeAttribute(QStringLiteral("xlink:type"), QStringLiteral("simple"));
    xml.writeAttribute(QStringLiteral("xlink:show"), QStringLiteral("embed"));
    xml.writeAttribute(QStringLiteral("xlink:actuate"), QStringLiteral("onLoad"));
    xml.writeAttribute(QStringLiteral("draw:mime-type"), QStringLiteral("image/png"));
    xml.writeEndElement();
}

void ContentWriter::table(QXmlStreamWriter &xml, const ReportDocument::Block &block)
{
    paragraph(xml, QStringLiteral("Table_20_Caption"),
        ReportDocument::tableCaption(block.number, block.text), false);
    const ReportDocument::Table &t = block.table;
    const QString name = QStringLiteral("Таблица%1").arg(block.number);
    xml.writeStartElement(QStringLiteral("table:table"));
    xml.writeAttribute(QStringLiteral("table:name"), name);
    xml.writeAttribute(QStringLiteral("table:style-name"), QStringLiteral("Tbl"));
    for (qsizetype c = 0; c < t.header.size(); ++c) {
        xml.writeEmptyElement(QStringLiteral("table:table-column"));
        xml.writeAttribute(QStringLiteral("table:style-name"),
            QStringLiteral("Tbl%1.%2").arg(block.number).arg(c));
    }
    auto cell = [&](const ReportDocument::Cell &content, const QString &style) {
        xml.writeStartElement(QStringLiteral("table:table-cell"));
        xml.writeAttribute(QStringLiteral("table:style-name"), QStringLiteral("Cell"));
        xml.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("string"));
        xml.writeStartElement(QStringLiteral("text:p"));
        xml.writeAttribute(QStringLiteral("text:style-name"), style);
        if (!content.image.isNull()) {
            frame(xml, content.image, 6);
        } else if (content.bold) {
            xml.writeStartElement(QStringLiteral("text:span"));
            xml.writeAttribute(QStringLiteral("text:style-name"), QStringLiteral("Bold"));
            writeText(xml, content.text);
            xml.writeEndElement();
        } else {
            writeText(xml, content.text);
        }
        xml.writeEndElement();
        xml.writeEndElement();
    };
    xml.writeStartElement(QStringLiteral("table:table-header-rows"));
    xml.writeStartElement(QStringLiteral("table:table-row"));
    for (const QString &title : t.header)
        cell(ReportDocument::Cell(title), QStringLiteral("Table_20_Heading"));
    xml.writeEndElement();
    xml.writeEndElement();
    for (const QList<ReportDocument::Cell> &row : t.rows) {
        xml.writeStartElement(QStringLiteral("table:table-row"));
        xml.writeAttribute(QStringLiteral("table:style-name"), QStringLiteral("Row"));
        for (qsizetype c = 0; c < t.header.size(); ++c)
            cell(row.value(c), QStringLiteral("Table_20_Contents"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QByteArray ContentWriter::content()
{
    // The body first: the automatic styles it needs are known only afterwards.
    QByteArray body;
    {
        QXmlStreamWriter xml(&body);
        xml.writeStartElement(QStringLiteral("office:text"));
        for (const ReportDocument::Block &block : document.blocks) {
            using Kind = ReportDocument::Kind;
            switch (block.kind) {
            case Kind::TitleLine: {
                static const char *const styles[] {
                    "Title_20_Left", "Title_20_Line", "Title_20_Right", "Title_20_Line"};
                paragraph(xml, QLatin1String(styles[int(block.align)]), block.text, block.bold);
                break;
            }
            case Kind::Heading:
                xml.writeStartElement(QStringLiteral("text:h"));
                xml.writeAttribute(QStringLiteral("text:style-name"),
                    paragraphStyle(QStringLiteral("Heading_20_%1").arg(block.level)));
                xml.writeAttribute(
                    QStringLiteral("text:outline-level"), QString::number(block.level));
                writeText(xml, block.text);
                xml.writeEndElement();
                break;
            case Kind::Paragraph:
                paragraph(xml,
                    block.align == ReportDocument::Align::Justify ? QStringLiteral("Text_20_body")
                                                                  : QStringLiteral("Text_20_Plain"),
                    block.text, block.bold);
                break;
            case Kind::Formula:
                paragraph(xml, QStringLiteral("Formula"), block.text, false);
                break;
            case Kind::Figure:
                xml.writeStartElement(QStringLiteral("text:p"));
                xml.writeAttribute(
                    QStringLiteral("text:style-name"), paragraphStyle(QStringLiteral("Figure")));
                frame(xml, block.image, block.widthMm);
                xml.writeEndElement();
                paragraph(xml, QStringLiteral("Figure_20_Caption"),
                    ReportDocument::figureCaption(block.number, block.text), false);
                break;
            case Kind::Table:
                table(xml, block);
                break;
            case Kind::PageBreak:
                breakPending = true;
                break;
            case Kind::Space:
                for (int i = 0; i < block.lines; ++i)
                    paragraph(xml, QStringLiteral("Text_20_Plain"), QString(), false);
                break;
            }
        }
        xml.writeEndElement();
    }

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startRoot(xml, QStringLiteral("office:document-content"));
    xml.writeStartElement(QStringLiteral("office:automatic-styles"));
    // Paragraph styles derived for the title page and the page breaks.
    QStringList derived(derivedStyles.cbegin(), derivedStyles.cend());
    derived.sort();
    for (const QString &key : std::as_const(derived)) {
        const QString base = key.mid(2);
        const QChar kind = key.at(0);
        xml.writeStartElement(QStringLiteral("style:style"));
        xml.writeAttribute(QStringLiteral("style:name"), QString(kind) + u'_' + base);
        xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("paragraph"));
        xml.writeAttribute(QStringLiteral("style:parent-style-name"), base);
        if (kind == u'T')
            xml.writeAttribute(
                QStringLiteral("style:master-page-name"), QStringLiteral("Title_20_Page"));
        else if (kind == u'M')
            xml.writeAttribute(
                QStringLiteral("style:master-page-name"), QStringLiteral("Standard"));
        if (kind != u'T') {
            xml.writeEmptyElement(QStringLiteral("style:paragraph-properties"));
            xml.writeAttribute(QStringLiteral("fo:break-before"), QStringLiteral("page"));
        }
        xml.writeEndElement();
    }
    // Writer reads a table cell's style from here only, not from the common styles.
    xml.writeStartElement(QStringLiteral("style:style"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Cell"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-cell"));
    xml.writeEmptyElement(QStringLiteral("style:table-cell-properties"));
    xml.writeAttribute(QStringLiteral("fo:padding"), QStringLiteral("0.8mm"));
    xml.writeAttribute(QStringLiteral("fo:border"), QStringLiteral("0.5pt solid #000000"));
    xml.writeEndElement();
    // A row whole on one page, as the PDF keeps it.
    xml.writeStartElement(QStringLiteral("style:style"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Row"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-row"));
    xml.writeEmptyElement(QStringLiteral("style:table-row-properties"));
    xml.writeAttribute(QStringLiteral("fo:keep-together"), QStringLiteral("always"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("style:style"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Tbl"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table"));
    xml.writeEmptyElement(QStringLiteral("style:table-properties"));
    xml.writeAttribute(QStringLiteral("style:width"), mm(OdtWriter::textWidth));
    xml.writeAttribute(QStringLiteral("table:align"), QStringLiteral("margins"));
    xml.writeEndElement();
    for (const ReportDocument::Block &block : document.blocks) {
        if (block.kind != ReportDocument::Kind::Table)
            continue;
        const QList<int> &widths = block.table.widths;
        int sum = 0;
        for (qsizetype c = 0; c < block.table.header.size(); ++c)
            sum += widths.value(c, 1);
        for (qsizetype c = 0; c < block.table.header.size(); ++c) {
            xml.writeStartElement(QStringLiteral("style:style"));
            xml.writeAttribute(
                QStringLiteral("style:name"), QStringLiteral("Tbl%1.%2").arg(block.number).arg(c));
            xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-column"));
            xml.writeEmptyElement(QStringLiteral("style:table-column-properties"));
            xml.writeAttribute(QStringLiteral("style:column-width"),
                mm(OdtWriter::textWidth * widths.value(c, 1) / sum));
            xml.writeAttribute(QStringLiteral("style:rel-column-width"),
                QString::number(widths.value(c, 1) * 1000) + u'*');
            xml.writeEndElement();
        }
    }
    xml.writeEndElement(); // automatic-styles
    xml.writeStartElement(QStringLiteral("office:body"));
    xml.writeCharacters(QString()); // closes the start tag before the raw body
    xml.device()->write(body);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray styles()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startRoot(xml, QStringLiteral("office:document-styles"));
    QByteArray rest = R"(<office:font-face-decls>
<style:font-face style:name="Times New Roman" svg:font-family="&apos;Times New Roman&apos;" style:font-family-generic="roman" style:font-pitch="variable"/>
<style:font-face style:name="Liberation Serif" svg:font-family="&apos;Liberation Serif&apos;" style:font-family-generic="roman" style:font-pitch="variable"/>
</office:font-face-decls>
<office:styles>
<style:default-style style:family="paragraph">
<style:paragraph-properties fo:line-height="150%" fo:orphans="2" fo:widows="2" style:writing-mode="lr-tb"/>
<style:text-properties style:font-name="Times New Roman" fo:font-size="14pt" fo:language="ru" fo:country="RU" fo:hyphenate="false"/>
</style:default-style>
<style:default-style style:family="table-cell"><style:table-cell-properties style:vertical-align="middle"/></style:default-style>
<style:style style:name="Standard" style:family="paragraph" style:class="text"/>
<style:style style:name="Text_20_body" style:display-name="Text body" style:family="paragraph" style:parent-style-name="Standard" style:class="text">
<style:paragraph-properties fo:text-align="justify" fo:text-indent="12.5mm" fo:margin-top="0mm" fo:margin-bottom="0mm"/>
</style:style>
<style:style style:name="Text_20_Plain" style:display-name="Text Plain" style:family="paragraph" style:parent-style-name="Standard" style:class="text">
<style:paragraph-properties fo:text-align="start" fo:text-indent="0mm"/>
</style:style>
<style:style style:name="Heading" style:family="paragraph" style:parent-style-name="Standard" style:class="text">
<style:paragraph-properties fo:keep-with-next="always" fo:text-indent="12.5mm" fo:margin-top="4mm" fo:margin-bottom="2mm"/>
<style:text-properties fo:font-weight="bold"/>
</style:style>
<style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph" style:parent-style-name="Heading" style:default-outline-level="1" style:class="text">
<style:text-properties fo:font-size="14pt" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Heading_20_2" style:display-name="Heading 2" style:family="paragraph" style:parent-style-name="Heading" style:default-outline-level="2" style:class="text">
<style:text-properties fo:font-size="14pt" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Title_20_Line" style:display-name="Title Line" style:family="paragraph" style:parent-style-name="Standard">
<style:paragraph-properties fo:text-align="center"/>
</style:style>
<style:style style:name="Title_20_Left" style:display-name="Title Left" style:family="paragraph" style:parent-style-name="Standard">
<style:paragraph-properties fo:text-align="start"/>
</style:style>
<style:style style:name="Title_20_Right" style:display-name="Title Right" style:family="paragraph" style:parent-style-name="Standard">
<style:paragraph-properties fo:text-align="start" fo:margin-left="85mm"/>
</style:style>
<style:style style:name="Formula" style:family="paragraph" style:parent-style-name="Standard">
<style:paragraph-properties fo:text-align="center" fo:margin-top="1mm" fo:margin-bottom="1mm"/>
</style:style>
<style:style style:name="Figure" style:family="paragraph" style:parent-style-name="Standard">
<style:paragraph-properties fo:text-align="center" fo:keep-with-next="always" fo:margin-top="3mm" fo:line-height="100%"/>
</style:style>
<style:style style:name="Figure_20_Caption" style:display-name="Figure Caption" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
<style:paragraph-properties fo:text-align="center" fo:margin-bottom="3mm"/>
</style:style>
<style:style style:name="Table_20_Caption" style:display-name="Table Caption" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
<style:paragraph-properties fo:text-align="start" fo:keep-with-next="always" fo:margin-top="3mm"/>
</style:style>
<style:style style:name="Table_20_Contents" style:display-name="Table Contents" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
<style:paragraph-properties fo:text-align="start" fo:line-height="100%"/>
<style:text-properties fo:font-size="12pt"/>
</style:style>
<style:style style:name="Table_20_Heading" style:display-name="Table Heading" style:family="paragraph" style:parent-style-name="Table_20_Contents" style:class="extra">
<style:paragraph-properties fo:text-align="center"/>
<style:text-properties fo:font-weight="bold"/>
</style:style>
<style:style style:name="Footer" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
<style:paragraph-properties fo:text-align="center" fo:line-height="100%"/>
</style:style>
<style:style style:name="Bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="fr1" style:family="graphic">
<style:graphic-properties style:vertical-pos="middle" style:vertical-rel="line" fo:border="none" fo:padding="0mm"/>
</style:style>
</office:styles>
<office:automatic-styles>
)";
    // Both page layouts: A4 with the margins; the numbered one keeps its footer inside the
    // bottom margin, so the margins stay as stated on every page.
    for (const char *name : {"pm1", "pm2"}) {
        rest += QStringLiteral(
            "<style:page-layout style:name=\"%1\"><style:page-layout-properties "
            "fo:page-width=\"%2\" fo:page-height=\"%3\" style:print-orientation=\"portrait\" "
            "fo:margin-top=\"%4\" fo:margin-bottom=\"%5\" fo:margin-left=\"%6\" "
            "fo:margin-right=\"%7\" style:writing-mode=\"lr-tb\"/>")
                    .arg(QLatin1String(name), mm(OdtWriter::pageWidth), mm(OdtWriter::pageHeight),
                        mm(OdtWriter::marginTop), mm(OdtWriter::marginBottom),
                        mm(OdtWriter::marginLeft), mm(OdtWriter::marginRight))
                    .toUtf8();
        if (qstrcmp(name, "pm1") == 0)
            rest += QStringLiteral(
                "<style:footer-style><style:header-footer-properties "
                "fo:min-height=\"%1\" fo:margin-top=\"%2\"/></style:footer-style>")
                        .arg(mm(OdtWriter::footerHeight), mm(OdtWriter::footerSpacing))
                        .toUtf8();
        rest += "</style:page-layout>\n";
    }
    rest += R"(</office:automatic-styles>
<office:master-styles>
<style:master-page style:name="Standard" style:page-layout-name="pm1">
<style:footer><text:p text:style-name="Footer"><text:page-number text:select-page="current"/></text:p></style:footer>
</style:master-page>
<style:master-page style:name="Title_20_Page" style:display-name="Title Page" style:page-layout-name="pm2" style:next-style-name="Standard"/>
</office:master-styles>
</office:document-styles>
)";
    xml.writeCharacters(QString());
    xml.device()->write(rest);
    return bytes;
}

QByteArray meta(const ReportDocument &document)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startRoot(xml, QStringLiteral("office:document-meta"));
    xml.writeStartElement(QStringLiteral("office:meta"));
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    xml.writeTextElement(QStringLiteral("meta:generator"), QStringLiteral("huffman-lab"));
    xml.writeTextElement(QStringLiteral("dc:title"), xmlSafe(document.title));
    xml.writeTextElement(QStringLiteral("dc:subject"), xmlSafe(document.subject));
    xml.writeTextElement(QStringLiteral("meta:initial-creator"), xmlSafe(document.author));
    xml.writeTextElement(QStringLiteral("dc:creator"), xmlSafe(document.author));
    xml.writeTextElement(QStringLiteral("meta:creation-date"), now);
    xml.writeTextElement(QStringLiteral("dc:date"), now);
    xml.writeTextElement(QStringLiteral("dc:language"), QStringLiteral("ru-RU"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray manifest(const QList<QPair<QString, QString>> &entries)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("manifest:manifest"));
    xml.writeAttribute(QStringLiteral("xmlns:manifest"),
        QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"));
    xml.writeAttribute(QStringLiteral("manifest:version"), QStringLiteral("1.3"));
    xml.writeEmptyElement(QStringLiteral("manifest:file-entry"));
    xml.writeAttribute(QStringLiteral("manifest:full-path"), QStringLiteral("/"));
    xml.writeAttribute(QStringLiteral("manifest:version"), QStringLiteral("1.3"));
    xml.writeAttribute(QStringLiteral("manifest:media-type"), QLatin1String(mimeType));
    for (const auto &[path, type] : entries) {
        xml.writeEmptyElement(QStringLiteral("manifest:file-entry"));
        xml.writeAttribute(QStringLiteral("manifest:full-path"), path);
        xml.writeAttribute(QStringLiteral("manifest:media-type"), type);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace

QByteArray OdtWriter::write(const ReportDocument &document)
{
    ContentWriter writer(document);
    const QByteArray content = writer.content();

    QByteArray package;
    QBuffer buffer(&package);
    buffer.open(QIODevice::WriteOnly);
    QZipWriter zip(&buffer);
    // The mimetype first and stored, as readers that sniff the package expect.
    zip.setCompressionPolicy(QZipWriter::NeverCompress);
    zip.addFile(QStringLiteral("mimetype"), QByteArray(mimeType));
    zip.setCompressionPolicy(QZipWriter::AutoCompress);
    QList<QPair<QString, QString>> entries {
        {QStringLiteral("content.xml"), QStringLiteral("text/xml")},
        {QStringLiteral("styles.xml"), QStringLiteral("text/xml")},
        {QStringLiteral("meta.xml"), QStringLiteral("text/xml")}};
    zip.addFile(QStringLiteral("content.xml"), content);
    zip.addFile(QStringLiteral("styles.xml"), styles());
    zip.addFile(QStringLiteral("meta.xml"), meta(document));
    // PNGs are compressed already.
    zip.setCompressionPolicy(QZipWriter::NeverCompress);
    for (const Picture &picture : std::as_const(writer.pictures)) {
        zip.addFile(picture.path, picture.png);
        entries.append({picture.path, QStringLiteral("image/png")});
    }
    zip.setCompressionPolicy(QZipWriter::AutoCompress);
    for (const ReportDocument::DataPart &part : document.dataParts) {
        zip.addFile(part.path, part.data);
        entries.append({part.path, part.mediaType});
    }
    zip.addFile(QStringLiteral("META-INF/manifest.xml"), manifest(entries));
    zip.close();
    if (zip.status() != QZipWriter::NoError)
        return {};
    return package;
}
