// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class ReportDocument;

// A report as an OpenDocument text package (.odt): content.xml, styles.xml with the page style
// (A4, margins 30/15/20/20 mm, page numbers in the footer except on the title page), meta.xml,
// the manifest, Pictures/*.png and the document's own data parts. Zipped with Qt's own writer.
class OdtWriter
{
public:
    // Page geometry in millimetres, kept in the file rather than left to the reader's defaults.
    static constexpr double pageWidth = 210;
    static constexpr double pageHeight = 297;
    static constexpr double marginLeft = 30;
    static constexpr double marginRight = 15;
    static constexpr double marginTop = 20;
    static constexpr double marginBottom = 20;
    // The footer with the page number, above the bottom margin, and its distance from the text.
    static constexpr double footerHeight = 6;
    static constexpr double footerSpacing = 3;
    static constexpr double textWidth = pageWidth - marginLeft - marginRight;

    static QByteArray write(const ReportDocument &document);
};
