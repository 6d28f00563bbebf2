// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The key tool's commands for a whole class: a names file in, one line per student out.
namespace KeyClass {

struct Output
{
    QByteArray out; // UTF-8 for standard output
    QString err; // for standard error, one line a problem
    int exitCode = 0;
};

// names FILE [--csv]: expected counters, distinct characters, the disputed mark and every
// answer the check accepts, per name.
Output names(const QStringList &arguments);

// check-all FILE [--csv]: the homework diagnosis of each submitted answer.
Output checkAll(const QStringList &arguments);

// variants [FILE] [--variant K] [--csv]: the answers of every variant, or of one, or of the
// variant each student of a class gets by their place in the list.
Output variants(const QStringList &arguments);

} // namespace KeyClass
