// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a program's man page from its --help text, at build time:
//   helptoman PROGRAM SOURCE OUTPUT [SEE-ALSO...]
// e.g. helptoman keytool/huffman-lab-key "huffman-lab 1.0" huffman-lab-key.1 "huffman-lab(1)".
// Fails, and so fails the build, when the help does not follow the layout ManPage reads.

#include "manpage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: helptoman PROGRAM SOURCE OUTPUT [SEE-ALSO...]\n", stderr);
        return 2;
    }
    const QString program = arguments.at(1);

    QProcess process;
    process.start(program, {QStringLiteral("--help")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "helptoman: %s --help failed\n", qPrintable(program));
        return 1;
    }
    const QString help = QString::fromUtf8(process.readAllStandardOutput());

    const ManPage::Result page = ManPage::fromHelp(help, arguments.at(2), arguments.mid(4));
    if (!page.ok()) {
        std::fprintf(stderr, "helptoman: %s --help cannot become a man page: %s\n",
            qPrintable(program), qPrintable(page.error));
        return 1;
    }
    QFile output(arguments.at(3));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || output.write(page.roff.toUtf8()) < 0 || !output.flush()) {
        std::fprintf(stderr, "helptoman: cannot write %s\n", qPrintable(arguments.at(3)));
        return 1;
    }
    return 0;
}
