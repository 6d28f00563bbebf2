// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Some library code (Qt's BMP reader, for one) returns with the upper halves of the AVX
// registers in use. Until they are cleared, every SSE instruction of this program, compiled for
// the plain x86-64 instruction set, waits on them: the block statistics of a picture just loaded
// took three times as long. The analysis cores clear them before their loops.
namespace VectorState {

// Clears the upper halves where the processor has AVX; nothing elsewhere.
void clearUpper();

} // namespace VectorState
