// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class ReportDocument;

// A report as PDF: the same pages as the ODT (A4, the same margins, fonts and spacing, page
// numbers at the bottom except on the title page), laid out by QTextDocument and drawn page by
// page with QPdfWriter, which embeds the font. The document's data parts are attached to the
// file.
class PdfWriter
{
public:
    static QByteArray write(const ReportDocument &document);
};
