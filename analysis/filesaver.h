// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes files that belong together. Each is written in full to a temporary file beside it, and
// only when all of them are does any replace what was on disk: a failure leaves every old file
// as it was and no half-written one behind.
class FileSaver
{
public:
    struct File
    {
        QString path;
        QByteArray data;
    };

    struct Result
    {
        QString failedPath; // empty on success
        QString reason; // why, in Russian, for the student
        bool ok() const { return failedPath.isEmpty(); }
    };

    static Result save(const QList<File> &files);
};
