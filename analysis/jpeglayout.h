// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QIODevice;

// What a JPEG file's markers say before anything is decoded: the kind of frame, its size, how
// many scans there are and how much work they ask of the decoder, and whether the file reaches
// its end-of-image marker. Walks the whole file, skipping the scans' entropy-coded data.
struct JpegLayout
{
    bool isJpeg = false; // starts with the start-of-image marker
    int frameMarker = 0; // 0xc0 ... 0xcf of the first frame header; 0 when there is none
    int precision = 0; // bits per sample
    int width = 0;
    int height = 0;
    int scans = 0; // start-of-scan markers
    // 8 x 8 blocks over all scans, each scan counting the blocks of the components it codes: a
    // progressive decoder visits every one of them, however few bytes the scan has.
    qint64 scanBlocks = 0;
    bool complete = false; // the end-of-image marker was reached
    // Whether the scans bring every coefficient of every component to its full precision: a
    // progressive file cut between two scans, or a sequential one cut before a component's scan,
    // decodes without a word, the missing part left at zero.
    bool scansCover = false;
    // A Huffman-coded scan of DC values whose data has fewer bits than the scan has blocks: every
    // block's DC value takes a code of at least one bit, so that data cannot be whole. Known
    // from the markers alone, before any memory is taken for the pixels.
    bool scanDataShort = false;

    bool isLossless() const;
    bool isHierarchical() const;
    bool isProgressive() const;
    bool isArithmetic() const;

    static JpegLayout of(QIODevice *device);
};
