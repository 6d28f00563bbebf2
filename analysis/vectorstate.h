// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Some library code (Qt's BMP reader, for one) returns with the upper halves of the AVX
// registers in use. Until they are cleared, the SSE instructions of this program, compiled for
// the plain x86-64 instruction set, wait on them: the block statistics of a plane of a picture
// just loaded took nearly twice as long. The analysis cores clear them before their loops.
namespace VectorState {

// Clears the upper halves where the processor has AVX; nothing elsewhere.
void clearUpper();

} // namespace VectorState
