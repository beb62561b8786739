# The command line at a shell, in a folder of white.bmp (a 2 x 2 white BMP), text.bmp
# ("hello"), two-equal-channels.bmp (2 x 1: 10 10 20 and 20 10 10), alpha.bmp (bit fields with
# alpha) and 565.bmp (5-6-5 bit fields). Without a command it says so and prints its usage,
# which --help prints too.
$ vantrel-cli
vantrel-cli: no command given
usage: vantrel-cli pack    [--layout packed|stream] [--format FMT] INPUT OUTPUT
       vantrel-cli unpack  [--format FMT] INPUT OUTPUT.bmp
       vantrel-cli convert [--to OUTFMT] [--layout packed|stream] [--format FMT]
                           INPUT OUTPUT
       vantrel-cli pack|convert [-r] [-q] [--jobs N] [--to OUTFMT] --out-dir DIR
                           INPUT|FOLDER...
       vantrel-cli info    [--json] FILE...
       vantrel-cli verify  FILE...
       vantrel-cli thumbnail INPUT OUTPUT.png SIZE
       vantrel-cli --help | --version

INPUT is read as the window reads it: BMP, DIB and BLZ files directly, anything else
through the image loader. "-" is standard input (BMP and BLZ told by their content)
and, as OUTPUT, standard output; ./- names a file called "-".
--format FMT reads with that one decoder alone. FMT:
  bmp (dib), blz, gif, pcx, lbm (ilbm/iff), clp, ico, wmf, emf, jpeg (jpg)
Without --format, also: PNG, TIFF, WebP, TGA and other formats Qt reads
pack writes a BLZ file (packed-bitmap layout unless --layout stream); unpack writes
the plain BMP image; convert writes OUTFMT, or the format OUTPUT's extension names
(PGM for grey pictures only). OUTFMT:
  blz, bmp, png, pam, ppm, pgm
With --out-dir, pack and convert take files and folders (-r: with their subfolders),
show progress on a terminal (-q: none) and sum up. info --json prints a JSON array.
Exit status: 0 success, 1 a file failed, 2 usage error.
[2]
$ vantrel-cli --help | head -n 1
usage: vantrel-cli pack    [--layout packed|stream] [--format FMT] INPUT OUTPUT
# A usage error gives its reason, then the usage (here only the reason), and status 2.
$ usage() { "$@" 2>err; s=$?; head -n 1 err; rm err; return $s; }
$ usage vantrel-cli frobnicate
vantrel-cli: unknown command: frobnicate
[2]
$ usage vantrel-cli pack --layout zip white.bmp o.bmp
vantrel-cli: --layout: zip is not packed or stream
[2]
$ usage vantrel-cli pack --format tiff white.bmp o.bmp
vantrel-cli: --format: unknown format tiff (known: bmp (dib), blz, gif, pcx, lbm (ilbm/iff), clp, ico, wmf, emf, jpeg (jpg))
[2]
$ usage vantrel-cli pack -x white.bmp o.bmp
vantrel-cli: The following argument was not expected: -x
[2]
$ usage vantrel-cli pack --jobs 0 --out-dir . white.bmp
vantrel-cli: --jobs: Value 0 not in range 1 to 1024
[2]
$ usage vantrel-cli pack --jobs 2 white.bmp o.bmp
vantrel-cli: --jobs and -r need --out-dir
[2]
$ usage vantrel-cli pack --out-dir white.bmp white.bmp
vantrel-cli: --out-dir white.bmp is not a folder
[2]
$ usage vantrel-cli unpack white.bmp
vantrel-cli: wrong number of arguments for unpack
[2]
$ usage vantrel-cli unpack --format
vantrel-cli: --format: 1 required TEXT:FMT missing
[2]
$ usage vantrel-cli thumbnail white.bmp o.png 0
vantrel-cli: SIZE must be a number from 1 to 4096
[2]
$ usage vantrel-cli unpack white.bmp o.png
vantrel-cli: unpack writes BMP, not what the name o.png says: use convert
[2]
$ usage vantrel-cli pack white.bmp o.pam
vantrel-cli: pack writes BLZ, not what the name o.pam says: use convert
[2]
$ usage vantrel-cli convert white.bmp o.xyz
vantrel-cli: cannot tell the format from the name o.xyz: name it with --to (blz, bmp, png, pam, ppm, pgm)
[2]
$ usage vantrel-cli convert white.bmp -
vantrel-cli: convert to standard output needs --to FMT
[2]
$ usage vantrel-cli convert --to gif white.bmp o.bmp
vantrel-cli: --to: unknown output format gif (known: blz, bmp, png, pam, ppm, pgm)
[2]
$ usage vantrel-cli convert --out-dir . white.bmp
vantrel-cli: convert --out-dir needs --to FMT
[2]
$ usage vantrel-cli pack --out-dir . -
vantrel-cli: standard input cannot be part of a batch: name the files
[2]
$ usage vantrel-cli info --out-dir . white.bmp
vantrel-cli: The following argument was not expected: --out-dir
[2]
# A file that fails gives status 1; every command says that a file is missing before it
# probes any format. Nothing failed wrote a file.
$ vantrel-cli unpack text.bmp o.bmp
vantrel-cli: text.bmp: Bitmap image is not valid: the "BM" signature is missing
[1]
$ vantrel-cli pack missing.gif o.blz
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ vantrel-cli unpack missing.gif o.bmp
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ vantrel-cli convert missing.gif o.png
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ vantrel-cli thumbnail missing.gif o.png 8
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ vantrel-cli info missing.gif
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ vantrel-cli verify missing.gif
vantrel-cli: missing.gif: Cannot open file "missing.gif". No such file or directory
[1]
$ ls
565.bmp
alpha.bmp
text.bmp
two-equal-channels.bmp
white.bmp
# Both layouts, their exact bytes, what verify and info say of them; a file that fails does
# not keep the others from being told. info --json: two spaces a level, the keys in their
# order, a name that is no UTF-8 with the replacement character, a failure as its error.
$ vantrel-cli pack white.bmp p.blz
$ vantrel-cli pack white.bmp s.blz --layout stream
$ wc -c < p.blz
73
$ od -An -tx1 s.blz
 4c 5a 52 57 46 00 00 00 2a 00 40 0a a2 42 4d 46
 00 00 13 36 00 70 28 00 40 02 00 44 01 00 18 00
 a0 00 29 00 00 10 00 00 03 00 ff 00 12 00 00 00
 72 ff 00 00
