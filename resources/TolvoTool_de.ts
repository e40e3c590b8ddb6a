<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>DeviceService</name>
    <message>
        <source>Timeout</source>
        <translation>Zeitüberschreitung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The value for parameter %1 is %2 bytes long; at most %3 bytes can be sent. Nothing was written.</source>
        <translation>Der Wert für Parameter %1 ist %2 Bytes lang; höchstens %3 Bytes können gesendet werden. Es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>Group: %1
Code: %2</source>
        <translation>Gruppe: %1
Code: %2</translation>
    </message>
    <message>
        <source>
Class: 0x%1</source>
        <translation>
Klasse: 0x%1</translation>
    </message>
</context>
<context>
    <name>DlgSetup</name>
    <message>
        <source>Setup</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>USB port connected to :</source>
        <translation>USB-Port verbunden mit :</translation>
    </message>
    <message>
        <source>USB port selection :</source>
        <translation>Portauswahl :</translation>
    </message>
    <message>
        <source>Language selection :</source>
        <translation>Sprachauswahl :</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QorbPIDError</name>
    <message>
        <source>no error</source>
        <translation>kein Fehler</translation>
    </message>
    <message>
        <source>not writable, cause value exceeds max value
ID = #1</source>
        <translation>nicht schreibbar, da der Wert das Maximum überschreitet
ID = #1</translation>
    </message>
    <message>
        <source>not writable, cause value under-runs min value
ID = #1</source>
        <translation>nicht schreibbar, da der Wert das Minimum unterschreitet
ID = #1</translation>
    </message>
    <message>
        <source>not writable at the moment
ID = #1</source>
        <translation>momentan nicht schreibbar
ID = #1</translation>
    </message>
    <message>
        <source>error wrong message content size
ID = #1</source>
        <translation>Fehler: falsche Größe des Nachrichteninhalts
ID = #1</translation>
    </message>
    <message>
        <source>not available
ID = #1</source>
        <translation>nicht verfügbar
ID = #1</translation>
    </message>
    <message>
        <source>not writable, because of Service level (value is read-only)
ID = #1</source>
        <translation>nicht schreibbar wegen der Service-Stufe (Wert ist schreibgeschützt)
ID = #1</translation>
    </message>
    <message>
        <source>general error
ID = #1</source>
        <translation>allgemeiner Fehler
ID = #1</translation>
    </message>
    <message>
        <source>wrong index for parameter
ID = #1</source>
        <translation>falscher Index für Parameter
ID = #1</translation>
    </message>
    <message>
        <source>parameter temporarily not readable
ID = #1</source>
        <translation>Parameter vorübergehend nicht lesbar
ID = #1</translation>
    </message>
    <message>
        <source>parameter temporarily not writable
ID = #1</source>
        <translation>Parameter vorübergehend nicht schreibbar
ID = #1</translation>
    </message>
    <message>
        <source>internal buffer too small for transmission
ID = #1</source>
        <translation>interner Puffer zu klein für die Übertragung
ID = #1</translation>
    </message>
    <message>
        <source>wrong type
ID = #1</source>
        <translation>falscher Typ
ID = #1</translation>
    </message>
    <message>
        <source>not readable
ID = #1</source>
        <translation>nicht lesbar
ID = #1</translation>
    </message>
    <message>
        <source>general COM error</source>
        <translation>allgemeiner COM-Fehler</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>wrong terminal name</source>
        <translation>falscher Terminalname</translation>
    </message>
    <message>
        <source>wrong terminal version</source>
        <translation>falsche Terminalversion</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>nicht verbunden</translation>
    </message>
</context>
<context>
    <name>TolvoTool</name>
    <message>
        <source>XML Load Error</source>
        <translation>XML-Ladefehler</translation>
    </message>
    <message>
        <source>Failed to load resources from style file
or Internal Data Error!

Please check file &lt;TolvoTool.sty&gt;</source>
        <translation>Ressourcen konnten nicht aus der Style-Datei geladen werden
oder interner Datenfehler!

Bitte die Datei &lt;TolvoTool.sty&gt; prüfen</translation>
    </message>
    <message>
        <source>TolvoTool</source>
        <translation>TolvoTool</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Disconnect Wrench</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>Connect Wrench</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Com Port is not available!</source>
        <translation>COM-Port ist nicht verfügbar!</translation>
    </message>
    <message>
        <source>Com Port is no longer available!</source>
        <translation>COM-Port ist nicht mehr verfügbar!</translation>
    </message>
    <message>
        <source>Connected with  </source>
        <translation>Verbunden mit  </translation>
    </message>
    <message>
        <source> Version </source>
        <translation> Version </translation>
    </message>
    <message>
        <source>Device is not connected ...</source>
        <translation>Gerät ist nicht verbunden ...</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Write Error to Com Port.
Press Ok and disconnect the Port.
Check your Application and reopen the Port!</source>
        <translation>Schreibfehler am COM-Port.
OK drücken und den Port trennen.
Anwendung prüfen und den Port erneut öffnen!</translation>
    </message>
</context>
<context>
    <name>ViewBase</name>
    <message>
        <source>Parameter %1 was not written: %2</source>
        <translation>Parameter %1 wurde nicht geschrieben: %2</translation>
    </message>
</context>
</TS>
