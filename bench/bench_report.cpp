// SPDX-License-Identifier: GPL-3.0-or-later
// The lab report of all eight planes of a 512 x 512 picture with every block type in the
// appendix: time to build the document and to write each format, and the files' sizes.
//
//   cmake --build build --target bench_report
//   QT_QPA_PLATFORM=offscreen build/bench/bench_report [runs]
//
// The picture is the built-in "Лена", whose low planes are close to noise (hundreds of block
// types each, so the appendix is long).

#include "benchtiming.h"
#include "builtinpictures.h"
#include "labreport.h"
#include "odtwriter.h"
#include "pdfwriter.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QGuiApplication application(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    const QString name = BuiltInPictures::names().first();
    const QImage picture(BuiltInPictures::resourcePath(name));
    if (picture.isNull()) {
        std::fprintf(stderr, "no picture\n");
        return 1;
    }
    ReportFields fields;
    fields.set(ReportFields::group, QStringLiteral("ИБ-201"));
    QElapsedTimer first;
    first.start();
    const LabReport::Input input = LabReport::model(
        QStringLiteral("Мама Мыла Раму"), picture, name, {1, 2, 3, 4, 5, 6, 7, 8}, fields, true);
    const double analysis = msSince(first);
    int rows = 0;
    for (const AnalysedPlane &plane : input.planes)
        rows += int(plane.statistics.types.size());

    ReportDocument document;
    const double build = medianMs(runs, [&] { document = LabReport::document(input); });
    QByteArray odt;
    QByteArray pdf;
    const double odtMs = medianMs(runs, [&] { odt = OdtWriter::write(document); });
    const double pdfMs = medianMs(runs, [&] { pdf = PdfWriter::write(document); });

    std::printf(
        "report of 8 planes of a 512 x 512 picture, %d block types in the appendix\n", rows);
    std::printf("  analysis of the 8 planes:   %8.1f ms (once)\n", analysis);
    std::printf("  document (both formats):    %8.1f ms\n", build);
    std::printf(
        "  ODT written:                %8.1f ms  %8.2f MB\n", odtMs, double(odt.size()) / 1048576);
    std::printf(
        "  PDF written:                %8.1f ms  %8.2f MB\n", pdfMs, double(pdf.size()) / 1048576);
    std::printf("  (medians of %d runs; limits: 2 s and 8 MB a format)\n", runs);
    return 0;
}
