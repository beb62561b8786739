<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="hu">
<context>
    <name>TAboutBox</name>
    <message>
        <source>About Vantrel</source>
        <translation>Über Vantrel</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source> A különbözô képek tömörítését végző alkalmazás,<byte value="xd"/> mely drag &amp;&amp; drop módon is képes a fájlokat fogadni.<byte value="xd"/> A mentés alapértelmezésben *.blz kiterjesztéssel.</source>
        <translation> Ein Programm, das Bilder aller Art komprimiert<byte value="xd"/> und Dateien auch per Drag &amp;&amp; Drop annimmt.<byte value="xd"/> Gespeichert wird standardmäßig als *.blz.</translation>
    </message>
    <message>
        <source> for Windows &apos;32</source>
        <translation> für Windows &apos;32</translation>
    </message>
    <message>
        <source>A Vantrel emblémája</source>
        <translation>Das Vantrel-Logo</translation>
    </message>
</context>
<context>
    <name>TComprImg</name>
    <message>
        <source>Nincs kép</source>
        <translation>Kein Bild</translation>
    </message>
    <message>
        <source>Parancsok</source>
        <translation>Befehle</translation>
    </message>
    <message>
        <source> for Win32</source>
        <translation> für Win32</translation>
    </message>
    <message>
        <source>%1 x %2 képpont</source>
        <translation>%1 x %2 Pixel</translation>
    </message>
    <message>
        <source>H I B A</source>
        <translation>F E H L E R</translation>
    </message>
    <message>
        <source>A formátum nem ismert</source>
        <translation>Das Format ist unbekannt</translation>
    </message>
    <message>
        <source>Vantrel for Win32: %1 %2 x %3</source>
        <translation>Vantrel für Win32: %1 %2 x %3</translation>
    </message>
    <message>
        <source>Images...</source>
        <translation>Bilder...</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Quick saving<byte value="xd"/>was unsuccessfull</source>
        <translation>Schnellspeichern<byte value="xd"/>ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>E R R O R</source>
        <translation>F E H L E R</translation>
    </message>
    <message>
        <source>Compressed</source>
        <translation>Komprimiert</translation>
    </message>
    <message>
        <source>Vantrel for Win32: Vágólapról %1 x %2</source>
        <translation>Vantrel für Win32: Aus der Zwischenablage %1 x %2</translation>
    </message>
</context>
<context>
    <name>TDialogs</name>
    <message>
        <source>Minden fájl</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Minden kép</source>
        <translation>Alle Bilder</translation>
    </message>
</context>
<context>
    <name>TMessDlgBox</name>
    <message>
        <source>Valóban ki szeretne lépni</source>
        <translation>Wirklich beenden</translation>
    </message>
    <message>
        <source>&amp;Igen</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;Nem</source>
        <translation>&amp;Nein</translation>
    </message>
</context>
</TS>
