"""vantrel.open, save and info against the command line: every format from every kind of
source, every mode through every writer, and hostile files refused with vantrel.Error."""

import functools
import io
import json
import os
import subprocess
import sys
import tempfile
import threading

import numpy
import PIL.Image
import pytest

import vantrel
from vantrel import _vantrel
from conftest import CLI, DATA, cli, corpora_dir, read_pam, same_pixels
from pictures import arrays, clipboard_file

REGRESSIONS = DATA / "regressions"
# One file per format the command line reads, from the test data: (file, format, mode, bits per
# pixel), and what Qt's readers note on the way for the one file that loses something.
NOTES = {"grey16.png": ("its 16-bit channels become 8-bit",)}
FORMATS = [
    ("regressions/loader/bmp-named.BMP", "bmp", "RGB", 24),
    ("regressions/blz_streaming/pal8-packed.blz", "blz", "P", 8),
    ("regressions/blz_streaming/mono-stream.blz", "blz", "P", 1),
    ("regressions/blz_streaming/rgb24-stream.blz", "blz", "RGB", 24),
    ("regressions/loader/gif-named.GIF", "gif", "P", 8),
    ("regressions/loader/pcx-named.xyz", "pcx", "RGB", 24),
    ("regressions/lbm/sham-picture-decodes-to-24-bit.lbm", "lbm", "RGB", 24),
    ("clipboard.clp", "clp", "P", 8),
    ("regressions/loader/icon.ico", "ico", "RGB", 24),
    ("regressions/loader/jpeg-named.JPEG", "jpeg", "RGB", 24),
    ("text.wmf", "wmf", "RGB", 24),
    ("grey16.png", None, "RGB", 24),
]
SOURCES = {
    "path": lambda path: path,
    "str": str,
    "bytes": lambda path: path.read_bytes(),
    "memoryview": lambda path: memoryview(bytearray(path.read_bytes())),
    "file": lambda path: io.BytesIO(path.read_bytes()),
}
WRITERS = {
    "packed": functools.partial(vantrel.save, layout="packed"),
    "stream": functools.partial(vantrel.save, layout="stream"),
    "bmp": vantrel.save_bmp,
    "png": vantrel.save_png,
}


@pytest.fixture(scope="module")
def made(tmp_path_factory):
    """Files the test data lacks, made from those it has."""
    folder = tmp_path_factory.mktemp("made")
    bmp = folder / "pal8.bmp"
    cli("convert", REGRESSIONS / "blz_streaming/pal8-packed.blz", bmp)
    (folder / "clipboard.clp").write_bytes(clipboard_file(bmp.read_bytes()))
    grey16 = numpy.arange(12, dtype=numpy.uint16).reshape(3, 4) * 5000
    PIL.Image.fromarray(grey16).save(folder / "grey16.png")
    return folder


def data_file(made, name):
    return made / name if (made / name).exists() else DATA / name


@functools.lru_cache(maxsize=None)
def cli_pixels(path):
    with tempfile.TemporaryDirectory() as folder:
        out = f"{folder}/out.pam"
        ok = cli("convert", path, out, check=False).returncode == 0
        return read_pam(out) if ok else None


@pytest.mark.parametrize("source", SOURCES)
@pytest.mark.parametrize("name,format,mode,bits", FORMATS)
def test_open_gives_the_pixels_the_command_line_gives(made, name, format, mode, bits, source):
    path = data_file(made, name)
    picture = vantrel.open(SOURCES[source](path))
    assert (picture.format, picture.mode, picture.bits_per_pixel, picture.notes) == (
        format, mode, bits, NOTES.get(name, ()))
    assert same_pixels(picture, cli_pixels(path))


def test_arrays_share_the_pictures_memory():
    picture = vantrel.open(REGRESSIONS / "blz_streaming/rgb24-stream.blz")
    first, second = numpy.asarray(picture), numpy.asarray(picture)
    assert first.flags.c_contiguous and numpy.shares_memory(first, second)
    assert first.shape == (picture.height, picture.width, 3)


@pytest.mark.parametrize("writer", WRITERS)
@pytest.mark.parametrize("mode", ["P", "L", "RGB", "RGBA"])
def test_saved_arrays_read_back_as_they_were(mode, writer):
    pixels, palette = arrays()[mode]
    out = io.BytesIO()
    WRITERS[writer](pixels, out, palette=palette)
    # PNG is read back by Pillow, an independent decoder.
    picture = (PIL.Image.open if writer == "png" else vantrel.open)(io.BytesIO(out.getvalue()))
    assert picture.mode == mode
    assert numpy.array_equal(numpy.asarray(picture), pixels)
    if writer != "png":  # an array's picture has the depth its file reads back with
        assert vantrel._picture(pixels, palette).bits_per_pixel == picture.bits_per_pixel
    if mode == "P":
        saved = numpy.array(picture.getpalette() if writer == "png" else picture.palette)
        assert numpy.array_equal(saved.reshape(-1, 3)[:len(palette)], palette)


