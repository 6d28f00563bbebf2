// SPDX-License-Identifier: GPL-3.0-or-later
#include "vectorstate.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define HUFFMAN_LAB_X86 1
#endif

namespace {

#if defined(HUFFMAN_LAB_X86)
__attribute__((target("avx"))) void zeroUpper()
{
    __builtin_ia32_vzeroupper();
}

bool hasAvx()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
#endif

} // namespace

void VectorState::clearUpper()
{
#if defined(HUFFMAN_LAB_X86)
    static const bool avx = hasAvx();
    if (avx)
        zeroUpper();
#endif
}
