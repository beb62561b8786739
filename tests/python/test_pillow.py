"""The Pillow plugin: BLZ of both layouts, LBM and clipboard files open in their own mode,
BLZ saves, and a plain BMP still goes to Pillow's own plugin."""

import io

import numpy
import pytest
from PIL import Image

import vantrel.pillow  # noqa: F401  (registers the plugin)
from conftest import DATA, cli
from pictures import arrays, clipboard_file


def pillow_image(mode):
    pixels, palette = arrays()[mode]
    image = Image.fromarray(pixels, "L" if mode == "P" else mode)
    if mode == "P":
        image = image.convert("P")
        image.putpalette(palette.tobytes())
    return image


@pytest.mark.parametrize("layout", ["packed", "stream"])
@pytest.mark.parametrize("mode", ["P", "L", "RGB", "RGBA"])
def test_pictures_saved_as_blz_open_in_their_mode(mode, layout):
    image = pillow_image(mode)
    out = io.BytesIO()
    image.save(out, format="BLZ", layout=layout)
    assert out.getvalue()[:2] == (b"BM" if layout == "packed" else b"LZ")
    reopened = Image.open(io.BytesIO(out.getvalue()))
    assert (reopened.format, reopened.mode, reopened.size) == ("BLZ", mode, image.size)
    assert numpy.array_equal(numpy.asarray(reopened), numpy.asarray(image))
    if mode == "P":
        assert reopened.getpalette()[:15] == image.getpalette()[:15]


def test_files_open_by_content_whatever_their_name(tmp_path):
    packed = tmp_path / "packed.bmp"
    pillow_image("RGB").save(tmp_path / "x.blz")
    packed.write_bytes((tmp_path / "x.blz").read_bytes())
    plain = tmp_path / "plain.bmp"
    cli("unpack", packed, plain)
    clp = tmp_path / "x.clp"
    clp.write_bytes(clipboard_file(plain.read_bytes()))
    opened = {name: Image.open(path) for name, path in
              [("packed", packed), ("plain", plain), ("clp", clp),
               ("lbm", DATA / "regressions/lbm/sham-picture-decodes-to-24-bit.lbm")]}
    assert {name: image.format for name, image in opened.items()} == {
        "packed": "BLZ", "plain": "BMP", "clp": "CLP", "lbm": "LBM"}
    for name in ("packed", "plain", "clp"):
        assert numpy.array_equal(numpy.asarray(opened[name]),
                                 numpy.asarray(pillow_image("RGB")))
    assert opened["lbm"].mode == "RGB"


def test_a_damaged_blz_file_says_why():
    with pytest.raises(vantrel.DamagedFileError):
        Image.open(DATA / "regressions/blz_streaming/stream-truncated.blz")