@pytest.mark.parametrize("name", ["regressions/blz_streaming/pal8-packed.blz",
                                  "regressions/blz_streaming/mono-stream.blz",
                                  "regressions/loader/jpeg-named.JPEG"])
def test_png_has_the_bytes_the_command_line_writes(tmp_path, name):
    cli("convert", DATA / name, tmp_path / "cli.png")
    vantrel.save_png(vantrel.open(DATA / name), tmp_path / "module.png")
    assert (tmp_path / "module.png").read_bytes() == (tmp_path / "cli.png").read_bytes()


@pytest.mark.parametrize("name", ["regressions/blz_streaming/pal8-packed.blz",
                                  "regressions/blz_streaming/rgb24-stream.blz",
                                  "regressions/loader/gif-named.GIF"])
def test_info_and_verify_say_what_the_command_line_says(name):
    path = DATA / name
    expected = json.loads(cli("info", "--json", path).stdout)[0]
    assert vantrel.info(path) == expected
    assert vantrel.info(path.read_bytes()) == dict(expected, file="-")
    assert vantrel.verify(str(path)) == cli("verify", path).stdout.decode().strip()


@pytest.mark.parametrize("call,error", [
    (lambda: vantrel.open(b"no picture at all"), vantrel.UnknownFormatError),
    (lambda: vantrel.open(b"GIF89a", format="tga"), vantrel.UnknownFormatError),
    # A format named for the file is the one that reads it, whatever the content says.
    *[(lambda f=f: vantrel.open(REGRESSIONS / "blz_streaming/rgb24-stream.blz", format=f),
       vantrel.UnknownFormatError) for f in ("gif", "ico", "wmf")],
    (lambda: vantrel.open(REGRESSIONS / "gif/no-end-code.gif"), vantrel.DamagedFileError),
    (lambda: vantrel.open(REGRESSIONS / "blz_streaming/stream-truncated.blz"),
     vantrel.DamagedFileError),
    # The window shows a clipboard file without formats as nothing; a converter refuses it.
    (lambda: vantrel.open(REGRESSIONS / "clp/no-formats.clp"), vantrel.DamagedFileError),
    (lambda: vantrel.open(REGRESSIONS / "pcx/more-than-2-to-the-28-pixels.pcx"),
     vantrel.TooLargeError),
    (lambda: vantrel.open(DATA / "no such file.blz"), FileNotFoundError),
    (lambda: vantrel.open(12), TypeError),
    (lambda: vantrel.save(numpy.zeros((2, 2), numpy.float32), io.BytesIO()), TypeError),
    (lambda: vantrel.save(numpy.zeros((2, 2, 2), numpy.uint8), io.BytesIO()), ValueError),
    (lambda: vantrel.save(numpy.zeros((0, 2), numpy.uint8), io.BytesIO()), ValueError),
    (lambda: vantrel.save(numpy.zeros((1, 65536), numpy.uint8), io.BytesIO()), ValueError),
    (lambda: vantrel.save(numpy.zeros((2, 2), numpy.uint8), io.BytesIO(),
                          palette=numpy.zeros((257, 3), numpy.uint8)), ValueError),
    (lambda: vantrel.save(numpy.full((2, 2), 5, numpy.uint8), io.BytesIO(),
                          palette=arrays()["P"][1]), ValueError),
    (lambda: vantrel.save(numpy.zeros((2, 2), numpy.uint8), io.BytesIO(), layout="x"),
     ValueError),
])
def test_failures_raise_their_kind(call, error):
    with pytest.raises(error):
        call()


def test_the_largest_sizes_accepted_save():
    vantrel.save(numpy.zeros((1, 65535), numpy.uint8), io.BytesIO())
    vantrel.save(numpy.zeros((2, 2), numpy.uint8), io.BytesIO(),
                 palette=numpy.zeros((256, 3), numpy.uint8))


def manifest_files():
    """Every stored file of the corpus manifests that the corpora hold, and every
    regression input."""
    files = {path for path in REGRESSIONS.rglob("*") if path.is_file()}
    corpora = corpora_dir()
    for manifest in ("corpora.tsv", "realworld.tsv"):
        for line in (DATA / manifest).read_text().splitlines():
            columns = line.split("\t")
            if line.startswith("#") or len(columns) < 3 or ":" in columns[1]:
                continue
            if corpora and not columns[1].startswith("regressions/"):
                files.add(corpora / columns[1])
    return sorted(str(path) for path in files if path.exists())


