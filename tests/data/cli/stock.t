# needs convert
# Pictures of formats Qt's own readers read, made by ImageMagick: what looks like one of ours by
# its name or its first bytes is left to our own decoders, which refuse it; what BLZ cannot keep
# of a picture is said, a line for each thing, naming the file as the user named it.
$ convert -size 6x4 gradient:red-blue PNG24:pic.png
$ for name in pic.gif pic.GIF pic.ico no-extension; do cp pic.png $name; done
$ (printf GIF89a; cat pic.png) > gif-start.xyz
$ (printf "\0\0\1\0\1\0"; head -c 40 pic.png) > broken.ico
$ convert -size 6x4 gradient:red-blue -orient TopLeft tga:t.dat
$ printf "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0" >> t.dat
$ convert -size 6x4 gradient:red-blue \( -size 6x4 xc:green \) \( -size 6x4 xc:blue \) -depth 16 pages.tif
$ convert -size 6x4 gradient:red-blue -depth 8 -orient RightTop turned.tif
$ /usr/bin/python3 -c "import struct,zlib;c=lambda t,d:struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d));open('wide.png','wb').write(bytes.fromhex('89504e470d0a1a0a')+c(b'IHDR',struct.pack('>IIBBBBB',70000,1,8,2,0,0,0))+c(b'IDAT',zlib.compress(bytes(210001)))+c(b'IEND',b''))"
$ for f in pic.gif pic.GIF pic.ico broken.ico gif-start.xyz no-extension t.dat pages.tif turned.tif wide.png; do vantrel-cli convert $f out.blz; echo "status $?"; done
vantrel-cli: pic.gif: Not Known Format
status 1
vantrel-cli: pic.GIF: Not Known Format
status 1
vantrel-cli: pic.ico: Not Known Format
status 1
vantrel-cli: broken.ico: Not Known Format
status 1
vantrel-cli: gif-start.xyz: Not Known Format
status 1
status 0
status 0
vantrel-cli: pages.tif: its 16-bit channels become 8-bit
vantrel-cli: pages.tif: only the first of 3 pages is kept
status 0
vantrel-cli: turned.tif: its EXIF orientation is applied
status 0
vantrel-cli: wide.png: Picture: image width or height above 65535 (70000 x 1)
status 1
$ vantrel-cli convert - o.png < pages.tif
vantrel-cli: -: its 16-bit channels become 8-bit
vantrel-cli: -: only the first of 3 pages is kept
# An icon keeps its transparency whether its name or its content tells what it is: the PAM's
# kind of tuple, then its first pixel (transparent) and its last.
$ convert -size 8x16 xc:"rgba(10,20,30,0)" -size 8x16 xc:"rgb(200,100,50)" +append a.ico
$ cp a.ico a.bin
$ for n in a.ico a.bin; do vantrel-cli convert --to pam $n $n.pam; sed -n 6p $n.pam; tail -c 1024 $n.pam | head -c 4 | od -An -tu1; tail -c 4 $n.pam | od -An -tu1; done
TUPLTYPE RGB_ALPHA
   0   0   0   0
 200 100  50 255
TUPLTYPE RGB_ALPHA
   0   0   0   0
 200 100  50 255
# Copied away from its input module, the program still reads BMP and BLZ files, and says what
# it misses for anything else; a library in the module's place that is not the module is named.
$ mkdir alone && cp "$(command -v vantrel-cli)" alone/ && alone/vantrel-cli pack white.bmp w.blz
$ { alone/vantrel-cli convert pic.png p.blz; echo "status $?"; } 2>&1 | sed "s|$PWD|.|"
vantrel-cli: pic.png: reading this format needs the input module: ./alone/vantrel-cli-input.so: cannot open shared object file: No such file or directory
status 1
$ cp "$(ldd alone/vantrel-cli | awk '/libpng/ {print $3}')" alone/vantrel-cli-input.so
$ { alone/vantrel-cli convert pic.png p.blz; echo "status $?"; } 2>&1 | sed "s|$PWD|.|"
vantrel-cli: pic.png: reading this format needs the input module: ./alone/vantrel-cli-input.so is not this program's input module
status 1
