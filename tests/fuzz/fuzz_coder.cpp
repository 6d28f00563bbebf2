// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness: the Huffman coder on arbitrary probability lists must terminate and give a
// complete prefix-free code with one codeword per symbol.

#include "coderinput.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = CoderInput::run(bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "coder: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
