"""What the Python tests share: the command line to compare with, the test data and the
corpora, and reading a PAM file."""

import os
import pathlib
import subprocess

import numpy

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"
CLI = os.environ.get("VANTREL_CLI", "vantrel-cli")


def corpora_dir():
    for folder in [DATA, *DATA.parents]:
        candidate = folder / ".." / "shared" / "corpora"
        if candidate.is_dir():
            return candidate.resolve()
    env = os.environ.get("VANTREL_CORPORA")
    return pathlib.Path(env) if env and os.path.isdir(env) else None


def read_pam(path):
    """The pixels of a PAM file as H×W×depth uint8."""
    data = pathlib.Path(path).read_bytes()
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    fields = dict(line.split(" ", 1) for line in data[:end].decode().splitlines()[1:-1])
    shape = (int(fields["HEIGHT"]), int(fields["WIDTH"]), int(fields["DEPTH"]))
    return numpy.frombuffer(data, numpy.uint8, offset=end).reshape(shape)


def colours(picture):
    """A picture's pixels as H×W×3 (or ×4 with alpha)."""
    pixels = numpy.asarray(picture)
    if picture.mode == "P":
        return picture.palette[pixels]
    return numpy.repeat(pixels[:, :, None], 3, axis=2) if pixels.ndim == 2 else pixels


def same_pixels(picture, pam):
    """Whether a picture has a PAM file's pixels, compared as corpora.tsv compares: the
    colour channels, and alpha where both have it."""
    ours = colours(picture)
    theirs = pam if pam.shape[2] >= 3 else numpy.repeat(pam, 3, axis=2)
    channels = 4 if ours.shape[2] == theirs.shape[2] == 4 else 3
    return ours.shape[:2] == theirs.shape[:2] and numpy.array_equal(ours[..., :channels],
                                                                    theirs[..., :channels])


def cli(*args, check=True):
    return subprocess.run([CLI, *map(str, args)], capture_output=True, check=check)

