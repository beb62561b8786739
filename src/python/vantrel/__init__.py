"""Vantrel's pictures in Python: BLZ (both layouts), BMP, GIF, PCX, LBM/ILBM, clipboard files,
icons, metafiles, JPEG and what else vantrel-cli reads, as numpy arrays.

    >>> import numpy, vantrel
    >>> picture = vantrel.open("scan.blz")
    >>> picture.mode, picture.width, picture.height
    ('RGB', 640, 480)
    >>> pixels = numpy.asarray(picture)          # H×W×3 uint8, no copy
    >>> vantrel.save(pixels[::2, ::2], "half.blz", layout="stream")
    >>> vantrel.save_png(picture, "scan.png")

Sources are paths (str or os.PathLike), bytes-like objects or binary file objects;
destinations are paths or binary file objects. Failures raise vantrel.Error or one of its
subclasses (UnknownFormatError, DamagedFileError, TooLargeError); a missing file raises
FileNotFoundError. Decoding and encoding release the GIL, so threads decode in parallel.
The memory of the last two large pictures (or files) freed is kept for the next ones read,
which then skip the system's clearing of fresh memory.

vantrel.pillow adds BLZ, LBM and clipboard files to Pillow; vantrel.batch converts whole
archives on a Dask cluster (also as `python3 -m vantrel convert`).
"""

import atexit
import builtins
import json
import os

import numpy

from . import _vantrel
from ._vantrel import DamagedFileError, Error, Picture, TooLargeError, UnknownFormatError

__all__ = [
    "DamagedFileError", "Error", "Picture", "TooLargeError", "UnknownFormatError", "info",
    "open", "prepare_threads", "save", "save_bmp", "save_png", "set_threads", "verify",
]

# Qt's application, if a metafile made one, goes before the interpreter tears down.
atexit.register(_vantrel.finish)

_LAYOUTS = {"packed": "blz", "stream": "blz-stream"}
_MODES_BY_CHANNELS = {3: "RGB", 4: "RGBA"}


def _source(source):
    """The path or the bytes of a source: a path, a bytes-like object or a file object."""
    if isinstance(source, (str, os.PathLike)):
        return os.fspath(source), None
    if isinstance(source, (bytes, bytearray, memoryview)):
        return None, source
    if hasattr(source, "read"):
        data = source.read()
        if not isinstance(data, (bytes, bytearray)):
            raise TypeError("the file object must be opened in binary mode")
        return None, data
    raise TypeError("a source is a path, a bytes-like object or a binary file object, not "
                    + type(source).__name__)


def open(source, format=None):
    """Read a picture and return it as a vantrel.Picture.

    The format is told by content, as the command line tells it, unless `format` names one
    (a name or alias of `vantrel-cli --format`: "blz", "gif", "lbm", "jpg", ...). The
    picture keeps the file's own mode: a palette picture stays "P" (or "L" when all its
    colours are grey), a 32-bit picture with alpha is "RGBA". What a picture lost on the way
    (16-bit channels made 8-bit, frames after the first, ...) is in its `notes`, a tuple of
    the phrases vantrel-cli prints on standard error; it is empty when nothing was lost.
    """
    path, data = _source(source)
    if path is not None:
        return _vantrel.open_path(path, format)
    return _vantrel.open_bytes(data, format)


def info(source):
    """The dictionary `vantrel-cli info --json` gives for the file (file, layout, width,
    height, bpp, and for BLZ files image_bytes, stored_size and records, then disk_bytes).
    Bytes and file objects are named "-", as standard input is."""
    path, data = _source(source)
    return json.loads(_vantrel.info_json(path, data))[0]


def verify(source):
    """Check the file as `vantrel-cli verify` does: a BLZ file's records restore its stored
    size, any other picture comes back the same through both BLZ layouts. Returns the
    command's "OK (...)" line; raises vantrel.Error otherwise."""
    path, data = _source(source)
    return _vantrel.verify(path, data)


def _picture(image, palette):
    """A Picture for what save() accepts: a Picture, or a uint8 array of a shape it knows."""
    if isinstance(image, Picture):
        if palette is not None:
            raise ValueError("palette= is for 2-D arrays; a picture has its own")
        return image
    array = numpy.asarray(image)
    if array.dtype != numpy.uint8:
        raise TypeError("pixels are uint8 arrays (H×W grey or palette indices, H×W×3 RGB, "
                        "H×W×4 RGBA), not " + str(array.dtype))
    if array.ndim == 2:
        if palette is None:
            return _vantrel.from_array(numpy.ascontiguousarray(array), "L")
        colours = numpy.asarray(palette)
        if colours.dtype != numpy.uint8:
            raise TypeError("a palette is an N×3 uint8 array, not " + str(colours.dtype))
        return _vantrel.from_array(numpy.ascontiguousarray(array), "P",
                                   numpy.ascontiguousarray(colours))
    if array.ndim == 3 and array.shape[2] in _MODES_BY_CHANNELS and palette is None:
        return _vantrel.from_array(numpy.ascontiguousarray(array),
                                   _MODES_BY_CHANNELS[array.shape[2]])
    raise ValueError("pixels are H×W (grey, or indices with palette=), H×W×3 (RGB) or H×W×4 "
                     "(RGBA), not the shape " + str(array.shape))


def _write(data, dest):
    if isinstance(dest, (str, os.PathLike)):
        with builtins.open(dest, "wb") as out:
            out.write(data)
    elif hasattr(dest, "write"):
        dest.write(data)
    else:
        raise TypeError("a destination is a path or a binary file object, not "
                        + type(dest).__name__)


def _encoded(image, format, palette=None):
    return _vantrel.encode(_picture(image, palette), format)


def save(image, dest, layout="packed", palette=None):
    """Write a Picture or a uint8 array as a BLZ file.

    layout="packed" writes the packed bitmap (a file that starts with "BM"), layout="stream"
    the BLZ stream. A 2-D array is grey, or palette indices with palette= (an N×3 uint8
    array of up to 256 colours); H×W×3 and H×W×4 arrays are RGB and RGBA.
    """
    if layout not in _LAYOUTS:
        raise ValueError('layout is "packed" or "stream", not ' + repr(layout))
    _write(_encoded(image, _LAYOUTS[layout], palette), dest)


def save_bmp(image, dest, palette=None):
    """Write a Picture or a uint8 array (as save() takes them) as a BMP file."""
    _write(_encoded(image, "bmp", palette), dest)


def save_png(image, dest, palette=None):
    """Write a Picture or a uint8 array (as save() takes them) as a PNG file, with the bytes
    `vantrel-cli convert` writes."""
    _write(_encoded(image, "png", palette), dest)


def set_threads(n):
    """How many threads one call's block work (BLZ compression and restoring) uses; 0, the
    default, uses one per core for a large picture."""
    if n < 0:
        raise ValueError("the thread count is 0 (automatic) or more")
    _vantrel.set_threads(n)


def prepare_threads():
    """Call on the main thread before reading metafiles on other threads: drawing their text
    needs Qt's GUI application, which only the main thread can start."""
    _vantrel.prepare_threads()
