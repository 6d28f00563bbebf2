#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the built-in pictures added after the first three, from scikit-image's sample data.

Needs Debian's python3-pil and python3-numpy, and the files of Debian 12's python3-skimage
(0.19.3-8) unpacked somewhere, without installing it:

    apt-get download python3-skimage && dpkg-deb -x python3-skimage_*.deb /tmp/skimage
    python3 resources/images/make_pictures.py /tmp/skimage [OUTPUT_DIR]

Each picture becomes a 512 x 512, 8-bit grey BMP (bottom-up rows, 40-byte information header,
256-entry grey palette), like the first three, in images/images/ beside this script unless
OUTPUT_DIR is given:
  1. colour to grey with the ITU-R BT.601 luma weights, rounded, exactly as the program's own
     "Преобразовать в оттенки серого" does: (299 R + 587 G + 114 B + 500) // 1000;
  2. the square crop given below (left, top, side), in the source's pixels;
  3. scaled to 512 x 512 with Lanczos filtering where the crop is not 512 pixels already.
The same package and the same Pillow give the same bytes.
"""

import sys
from pathlib import Path

import numpy
from PIL import Image

HERE = Path(__file__).resolve().parent
DATA = Path("usr/lib/python3/dist-packages/skimage/data")
SIDE = 512

# file written, source file in skimage/data, square crop (left, top, side); None: the whole picture
PICTURES = [
    ("astronaut.bmp", "astronaut.png", None),
    ("coffee.bmp", "coffee.png", (100, 0, 400)),
    ("rocket.bmp", "rocket.jpg", (140, 0, 427)),
    ("brick.bmp", "brick.png", None),
    ("hubble.bmp", "hubble_deep_field.jpg", (64, 0, 872)),
    ("gravel.bmp", "gravel.png", None),
]


def grey(image):
    """The luma of an RGB picture as the program computes it; a grey picture as it is."""
    if image.mode == "L":
        return image
    rgb = numpy.asarray(image.convert("RGB"), dtype=numpy.uint32)
    luma = (rgb[..., 0] * 299 + rgb[..., 1] * 587 + rgb[..., 2] * 114 + 500) // 1000
    return Image.fromarray(luma.astype(numpy.uint8), mode="L")


def convert(source, crop):
    picture = grey(Image.open(source))
    if crop is not None:
        left, top, side = crop
        picture = picture.crop((left, top, left + side, top + side))
    if picture.size != (SIDE, SIDE):
        if picture.width != picture.height:
            raise SystemExit(f"{source}: not square ({picture.size}): give a crop")
        picture = picture.resize((SIDE, SIDE), Image.LANCZOS)
    return picture


def main():
    if len(sys.argv) not in (2, 3):
        raise SystemExit(__doc__)
    data = Path(sys.argv[1]) / DATA
    out = Path(sys.argv[2]) if len(sys.argv) == 3 else HERE / "images"
    out.mkdir(parents=True, exist_ok=True)
    for name, source, crop in PICTURES:
        picture = convert(data / source, crop)
        picture.save(out / name, format="BMP")
        print(out / name)


if __name__ == "__main__":
    main()
