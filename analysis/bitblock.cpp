// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitblock.h"

#include <array>

namespace {
constexpr QRgb black = 0xff000000;
constexpr QRgb background = 0xffc8c8c8;
constexpr int iconSize = 16;
} // namespace

BitBlock::BitBlock(const QImage &image)
    : QBitArray(qsizetype(image.width()) * image.height())
    , width(image.width())
    , height(image.height())
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (image.pixel(x, y) == black)
                setBit(qsizetype(y) * width + x);
        }
    }
}

BitBlock::BitBlock(bool value, const QSize &size)
    : QBitArray(qsizetype(qMax(0, size.width())) * qMax(0, size.height()), value)
    , width(qMax(0, size.width()))
    , height(qMax(0, size.height()))
{ }

BitBlock BitBlock::fromPattern(int pattern)
{
    // Made once: a copy shares the bits, which costs far less than building them for every type
    // of every plane.
    static const std::array<BitBlock, 512> blocks = [] {
        std::array<BitBlock, 512> made;
        for (int p = 0; p < 512; ++p) {
            // QBitArray keeps bit i in bit i % 8 of byte i / 8, which is the pattern's own layout.
            const char bytes[2] = {char(p & 0xff), char((p >> 8) & 1)};
            BitBlock &block = made[size_t(p)];
            static_cast<QBitArray &>(block) = QBitArray::fromBits(bytes, 9);
            block.width = 3;
            block.height = 3;
        }
        return made;
    }();
    return blocks[size_t(pattern & 511)];
}

QImage BitBlock::toImage() const
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (testBit(qsizetype(y) * width + x))
                image.setPixel(x, y, black);
        }
    }
    return image.scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::FastTransformation);
}

void countBlock(QHash<BitBlock, int> &counts, const BitBlock &block)
{
    const auto it = counts.find(block);
    if (it == counts.end())
        counts.insert(block, 1);
    else
        ++it.value();
}
