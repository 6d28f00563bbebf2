// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JPEG files Qt's writer never makes, written by libjpeg's own encoder: arithmetic-coded ones,
// and ones with restart markers. A test that includes this links libjpeg (JPEG::JPEG).

#include <QByteArray>
#include <QImage>

#include <cstdio> // jpeglib.h uses FILE without declaring it
#include <cstdlib>

#include <jpeglib.h>

namespace TestLibjpeg {

struct Options
{
    bool arithmetic = false;
    bool progressive = false;
    int restartRows = 0; // a restart marker after every that many rows of blocks; 0: none
};

// A grey picture (Format_Grayscale8) as libjpeg writes it at quality 90. Exits on any error:
// the pictures are the tests' own.
inline QByteArray encoded(const QImage &grey, const Options &options)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = JDIMENSION(grey.width());
    info.image_height = JDIMENSION(grey.height());
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    info.restart_in_rows = options.restartRows;
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar *>(grey.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char *>(bytes), qsizetype(size));
    std::free(bytes);
    return jpeg;
}

} // namespace TestLibjpeg