$ vantrel-cli verify p.blz s.blz white.bmp
p.blz: OK (packed bitmap, 1 records)
s.blz: OK (BLZ stream, 1 records)
white.bmp: OK (round trip in both layouts)
$ vantrel-cli info p.blz s.blz white.bmp missing.bmp
vantrel-cli: missing.bmp: Cannot open file "missing.bmp". No such file or directory
p.blz: packed bitmap, 2 x 2, 24 bpp, BMP image 70 bytes, stored size 70, 1 records, 73 bytes on disk (104.3 %)
s.blz: BLZ stream, 2 x 2, 24 bpp, BMP image 70 bytes, stored size 70, 1 records, 52 bytes on disk (74.3 %)
white.bmp: BMP, 2 x 2, 24 bpp, 70 bytes on disk
[1]
$ cp white.bmp "$(printf "\377").bmp"
$ vantrel-cli info --json s.blz "$(printf "\377").bmp" missing.gif
[
  {
    "file": "s.blz",
    "layout": "stream",
    "width": 2,
    "height": 2,
    "bpp": 24,
    "image_bytes": 70,
    "stored_size": 70,
    "records": 1,
    "disk_bytes": 52
  },
  {
    "file": "�.bmp",
    "layout": "bmp",
    "width": 2,
    "height": 2,
    "bpp": 24,
    "disk_bytes": 70
  },
  {
    "file": "missing.gif",
    "error": "Cannot open file \"missing.gif\". No such file or directory"
  }
]
[1]
# A stream whose stored size promises more than its records hold: info counts the records
# there are, verify says what differs, unpack takes the picture.
$ cp s.blz c.blz; printf '\100\015\003' | dd of=c.blz bs=1 seek=4 conv=notrunc 2>/dev/null
$ vantrel-cli info c.blz
c.blz: BLZ stream, 2 x 2, 24 bpp, BMP image 70 bytes, stored size 200000, 1 records, 52 bytes on disk (74.3 %)
$ vantrel-cli verify c.blz
vantrel-cli: c.blz: stored size 200000 differs from the restored image of 70 bytes
[1]
$ vantrel-cli unpack c.blz c.bmp && cmp c.bmp white.bmp
# Records after those the stored size promises are neither counted nor read.
$ (cat s.blz; tail -c 44 s.blz) > extra.blz; vantrel-cli info extra.blz
extra.blz: BLZ stream, 2 x 2, 24 bpp, BMP image 70 bytes, stored size 70, 1 records, 96 bytes on disk (137.1 %)
$ vantrel-cli verify extra.blz && vantrel-cli unpack extra.blz e.bmp && cmp e.bmp white.bmp
extra.blz: OK (BLZ stream, 1 records)
# PGM takes grey pictures only: grey where all three channels are equal, not two of them.
$ vantrel-cli convert white.bmp w.pgm
$ head -n 1 w.pgm
P5
$ vantrel-cli convert two-equal-channels.bmp c.pgm
vantrel-cli: two-equal-channels.bmp: PGM holds grey pictures only, and this one has colour: write PPM, PAM or PNG instead
[1]
# Text that cannot reach standard output (a full disk, a closed descriptor) fails the run. A
# program started without standard input opens its files as any other.
$ vantrel-cli info white.bmp > /dev/full
vantrel-cli: Cannot write standard output. No space left on device
[1]
$ vantrel-cli verify white.bmp > /dev/full
vantrel-cli: Cannot write standard output. No space left on device
[1]
$ vantrel-cli --help >&-
vantrel-cli: Cannot write standard output. Bad file descriptor
[1]
$ vantrel-cli convert white.bmp c.png <&-
$ head -c 4 c.png | od -An -c
 211   P   N   G
# A BMP is told by both letters of its signature.
$ cp white.bmp xm.bmp; printf X | dd of=xm.bmp bs=1 conv=notrunc 2>/dev/null
$ cp white.bmp bx.bmp; printf X | dd of=bx.bmp bs=1 seek=1 conv=notrunc 2>/dev/null
$ vantrel-cli info xm.bmp bx.bmp
vantrel-cli: xm.bmp: Bitmap image is not valid: the "BM" signature is missing
vantrel-cli: bx.bmp: Bitmap image is not valid: the "BM" signature is missing
[1]
# Naming the format changes no byte: a BMP with alpha keeps its colour channels.
$ for f in alpha.bmp 565.bmp; do vantrel-cli unpack $f a.bmp; vantrel-cli unpack --format bmp $f b.bmp; cmp a.bmp b.bmp && echo "$f: the same"; done
alpha.bmp: the same
565.bmp: the same
