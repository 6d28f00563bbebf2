// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpegdecoder.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE without declaring it
#include <memory>

// clang-format off: jerror.h names the arithmetic decoder's codes only after jpeglib.h
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

using Outcome = JpegDecoder::Outcome;

struct Source
{
    jpeg_source_mgr manager;
    QIODevice *device;
    JOCTET chunk[64 * 1024];
};

// libjpeg's messages as codes. A fatal error leaves through `jump`; no object with a destructor
// lives between the setjmp and the calls that may jump.
struct Errors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    int fatal = 0; // the code of the error that stopped the decoder
    Outcome first = Outcome::Decoded; // what the first warning that matters says
    bool renumbered = false; // a restart marker was taken for another of its number
};

struct Progress
{
    jpeg_progress_mgr manager;
    bool ranOutEarly = false;
};

void initSource(j_decompress_ptr) { }

void termSource(j_decompress_ptr) { }

boolean fillInput(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    const qint64 got
        = source->device->read(reinterpret_cast<char *>(source->chunk), sizeof source->chunk);
    if (got <= 0) {
        // The file has ended: an end-of-image marker, as libjpeg's own sources give. Whether a
        // scan still wanted data, its entropy decoder tells.
        static const JOCTET end[2] = {0xff, JPEG_EOI};
        source->manager.next_input_byte = end;
        source->manager.bytes_in_buffer = sizeof end;
        return TRUE;
    }
    source->manager.next_input_byte = source->chunk;
    source->manager.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    jpeg_source_mgr *source = info->src;
    if (count <= 0)
        return;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        fillInput(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

[[noreturn]] void errorExit(j_common_ptr info)
{
    auto *errors = reinterpret_cast<Errors *>(info->err);
    errors->fatal = errors->manager.msg_code;
    std::longjmp(errors->jump, 1);
}

void outputMessage(j_common_ptr) { }

bool isRestart(int marker)
{
    return marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
}

void emitMessage(j_common_ptr info, int level)
{
    if (level >= 0) // trace messages
        return;
    auto *errors = reinterpret_cast<Errors *>(info->err);
    ++errors->manager.num_warnings;
    if (errors->first != Outcome::Decoded)
        return;
    switch (errors->manager.msg_code) {
    case JWRN_HIT_MARKER: // a Huffman-coded scan wanted bits past the end of its data
        errors->first = Outcome::Truncated;
        break;
    case JWRN_MUST_RESYNC: { // after an interval of blocks, some other marker than the next RST
        const int marker = errors->manager.msg_parm.i[0];
        const int expected = errors->manager.msg_parm.i[1];
        if (!isRestart(marker)) {
            errors->first = Outcome::Truncated;
            break;
        }
        // jpeg_resync_to_restart: a restart one or two numbers ahead stands for lost intervals,
        // one or two behind for a repeated one, and either loses blocks. Any other number is
        // a marker misnumbered in its place: it is dropped and the next interval decoded from
        // the data after it, so nothing is lost.
        const int ahead = (marker - JPEG_RST0 - expected) & 7;
        if (ahead >= 3 && ahead <= 5)
            errors->renumbered = true;
        else
            errors->first = Outcome::LostRestart;
        break;
    }
    case JWRN_HUFF_BAD_CODE: // what follows in the scan is decoded as zeros
    case JWRN_ARITH_BAD_CODE:
        errors->first = Outcome::Damaged;
        break;
    default:
        // An unknown JFIF or Adobe version, bytes between segments, a bad colour profile, scan
        // parameters the decoder overrides, a refinement scan repeated: every block is decoded
        // from the file's data.
        break;
    }
}

// An arithmetic-coded scan may legitimately meet the marker after it a little early: the
// decoder reads up to four bytes ahead, and the encoder drops the zero bytes its last symbols end
// in, which the decoder then supplies. When the data has run out with 128 blocks or more still to
// decode, the file has lost data: a block of a DC refinement scan costs about one bit, so that is
// far more than the look-ahead. No rule can be exact here, since zeros are what a run of uniform
// blocks codes to: a complete file ending in 128 uniform blocks (a black band along the bottom)
// is taken for a cut one, and a file cut where fewer blocks, or only uniform ones, were left
// passes.
constexpr long blocksLeftWhenCut = 128;

void watchRows(j_common_ptr common)
{
    auto *info = reinterpret_cast<j_decompress_ptr>(common);
    auto *progress = reinterpret_cast<Progress *>(info->progress);
    if (!info->arith_code || info->unread_marker == 0 || isRestart(info->unread_marker)
        || info->input_iMCU_row == 0 || info->input_iMCU_row >= info->total_iMCU_rows)
        return;
    long blocksPerRow = long(info->MCUs_per_row) * info->blocks_in_MCU;
    if (info->comps_in_scan == 1) // a row of iMCUs is that many rows of the component's blocks
        blocksPerRow *= info->cur_comp_info[0]->v_samp_factor;
    if (long(info->total_iMCU_rows - info->input_iMCU_row) * blocksPerRow >= blocksLeftWhenCut) {
        // Decoding the rest from zeros would only cost time: stop, as an error would.
        progress->ranOutEarly = true;
        std::longjmp(reinterpret_cast<Errors *>(info->err)->jump, 1);
    }
}

struct Target
{
    uchar *bits;
    qsizetype bytesPerLine;
    int width;
    int height;
    QImage::Format format;
};

Outcome run(jpeg_decompress_struct &info, Errors &errors, Source &source, Progress &progress,
    const Target &target)
{
    if (setjmp(errors.jump)) {
        if (progress.ranOutEarly)
            return Outcome::Truncated;
        return errors.fatal == JERR_OUT_OF_MEMORY ? Outcome::OutOfMemory : Outcome::Damaged;
    }

    jpeg_create_decompress(&info);
    source.manager.init_source = initSource;
    source.manager.fill_input_buffer = fillInput;
    source.manager.skip_input_data = skipInput;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = termSource;
    source.manager.next_input_byte = nullptr;
    source.manager.bytes_in_buffer = 0;
    info.src = &source.manager;
    progress.manager.progress_monitor = watchRows;
    info.progress = &progress.manager;

    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);
    if (int(info.output_width) != target.width || int(info.output_height) != target.height
        || JpegDecoder::formatFor(info.output_components) != target.format)
        return Outcome::Damaged;
    const bool cmyk = info.out_color_space == JCS_CMYK;
    if (info.out_color_space == JCS_RGB) // straight into the picture's 32-bit pixels
        info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    JSAMPARRAY scratch = cmyk ? (info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                             JPOOL_IMAGE, JDIMENSION(target.width) * 4, 1)
                              : nullptr;

    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        uchar *row = target.bits + qsizetype(info.output_scanline) * target.bytesPerLine;
        JSAMPROW into = cmyk ? scratch[0] : row;
        if (jpeg_read_scanlines(&info, &into, 1) != 1)
            return Outcome::Damaged;
        if (cmyk) {
            // As Qt reads it: inverted CMYK, as Adobe's programs write it.
            auto *out = reinterpret_cast<QRgb *>(row);
            const uchar *in = into;
            for (int x = 0; x < target.width; ++x, in += 4) {
                const int k = in[3];
                out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    if (errors.first != Outcome::Decoded)
        return errors.first;
    if (progress.ranOutEarly)
        return Outcome::Truncated;
    return errors.renumbered ? Outcome::RestartsRenumbered : Outcome::Decoded;
}

} // namespace

QImage::Format JpegDecoder::formatFor(int components)
{
    if (components == 1)
        return QImage::Format_Grayscale8;
    if (components == 3 || components == 4)
        return QImage::Format_RGB32;
    return QImage::Format_Invalid;
}

JpegDecoder::Outcome JpegDecoder::decode(QIODevice *device, QImage &image)
{
    if (image.isNull())
        return Outcome::Damaged;
    const Target target {
        image.bits(), image.bytesPerLine(), image.width(), image.height(), image.format()};

    jpeg_decompress_struct info {};
    Errors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = errorExit;
    errors.manager.emit_message = emitMessage;
    errors.manager.output_message = outputMessage;
    Progress progress {};
    // The read buffer is large, so it lives on the heap; the jumps stay inside run().
    const auto source = std::make_unique<Source>();
    source->device = device;

    const Outcome outcome = run(info, errors, *source, progress, target);
    jpeg_destroy_decompress(&info);
    return outcome;
}
