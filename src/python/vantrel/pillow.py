"""A Pillow plugin: after `import vantrel.pillow`, PIL.Image.open reads BLZ files of both
layouts, LBM/ILBM pictures and clipboard (.clp) files in their own mode (a palette picture
stays "P"), and image.save("x.blz") writes BLZ; image.save(f, format="BLZ", layout="stream")
writes the stream layout.

A packed BLZ file starts with "BM", as a BMP file does, and Pillow's own BMP plugin would
refuse it and end the search; so BLZ is asked before BMP, and hands a plain BMP file (one
without the BLZ magic at offset 30) back to Pillow's BMP plugin.
"""

import numpy
from PIL import Image, ImageFile, ImagePalette

import vantrel

_BLZ_MAGICS = (b"LZRW", b"WRZL")
_MODES_KEPT = {"P", "L", "RGB", "RGBA"}
# What a mode Pillow has but BLZ does not becomes before it is written.
_MODES_WRITTEN = {"1": "L", "LA": "RGBA", "PA": "RGBA", "RGBX": "RGB", "RGBa": "RGBA",
                  "La": "RGBA", "I;16": "L"}


class _VantrelImageFile(ImageFile.ImageFile):
    """A file vantrel decodes whole when it is opened; load() hands Pillow the pixels."""

    _picture = None

    def _open(self):
        self._check_head(self.fp.read(34))
        self.fp.seek(0)
        picture = vantrel.open(self.fp.read())
        self.mode = picture.mode
        self._size = (picture.width, picture.height)
        if picture.mode == "P":
            self.palette = ImagePalette.raw("RGB", picture.palette.tobytes())
        self.info["bits_per_pixel"] = picture.bits_per_pixel
        self._picture = picture
        self.tile = []

    def _check_head(self, head):
        pass

    def load(self):
        if self._picture is not None and self.im is None:
            self.im = Image.core.new(self.mode, self.size)
            self.frombytes(numpy.asarray(self._picture).tobytes())
            self._picture = None
        return Image.Image.load(self)


class BlzImageFile(_VantrelImageFile):
    format = "BLZ"
    format_description = "Vantrel BLZ picture"

    def _check_head(self, head):
        if head[:2] == b"BM" and head[30:34] not in _BLZ_MAGICS:
            raise SyntaxError("a plain BMP file, not a packed BLZ bitmap")


class LbmImageFile(_VantrelImageFile):
    format = "LBM"
    format_description = "LBM/ILBM picture"


class ClpImageFile(_VantrelImageFile):
    format = "CLP"
    format_description = "Clipboard file"


def _accept_blz(prefix):
    return prefix[:2] == b"BM" or prefix[:4] in _BLZ_MAGICS


def _accept_lbm(prefix):
    return prefix[:4] == b"FORM" and (prefix[8:12] == b"ILBM" or prefix[8:11] == b"PBM")


def _accept_clp(prefix):
    return prefix[:2] == b"\x50\xc3"


def _save_blz(image, fp, filename):
    layout = image.encoderinfo.get("layout", "packed")
    if image.mode not in _MODES_KEPT:
        image = image.convert(_MODES_WRITTEN.get(image.mode, "RGB"))
    palette = None
    if image.mode == "P":
        palette = numpy.frombuffer(bytes(image.getpalette("RGB") or b"\0\0\0"),
                                   numpy.uint8).reshape(-1, 3)[:256]
        used = int(numpy.asarray(image).max(initial=0)) + 1
        if used > len(palette):  # indices beyond Pillow's palette are black
            palette = numpy.concatenate([palette, numpy.zeros((used - len(palette), 3),
                                                              numpy.uint8)])
    vantrel.save(numpy.asarray(image), fp, layout=layout, palette=palette)


def _register():
    # The BMP plugin must be in Image.ID before BLZ can be placed ahead of it.
    Image.preinit()
    for plugin, accept, extensions in ((BlzImageFile, _accept_blz, [".blz"]),
                                       (LbmImageFile, _accept_lbm, [".lbm", ".ilbm", ".iff"]),
                                       (ClpImageFile, _accept_clp, [".clp"])):
        Image.register_open(plugin.format, plugin, accept)
        Image.register_extensions(plugin.format, extensions)
    Image.register_save(BlzImageFile.format, _save_blz)
    Image.ID.remove(BlzImageFile.format)
    Image.ID.insert(Image.ID.index("BMP") if "BMP" in Image.ID else 0, BlzImageFile.format)


_register()
