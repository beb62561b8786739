# needs convert
# The program in a pipeline: no picture goes to a terminal; a reader that stops early fails
# the run; "./-" is a file. A stream whose records end before its stored size is found to be
# damaged after rows went out: a pipe keeps them and gets the rest of the whole picture, a
# regular file takes them back and gets the whole picture.
$ convert -size 1000x1000 gradient:red-blue BMP3:big.bmp
$ vantrel-cli pack white.bmp w.blz
# An output that is a pipe or a device, not a file, is written to as it is.
$ vantrel-cli unpack w.blz /dev/stdout | cmp - white.bmp
$ mkfifo fifo; vantrel-cli unpack big.bmp fifo & cmp fifo big.bmp; wait $!
$ script -qec 'vantrel-cli unpack w.blz -' /dev/null >t; s=$?; tr -d '\r' <t | head -n 1; (exit $s)
vantrel-cli: refusing to write a picture to a terminal: redirect standard output to a file or a pipe, or name an OUTPUT file
[2]
$ (vantrel-cli unpack big.bmp -; echo "status $?" >status) | head -c 1 >/dev/null; cat status
vantrel-cli: big.bmp: Cannot write standard output. Broken pipe
status 1
$ vantrel-cli pack white.bmp ./- && cmp ./- w.blz
$ vantrel-cli pack --layout stream big.bmp o.blz && printf '\0\0\100' | dd of=o.blz bs=1 seek=4 conv=notrunc 2>/dev/null
$ vantrel-cli unpack o.blz whole.bmp && vantrel-cli unpack o.blz - >file.bmp && cmp whole.bmp file.bmp
$ vantrel-cli unpack o.blz - | cat >piped.bmp && cmp whole.bmp piped.bmp
