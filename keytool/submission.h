// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sessionrecord.h"

#include <QString>
#include <QStringList>

#include <optional>

// One file a student handed in, as the teacher's folders hold it: the lab report (ODT, its data
// in the package entry SessionRecord::packageEntry()) or the saved results ("NAME.json" beside
// "NAME.csv"). Read with bounds: a file past maxFileSize, or a package entry declaring more than
// maxEntrySize or packed in more than maxPackedEntry bytes, is refused before it is read, so a zip
// bomb or a stray 1 GB file costs nothing.
struct Submission
{
    static constexpr qint64 maxFileSize = 64 * 1024 * 1024;
    static constexpr qint64 maxEntrySize = 8 * 1024 * 1024;
    // Deflate packs at most about 1:1032, so this bounds what inflating can make even when the
    // package lies about the entry's size.
    static constexpr qint64 maxPackedEntry = 256 * 1024;

    enum class Kind {
        Report, // ODT
        Results, // NAME.json
        // A document that may be a student's work but carries no data to judge (PDF, Word, the
        // results table without its NAME.json): the student's when Moodle's layout names them.
        Document,
        Foreign, // not something this program writes: skipped
    };

    QString path;
    Kind kind = Kind::Foreign;
    // Moodle's "download all submissions" puts each student's files in a folder named
    // "Иванов Иван Иванович_123456_assignsubmission_file_" (or prefixes the file names so): the
    // student's name and Moodle's number, empty when the file is not laid out so.
    QString sender;
    QString senderNumber;
    std::optional<SessionRecord> record;
    // In Russian: why a report or results file gave no record (damaged, cut short, too large,
    // without the program's data); for a foreign file, what it is.
    QString problem;

    // Reads one file; never throws, never reads a refused file.
    static Submission read(const QString &path);

    // Every file under the given files and folders, sorted; hidden files and the results table
    // "NAME.csv" that stands beside its "NAME.json" are left out. missing: the paths that are
    // neither a file nor a folder.
    static QStringList find(const QStringList &paths, QStringList *missing);

    // The entry of a zip package, or nothing and why (in Russian).
    static std::optional<QByteArray> packageEntry(
        const QString &path, const QString &entry, QString *why);

    // The student's name and number from a Moodle folder's (or file's) name; false when it is not
    // such a name.
    static bool moodleName(const QString &name, QString *student, QString *number);
};
