// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>

#include <algorithm>
#include <cstring>

// Reads a device in chunks, for walking a picture file's structure without holding all of it.
class ByteStream
{
public:
    explicit ByteStream(QIODevice *device)
        : device(device)
    { }

    bool next(uchar &byte)
    {
        if (!fill())
            return false;
        byte = uchar(chunk[pos++]);
        return true;
    }

    // `count` bytes into `out`; false (with what there was copied) when the data ends first.
    bool read(uchar *out, qint64 count)
    {
        while (count > 0) {
            if (!fill())
                return false;
            const qint64 take = std::min<qint64>(count, size - pos);
            std::memcpy(out, chunk + pos, size_t(take));
            out += take;
            pos += take;
            count -= take;
        }
        return true;
    }

    bool skip(qint64 count)
    {
        while (count > 0) {
            if (!fill())
                return false;
            const qint64 take = std::min<qint64>(count, size - pos);
            pos += take;
            count -= take;
        }
        return true;
    }

    // Bytes read so far.
    qint64 position() const { return before + pos; }

    // Moves just past the next byte of that value; false when the data ends first.
    bool skipPast(uchar value)
    {
        while (fill()) {
            const char *begin = chunk + pos;
            const void *found = std::memchr(begin, value, size_t(size - pos));
            if (found) {
                pos += static_cast<const char *>(found) - begin + 1;
                return true;
            }
            pos = size;
        }
        return false;
    }

private:
    bool fill()
    {
        if (pos < size)
            return true;
        before += size;
        size = std::max<qint64>(device->read(chunk, sizeof chunk), 0);
        pos = 0;
        return size > 0;
    }

    QIODevice *device;
    char chunk[4096]; // read into, never allocated: the walk runs on every picture opened
    qint64 size = 0;
    qint64 pos = 0;
    qint64 before = 0; // bytes of the chunks before this one
};
