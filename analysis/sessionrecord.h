// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labsession.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// What a handed-in file says of the session that wrote it, in a form that reads back: the
// homework's outcome, the variant, and each included plane with the codes as typed and the
// figures. The lab report and the saved results carry it as JSON (toJson), so that the teacher's
// key tool can judge them by recomputing, never by what their text claims: the ODT report as the
// package entry `packageEntry()` (listed in its manifest as application/json), the saved results
// as a file "NAME.json" beside the table "NAME.csv".
struct SessionRecord
{
    static constexpr int formatVersion = 1;

    struct Plane
    {
        QString picture; // as the report names it
        bool builtIn = false; // one of the program's own pictures (BuiltInPictures)
        // For a picture of the student's own: "sha256:" and the hash of its pixels (picture
        // fingerprint()), so that the same file can be recognised.
        QString fingerprint;
        int width = 0;
        int height = 0;
        int plane = 0; // 1..8; 0 for a picture analysed whole
        QStringList typed; // the hidden code cells as typed
        std::optional<bool> verdict; // the last check
        bool verdictCurrent = false; // no edit since that check
        // The figures as the report prints them.
        int types = 0;
        QString averageLength;
        QString entropy;
        int blocks = 0;
        // (pattern, count) of every block type, in table order: the plane's code can be worked
        // out again from these alone.
        QList<QPair<int, int>> histogram;
    };

    QString name; // the full name of the homework check; empty after a skip
    HomeworkOutcome::Verdict homework = HomeworkOutcome::Verdict::None;
    QString counters;
    QString kind;
    std::optional<int> variant;
    QList<Plane> planes;

    // The session's homework and variant, and the analysed planes of the given indices (into
    // LabSession::analysed()), in that order.
    static SessionRecord of(const LabSession &session, const QList<int> &planes);
    static Plane planeOf(const AnalysedPlane &analysed);

    QByteArray toJson() const;
    // Nothing when the bytes are not such a record (error says why, in Russian).
    static std::optional<SessionRecord> fromJson(const QByteArray &json, QString *error = nullptr);

    // "sha256:<hex>" of a picture's pixels: the grey levels row by row for a grey picture, red,
    // green and blue otherwise, whatever the file's format.
    static QString fingerprint(const QImage &picture);
    static QString verdictName(HomeworkOutcome::Verdict verdict);
    // "huffman-lab/session.json"
    static QString packageEntry() { return QStringLiteral("huffman-lab/session.json"); }
};
