// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesaver.h"
#include "labsession.h"
#include "reportdocument.h"
#include "reportfields.h"
#include "sessionrecord.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class LabSession;

// The lab report ("отчёт по лабораторной работе"): the session's homework, the planes the
// student chose and the comparison of a split picture's planes, as one document written as ODT
// or PDF. Reads the session only, never the window.
class LabReport
{
public:
    enum class Format { Odt, Pdf };

    struct Input
    {
        ReportFields fields;
        HomeworkOutcome homework;
        QList<AnalysedPlane> planes; // those the report includes, in order
        // The planes of the split picture in view, for the comparison; none when it was not split.
        QString comparedName;
        std::array<QImage, LabSession::planeCount> comparedPlanes;
        std::optional<int> variant;
        bool fullTables = false; // every block type in an appendix
        // The teacher's model: every code shown, the homework as the program answers it.
        bool key = false;
    };

    // The report of a session: analysed()[i] for each i of included, in that order.
    static Input fromSession(const LabSession &session, const QList<int> &included,
        const ReportFields &fields, bool fullTables);
    // The teacher's model report of a picture's planes (1..8): the homework answered for the
    // name, each plane's codes typed right and checked.
    static Input model(const QString &name, const QImage &picture, const QString &pictureName,
        const QList<int> &planeNumbers, const ReportFields &fields, bool fullTables);

    static ReportDocument document(const Input &input);
    // The data the report carries for reading back (a part of the ODT, an attachment of the PDF).
    static QByteArray sessionData(const Input &input);
    static QString dataPartPath() { return SessionRecord::packageEntry(); }

    // By the file's suffix: .pdf is PDF, anything else ODT.
    static Format formatOf(const QString &path);
    static QByteArray write(const ReportDocument &document, Format format);
    // Written whole or not at all; the reason in Russian when not.
    static FileSaver::Result save(const QString &path, const ReportDocument &document);

    // How many table rows the text shows before the appendix takes over.
    static constexpr int firstRows = 10;

    // A block type's picture in the tables: its 3 x 3 pixels with a grid.
    static QImage blockImage(int pattern);
};
