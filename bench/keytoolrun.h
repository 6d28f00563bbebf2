// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs of the key tool as a whole process, for the benchmarks that time it: the target defines
// KEYTOOL_PATH.

#include "benchtiming.h"

#include <QProcess>
#include <QStringList>

// The median of three runs of the key tool with `arguments`, process start included; `lines`
// gets how many lines it printed.
inline double keyToolMs(const QStringList &arguments, int *lines)
{
    return medianMs(3, [&] {
        QProcess process;
        process.start(QStringLiteral(KEYTOOL_PATH), arguments);
        process.waitForFinished(-1);
        *lines = int(process.readAllStandardOutput().count('\n'));
    });
}
