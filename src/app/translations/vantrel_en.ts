<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="hu">
<context>
    <name>TAboutBox</name>
    <message>
        <source>About Vantrel</source>
        <translation>About Vantrel</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source> A különbözô képek tömörítését végző alkalmazás,<byte value="xd"/> mely drag &amp;&amp; drop módon is képes a fájlokat fogadni.<byte value="xd"/> A mentés alapértelmezésben *.blz kiterjesztéssel.</source>
        <translation> A program that compresses pictures of all kinds,<byte value="xd"/> and it takes files by drag &amp;&amp; drop as well.<byte value="xd"/> Saves with the *.blz extension by default.</translation>
    </message>
    <message>
        <source> for Windows &apos;32</source>
        <translation> for Windows &apos;32</translation>
    </message>
    <message>
        <source>A Vantrel emblémája</source>
        <translation>The Vantrel logo</translation>
    </message>
</context>
<context>
    <name>TComprImg</name>
    <message>
        <source>Nincs kép</source>
        <translation>No picture</translation>
    </message>
    <message>
        <source>Parancsok</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source> for Win32</source>
        <translation> for Win32</translation>
    </message>
    <message>
        <source>%1 x %2 képpont</source>
        <translation>%1 x %2 pixels</translation>
    </message>
    <message>
        <source>H I B A</source>
        <translation>E R R O R</translation>
    </message>
    <message>
        <source>A formátum nem ismert</source>
        <translation>The format is not known</translation>
    </message>
    <message>
        <source>Vantrel for Win32: %1 %2 x %3</source>
        <translation>Vantrel for Win32: %1 %2 x %3</translation>
    </message>
    <message>
        <source>Images...</source>
        <translation>Images...</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Quick saving<byte value="xd"/>was unsuccessfull</source>
        <translation>Quick saving<byte value="xd"/>was unsuccessful</translation>
    </message>
    <message>
        <source>E R R O R</source>
        <translation>E R R O R</translation>
    </message>
    <message>
        <source>Compressed</source>
        <translation>Compressed</translation>
    </message>
    <message>
        <source>Vantrel for Win32: Vágólapról %1 x %2</source>
        <translation>Vantrel for Win32: From the clipboard %1 x %2</translation>
    </message>
</context>
<context>
    <name>TDialogs</name>
    <message>
        <source>Minden fájl</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>Minden kép</source>
        <translation>All pictures</translation>
    </message>
</context>
<context>
    <name>TMessDlgBox</name>
    <message>
        <source>Valóban ki szeretne lépni</source>
        <translation>Do you really want to quit</translation>
    </message>
    <message>
        <source>&amp;Igen</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nem</source>
        <translation>&amp;No</translation>
    </message>
</context>
</TS>
