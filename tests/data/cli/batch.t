# Batches take files and folders (-r: with their subfolders), keep the names and the folders
# under the ones named, skip what is no picture, never overwrite an output (a later input of
# the same name fails: in/a.dib comes after in/a.bmp) and sum up unless quiet. The progress bar
# shows on a terminal only (here at once), never with -q.
$ mkdir -p in/sub; for f in in/a.bmp in/b.BMP in/sub/c.bmp; do cp white.bmp $f; done; cp 565.bmp in/a.dib; printf hi >in/notes.txt
$ vantrel-cli convert white.bmp in/d.png
$ vantrel-cli convert --to ppm -r -q --out-dir out in/sub white.bmp
$ find out -type f | sort; rm -r out
out/c.ppm
out/white.ppm
$ vantrel-cli pack -q --out-dir out in
vantrel-cli: in/a.dib: would write out/a.BLZ, which in/a.bmp writes
[1]
$ find out -type f | sort; vantrel-cli info out/a.BLZ; rm -r out
out/a.BLZ
out/b.BLZ
out/d.BLZ
out/a.BLZ: packed bitmap, 2 x 2, 24 bpp, BMP image 70 bytes, stored size 70, 1 records, 73 bytes on disk (104.3 %)
$ VANTREL_PROGRESS_AFTER_MS=0 vantrel-cli pack -r --out-dir out in
vantrel-cli: in/a.dib: would write out/a.BLZ, which in/a.bmp writes
vantrel-cli: 5 files, 4 written, 1 failed, 1 skipped; 289 bytes in, 292 bytes out
[1]
$ find out -type f | sort; rm -r out
out/a.BLZ
out/b.BLZ
out/d.BLZ
out/sub/c.BLZ
$ VANTREL_PROGRESS_AFTER_MS=0 script -qec 'vantrel-cli convert --to ppm --out-dir out white.bmp 565.bmp' /dev/null | tr '\r' '\n' | grep -o '] 1/2 files\|vantrel-cli: .*skipped;' | LC_ALL=C sort -u; rm -r out
] 1/2 files
vantrel-cli: 2 files, 2 written, 0 failed, 0 skipped;
$ VANTREL_PROGRESS_AFTER_MS=0 script -qec 'vantrel-cli convert --to ppm -q --out-dir out white.bmp 565.bmp' /dev/null; ls out
565.ppm
white.ppm