def cli_batch(files, folder):
    """What `vantrel-cli convert --to pam --out-dir` makes of each file (a PAM path, or None
    when it refuses the file), in rounds so that no two inputs share an output name."""
    outputs, round = {}, 0
    while files:
        out_dir = folder / str(round)
        items, refused, _ = _vantrel.plan_batch(files, str(out_dir), False, "pam")
        subprocess.run([CLI, "convert", "-q", "--to", "pam", "--out-dir", out_dir, *files],
                       capture_output=True)
        outputs.update((source, output) for source, output, _ in items)
        files, round = [source for source, _ in refused], round + 1
    return outputs


def test_every_file_reads_as_the_command_line_reads_it_or_is_refused(tmp_path):
    files = manifest_files()
    expected = cli_batch(files, tmp_path)
    disagree = []
    for path in files:
        try:
            picture = vantrel.open(path)
        except vantrel.Error:
            picture = None
        pam = read_pam(expected[path]) if os.path.exists(expected[path]) else None
        # The command line takes a bitmap's name at its word; vantrel.open goes by content.
        named_as_bitmap = os.path.splitext(path)[1].upper() in {".", ".BM", ".BMP", ".DIB"}
        if picture is not None and pam is None and named_as_bitmap:
            continue
        if (picture is None) != (pam is None) or (pam is not None and not same_pixels(picture, pam)):
            disagree.append(path)
    assert disagree == []


def test_threads_decode_at_once_and_alike(tmp_path):
    # Over 4 MB: the memory of a picture a thread is done with goes to the next one it reads.
    pixels = arrays(1100, 1300)["RGB"][0]
    path = tmp_path / "large.blz"
    vantrel.save(pixels, path)
    results = [None] * 4

    def work(index):
        for _ in range(3):
            results[index] = numpy.asarray(vantrel.open(path))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(numpy.array_equal(result, pixels) for result in results)


def test_a_metafile_off_the_main_thread_needs_qt_prepared_there():
    # Only a metafile is told about preparing: what is no picture stays unknown.
    script = """if True:
        import threading, vantrel
        def read():
            for source in ("text.wmf", b"no picture at all"):
                try:
                    print(vantrel.open(source).format)
                except vantrel.Error as error:
                    print(type(error).__name__, "prepare_threads" in str(error))
        for prepare in (lambda: None, vantrel.prepare_threads):
            prepare()
            thread = threading.Thread(target=read)
            thread.start()
            thread.join()
    """
    run = subprocess.run([sys.executable, "-c", script], cwd=DATA, capture_output=True, text=True)
    assert run.stdout.split("\n") == ["Error True", "UnknownFormatError False", "wmf",
                                       "UnknownFormatError False", ""]


def test_files_move_every_byte_when_io_is_short_interrupted_or_on_descriptor_0(tmp_path):
    # A library that makes every read and write of a file short and interrupts large ones now
    # and then, after the sanitizer's runtime where that is preloaded.
    flaky = os.environ["VANTREL_FLAKY_IO"]
    preload = ":".join(filter(None, [os.environ.get("LD_PRELOAD"), flaky]))
    script = """if True:
        import hashlib, numpy, pathlib, sys, vantrel
        from vantrel import _vantrel
        blz, gif, wmf, out = sys.argv[1:]
        for picture in (vantrel.open(blz), vantrel.open(pathlib.Path(gif).read_bytes()),
                        vantrel.open(pathlib.Path(wmf).read_bytes())):
            print(hashlib.sha1(numpy.asarray(picture).tobytes()).hexdigest())
        _vantrel.convert_file(blz, out, "png")
        print(hashlib.sha1(pathlib.Path(out).read_bytes()).hexdigest())
    """
    # Noise, so that the file read and the PNG written are large enough to be interrupted.
    noise = numpy.random.default_rng(1).integers(0, 256, (200, 300, 3), numpy.uint8)
    vantrel.save(noise, tmp_path / "noise.blz", layout="stream")
    args = [str(tmp_path / "noise.blz"), str(REGRESSIONS / "loader/gif-named.GIF"),
            str(DATA / "text.wmf")]
    # As it is, with the flaky library, and started without standard input, so that the files
    # it opens (a temporary copy of the metafile's bytes among them) may take descriptor 0.
    flaky_env = {"LD_PRELOAD": preload, "VANTREL_FLAKY_IO_FROM_FD": "3"}
    runs = [subprocess.run([sys.executable, "-c", script, *args, str(tmp_path / f"{i}.png")],
                           env=dict(os.environ, **env), capture_output=True, text=True,
                           stdin=None if i < 2 else subprocess.DEVNULL,
                           preexec_fn=None if i < 2 else lambda: os.close(0))
            for i, env in enumerate([{}, flaky_env, {}])]
    for run in runs:
        assert run.returncode == 0, run.stderr
        assert run.stdout == runs[0].stdout
