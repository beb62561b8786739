"""Pictures the tests make: one array per mode, and a clipboard file around a BMP's DIB."""

import struct

import numpy

PALETTE = numpy.array([[0, 0, 0], [255, 0, 0], [0, 128, 255], [250, 250, 10], [9, 9, 9]],
                      numpy.uint8)


def arrays(height=97, width=351):
    """(mode, pixels, palette) for each mode save() takes; odd sizes exercise row padding, and
    rows of noise over several BLZ records pixels that two records share."""
    rng = numpy.random.default_rng(7)
    return {
        "P": (rng.integers(0, len(PALETTE), (height, width), numpy.uint8), PALETTE),
        "L": (rng.integers(0, 256, (height, width), numpy.uint8), None),
        "RGB": (rng.integers(0, 256, (height, width, 3), numpy.uint8), None),
        "RGBA": (rng.integers(0, 256, (height, width, 4), numpy.uint8), None),
    }


def clipboard_file(bmp):
    """A clipboard file whose one entry is the DIB of the BMP file `bmp`."""
    dib = bmp[14:]
    offset = 4 + 89
    entry = struct.pack("<HII", 8, len(dib), offset) + b"DIB".ljust(79, b"\0")
    return struct.pack("<HH", 50000, 1) + entry + dib
