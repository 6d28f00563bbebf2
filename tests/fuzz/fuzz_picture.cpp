// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness: a picture file's bytes through reading, the bit-plane split, the block
// statistics of every plane and the report texts. Any inconsistency aborts.

#include "picturepath.h"

#include <cstdio>
#include <cstdlib>

// No application object: Qt finds its image plugins without one, and one destroyed from
// libFuzzer's exit handlers would outlive Qt's own statics.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Qt's readers warn about every broken file; that is the fuzzer's normal diet.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "fatal: %s\n", qPrintable(text));
            std::abort();
        }
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = PicturePath::check(bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "picture: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
