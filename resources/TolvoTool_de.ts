<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ArchiveWindow</name>
    <message>
        <source>Readout archive</source>
        <translation>Auslesearchiv</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Messungen</translation>
    </message>
    <message>
        <source>First measurement</source>
        <translation>Erste Messung</translation>
    </message>
    <message>
        <source>Last measurement</source>
        <translation>Letzte Messung</translation>
    </message>
    <message>
        <source>Archived wrenches</source>
        <translation>Archivierte Geräte</translation>
    </message>
    <message>
        <source>All dates</source>
        <translation>Gesamter Zeitraum</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>First date</source>
        <translation>Erster Tag</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Bis</translation>
    </message>
    <message>
        <source>Last date</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>Report of the archived measurements</source>
        <translation>Bericht der archivierten Messungen</translation>
    </message>
    <message>
        <source>Save to File</source>
        <translation>In Datei speichern</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>No readout has been archived yet (%1).</source>
        <translation>Noch keine Auslesung archiviert (%1).</translation>
    </message>
    <message>
        <source>Archive: %1</source>
        <translation>Archiv: %1</translation>
    </message>
    <message>
        <source>Measurements shown: %1</source>
        <translation>Angezeigte Messungen: %1</translation>
    </message>
    <message>
        <source>AQDEF…</source>
        <translation>AQDEF…</translation>
    </message>
    <message>
        <source>Values</source>
        <translation>Werte</translation>
    </message>
    <message>
        <source>Save for the Quality System</source>
        <translation>Für das Qualitätssystem speichern</translation>
    </message>
    <message>
        <source>AQDEF Files (*.dfq)</source>
        <translation>AQDEF-Dateien (*.dfq)</translation>
    </message>
    <message>
        <source>AQDEF File</source>
        <translation>AQDEF-Datei</translation>
    </message>
    <message>
        <source>Cannot write file %1:
%2.</source>
        <translation>Datei %1 kann nicht geschrieben werden:
%2.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CapabilityReport</name>
    <message>
        <source>LSL</source>
        <translation>UGW</translation>
    </message>
    <message>
        <source>USL</source>
        <translation>OGW</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>Winkel</translation>
    </message>
    <message>
        <source>Torque</source>
        <translation>Drehmoment</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>Messung</translation>
    </message>
    <message>
        <source>Other unit or limits</source>
        <translation>Andere Einheit oder Grenzen</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Anzahl</translation>
    </message>
    <message>
        <source>Normal distribution</source>
        <translation>Normalverteilung</translation>
    </message>
    <message>
        <source>TolvoTool %1, report of %2</source>
        <translation>TolvoTool %1, Bericht vom %2</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>Capability report</source>
        <translation>Fähigkeitsbericht</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>Hardware version</source>
        <translation>Hardware-Version</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>Stichprobe</translation>
    </message>
    <message>
        <source>%1 of %2 measurements in the statistics, %3 excluded (other unit or limits)</source>
        <translation>%1 von %2 Messungen in der Statistik, %3 ausgeschlossen (andere Einheit oder Grenzen)</translation>
    </message>
    <message>
        <source>Measured values in record order</source>
        <translation>Messwerte in gespeicherter Reihenfolge</translation>
    </message>
    <message>
        <source>Histogram of the values in the statistics</source>
        <translation>Histogramm der Werte in der Statistik</translation>
    </message>
    <message>
        <source>Figures</source>
        <translation>Kennzahlen</translation>
    </message>
    <message>
        <source>How the figures are computed</source>
        <translation>So werden die Kennzahlen berechnet</translation>
    </message>
    <message>
        <source>Capable when Cm and Cmk, as shown with three decimals, reach the required values and the statistics hold at least the required number of values.</source>
        <translation>Fähig, wenn Cm und Cmk, mit drei Nachkommastellen gezeigt, die geforderten Werte erreichen und die Statistik mindestens die geforderte Anzahl Werte enthält.</translation>
    </message>
    <message>
        <source>the PDF could not be started</source>
        <translation>das PDF konnte nicht begonnen werden</translation>
    </message>
</context>
<context>
    <name>ChartWindow</name>
    <message>
        <source>Chart of the measured values</source>
        <translation>Diagramm der Messwerte</translation>
    </message>
    <message>
        <source>Measured values in record order</source>
        <translation>Messwerte in gespeicherter Reihenfolge</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>Messung</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>Winkel</translation>
    </message>
    <message>
        <source>Torque</source>
        <translation>Drehmoment</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Lower limit</source>
        <translation>Untere Grenze</translation>
    </message>
    <message>
        <source>Upper limit</source>
        <translation>Obere Grenze</translation>
    </message>
    <message>
        <source>Save Chart as PNG...</source>
        <translation>Diagramm als PNG speichern...</translation>
    </message>
    <message>
        <source>Save Statistics as CSV...</source>
        <translation>Statistik als CSV speichern...</translation>
    </message>
    <message>
        <source>Save Chart</source>
        <translation>Diagramm speichern</translation>
    </message>
    <message>
        <source>PNG Files (*.png)</source>
        <translation>PNG-Dateien (*.png)</translation>
    </message>
    <message>
        <source>Save Statistics</source>
        <translation>Statistik speichern</translation>
    </message>
    <message>
        <source>CSV Files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Cannot write file %1:
%2.</source>
        <translation>Datei %1 kann nicht geschrieben werden:
%2.</translation>
    </message>
    <message>
        <source>Other unit or limits</source>
        <translation>Andere Einheit oder Grenzen</translation>
    </message>
    <message>
        <source>the picture could not be encoded</source>
        <translation>das Bild konnte nicht kodiert werden</translation>
    </message>
    <message>
        <source>Save Report as PDF...</source>
        <translation>Bericht als PDF speichern...</translation>
    </message>
    <message>
        <source>Save Report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>PDF Files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
</context>
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
    <message>
        <source>Connect when the port appears</source>
        <translation>Verbinden, sobald der Port erscheint</translation>
    </message>
</context>
<context>
    <name>HistogramChart</name>
    <message>
        <source>Distribution of the values</source>
        <translation>Verteilung der Werte</translation>
    </message>
    <message>
        <source>Histogram of the measured values</source>
        <translation>Histogramm der Messwerte</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Anzahl</translation>
    </message>
    <message>
        <source>Normal distribution (mean, σ)</source>
        <translation>Normalverteilung (Mittelwert, σ)</translation>
    </message>
</context>
<context>
    <name>HistoryStats</name>
    <message>
        <source>Measurements</source>
        <translation>Messungen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>n.OK</source>
        <translation>n.OK</translation>
    </message>
    <message>
        <source>Not evaluated</source>
        <translation>Nicht bewertet</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Lower limit (LSL)</source>
        <translation>Untere Grenze (UGW)</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Sollwert</translation>
    </message>
    <message>
        <source>Upper limit (USL)</source>
        <translation>Obere Grenze (OGW)</translation>
    </message>
    <message>
        <source>Values in statistics</source>
        <translation>Werte in der Statistik</translation>
    </message>
    <message>
        <source>Excluded</source>
        <translation>Ausgenommen</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Mittelwert</translation>
    </message>
    <message>
        <source>Standard deviation</source>
        <translation>Standardabweichung</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Cm</source>
        <translation>Cm</translation>
    </message>
    <message>
        <source>Cmk</source>
        <translation>Cmk</translation>
    </message>
    <message>
        <source>σ: sample standard deviation (n - 1). Cm = (USL - LSL) / 6σ, Cmk = min(USL - mean, mean - LSL) / 3σ, over the values of one unit and one pair of limits (those most measurements share).</source>
        <translation>σ: Standardabweichung der Stichprobe (n - 1). Cm = (OGW - UGW) / 6σ, Cmk = min(OGW - Mittelwert, Mittelwert - UGW) / 3σ, über die Werte einer Einheit und eines Grenzwertpaares (das die meisten Messungen haben).</translation>
    </message>
    <message>
        <source>the values do not look normally distributed: Cm and Cmk may mislead</source>
        <translation>die Werte scheinen nicht normalverteilt: Cm und Cmk können täuschen</translation>
    </message>
    <message>
        <source>no evidence against a normal distribution</source>
        <translation>kein Hinweis gegen eine Normalverteilung</translation>
    </message>
    <message>
        <source>Required Cm</source>
        <translation>Gefordertes Cm</translation>
    </message>
    <message>
        <source>Required Cmk</source>
        <translation>Gefordertes Cmk</translation>
    </message>
    <message>
        <source>Required values</source>
        <translation>Geforderte Anzahl Werte</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Urteil</translation>
    </message>
    <message>
        <source>Anderson-Darling A²</source>
        <translation>Anderson-Darling A²</translation>
    </message>
    <message>
        <source>A*² (corrected for n)</source>
        <translation>A*² (für n korrigiert)</translation>
    </message>
    <message>
        <source>p-value (normality)</source>
        <translation>p-Wert (Normalverteilung)</translation>
    </message>
    <message>
        <source>Normality</source>
        <translation>Normalverteilung</translation>
    </message>
    <message>
        <source>too few values: %1 of %2</source>
        <translation>zu wenige Werte: %1 von %2</translation>
    </message>
    <message>
        <source>not capable: Cm and Cmk undefined (no limits)</source>
        <translation>nicht fähig: Cm und Cmk nicht bestimmt (keine Grenzen)</translation>
    </message>
    <message>
        <source>not capable: Cm and Cmk undefined (fewer than two values)</source>
        <translation>nicht fähig: Cm und Cmk nicht bestimmt (weniger als zwei Werte)</translation>
    </message>
    <message>
        <source>not capable: Cm and Cmk undefined (the values do not vary)</source>
        <translation>nicht fähig: Cm und Cmk nicht bestimmt (die Werte streuen nicht)</translation>
    </message>
    <message>
        <source>not capable: %1 and %2</source>
        <translation>nicht fähig: %1 und %2</translation>
    </message>
    <message>
        <source>not capable: %1</source>
        <translation>nicht fähig: %1</translation>
    </message>
    <message>
        <source>capable</source>
        <translation>fähig</translation>
    </message>
    <message>
        <source>A²: Anderson-Darling statistic against a normal distribution of the values&apos; mean and σ, A*² = A² (1 + 0.75/n + 2.25/n²), p from A*² after D&apos;Agostino and Stephens; needs %1 values.</source>
        <translation>A²: Anderson-Darling-Statistik gegen eine Normalverteilung mit Mittelwert und σ der Werte, A*² = A² (1 + 0,75/n + 2,25/n²), p aus A*² nach D&apos;Agostino und Stephens; braucht %1 Werte.</translation>
    </message>
</context>
<context>
    <name>PortProblem</name>
    <message>
        <source>This account may not use the port.</source>
        <translation>Dieses Konto darf den Port nicht benutzen.</translation>
    </message>
    <message>
        <source>This account may not use the port: add it to the port&apos;s group (usually dialout) and log in again, or install the tool&apos;s udev rule (70-tolvo-wrench.rules).</source>
        <translation>Dieses Konto darf den Port nicht benutzen: in die Gruppe des Ports aufnehmen (meist dialout) und neu anmelden, oder die udev-Regel des Tools installieren (70-tolvo-wrench.rules).</translation>
    </message>
    <message>
        <source>Another program is using the port: close it and connect again.</source>
        <translation>Ein anderes Programm benutzt den Port: dieses schließen und erneut verbinden.</translation>
    </message>
    <message>
        <source>The port is not there: plug the wrench in, or choose its port in Setup.</source>
        <translation>Der Port ist nicht vorhanden: das Gerät anschließen oder seinen Port unter Einstellungen wählen.</translation>
    </message>
    <message>
        <source>The port refuses the line settings, or is no serial port: check the port and the baud rate in Setup.</source>
        <translation>Der Port lehnt die Leitungseinstellungen ab oder ist kein serieller Port: Port und Baudrate unter Einstellungen prüfen.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>No archive file is set.</source>
        <translation>Es ist keine Archivdatei eingestellt.</translation>
    </message>
    <message>
        <source>The archive %1 cannot be created: the folder %2 cannot be made.</source>
        <translation>Das Archiv %1 kann nicht angelegt werden: der Ordner %2 kann nicht erstellt werden.</translation>
    </message>
    <message>
        <source>The archive %1 cannot keep a write-ahead log.</source>
        <translation>Das Archiv %1 kann kein Write-Ahead-Log führen.</translation>
    </message>
    <message>
        <source>The database driver %1 for the archive server is not installed.</source>
        <translation>Der Datenbanktreiber %1 für den Archivserver ist nicht installiert.</translation>
    </message>
    <message>
        <source>The archive server %1 cannot be used: %2</source>
        <translation>Der Archivserver %1 kann nicht genutzt werden: %2</translation>
    </message>
    <message>
        <source>The archive %1 failed: %2</source>
        <translation>Das Archiv %1 meldet einen Fehler: %2</translation>
    </message>
    <message>
        <source>The archive %1 was written by a newer version of the tool (layout %2; this one knows %3). Nothing was changed; please update the tool.</source>
        <translation>Das Archiv %1 wurde von einer neueren Version des Programms geschrieben (Aufbau %2; diese Version kennt %3). Es wurde nichts verändert; bitte das Programm aktualisieren.</translation>
    </message>
    <message>
        <source>The archive server %1 has no archive tables, and this account may not create them. Please ask its administrator to create them.</source>
        <translation>Der Archivserver %1 hat keine Archivtabellen, und dieses Konto darf sie nicht anlegen. Bitte den Administrator des Servers bitten, sie anzulegen.</translation>
    </message>
    <message>
        <source>The wrench did not give its serial number.</source>
        <translation>Das Gerät hat seine Seriennummer nicht genannt.</translation>
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
    <name>QorbPIDMan</name>
    <message>
        <source>Parameter %1 is not known.</source>
        <translation>Parameter %1 ist nicht bekannt.</translation>
    </message>
    <message>
        <source>Parameter %1 has no known value type.</source>
        <translation>Parameter %1 hat keinen bekannten Werttyp.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no valid value for parameter %2.</source>
        <translation>&quot;%1&quot; ist kein gültiger Wert für Parameter %2.</translation>
    </message>
    <message>
        <source>The value of parameter %1 is longer than one message can carry (%2 bytes).</source>
        <translation>Der Wert von Parameter %1 ist länger, als eine Nachricht tragen kann (%2 Bytes).</translation>
    </message>
</context>
<context>
    <name>ReadoutArchiver</name>
    <message>
        <source>Not archived: the wrench did not give its serial number.</source>
        <translation>Nicht archiviert: Das Gerät hat seine Seriennummer nicht genannt.</translation>
    </message>
    <message>
        <source>Not archived: %1</source>
        <translation>Nicht archiviert: %1</translation>
    </message>
    <message>
        <source>Archived: %1 new of %2 measurements.</source>
        <translation>Archiviert: %1 neue von %2 Messungen.</translation>
    </message>
</context>
<context>
    <name>ReportView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>Find:</source>
        <translation>Suchen:</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Nicht gefunden</translation>
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
    <message>
        <source>*{color:black;border-radius:4px;border-width:1px;border-color:#859789;border-style:solid;background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 2, stop: 0 #F6F7FA, stop: 1 #AAABAE)}
:hover{border-width:1px;border-color:#FF7777;border-style:solid;background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f6f7fa, stop: 1 #dadbde)}
:pressed {background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #dadbde, stop: 1 #f6f7fa);}</source>
        <translation>*{color:black;border-radius:4px;border-width:1px;border-color:#859789;border-style:solid;background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 2, stop: 0 #F6F7FA, stop: 1 #AAABAE)}
:hover{border-width:1px;border-color:#FF7777;border-style:solid;background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f6f7fa, stop: 1 #dadbde)}
:pressed {background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #dadbde, stop: 1 #f6f7fa);}</translation>
    </message>
    <message>
        <source>*{border-width:1px;font:bold;border-radius:5px;background-color: qlineargradient(x1: 0,y1:0,x2:0,y2:2,stop:0#F8F9FC,stop:1#6A6B6E)}</source>
        <translation>*{border-width:1px;font:bold;border-radius:5px;background-color: qlineargradient(x1: 0,y1:0,x2:0,y2:2,stop:0#F8F9FC,stop:1#6A6B6E)}</translation>
    </message>
</context>
<context>
    <name>ViewBase</name>
    <message>
        <source>Parameter %1 was not written: %2</source>
        <translation>Parameter %1 wurde nicht geschrieben: %2</translation>
    </message>
    <message>
        <source>The checksum of %1 could not be repaired:
%2
The file was loaded as it is.</source>
        <translation>Die Prüfsumme von %1 konnte nicht repariert werden:
%2
Die Datei wurde unverändert geladen.</translation>
    </message>
</context>
<context>
    <name>ViewHistory</name>
    <message>
        <source>Measured Values</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Save to File</source>
        <translation>In Datei speichern</translation>
    </message>
    <message>
        <source>MEASUREMENT</source>
        <translation>MESSUNG</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>Hardware version</source>
        <translation>Hardware-Version</translation>
    </message>
    <message>
        <source>Device serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Measurement mode</source>
        <translation>Messart</translation>
    </message>
    <message>
        <source>Torque mode</source>
        <translation>Drehmomentmodus</translation>
    </message>
    <message>
        <source>Measured torque</source>
        <translation>Gemessenes Drehmoment</translation>
    </message>
    <message>
        <source>unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Target torque</source>
        <translation>Soll-Drehmoment</translation>
    </message>
    <message>
        <source>Measured angle</source>
        <translation>Gemessener Winkel</translation>
    </message>
    <message>
        <source>Target angle</source>
        <translation>Soll-Winkel</translation>
    </message>
    <message>
        <source>Snug torque</source>
        <translation>Fügemoment</translation>
    </message>
    <message>
        <source>Date of measurement</source>
        <translation>Datum der Messung</translation>
    </message>
    <message>
        <source>Time of measurement</source>
        <translation>Uhrzeit der Messung</translation>
    </message>
    <message>
        <source>Duration of measurement</source>
        <translation>Dauer der Messung</translation>
    </message>
    <message>
        <source>Evaluation</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>Tolerance</source>
        <translation>Toleranz</translation>
    </message>
    <message>
        <source>Reference working length</source>
        <translation>Referenz-Arbeitslänge</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>Ablaufplan</translation>
    </message>
    <message>
        <source>Parameter set</source>
        <translation>Parametersatz</translation>
    </message>
    <message>
        <source>Torque check</source>
        <translation>Drehmomentprüfung</translation>
    </message>
    <message>
        <source>Angle check</source>
        <translation>Winkelprüfung</translation>
    </message>
    <message>
        <source>Lower torque</source>
        <translation>Unteres Drehmoment</translation>
    </message>
    <message>
        <source>Upper torque</source>
        <translation>Oberes Drehmoment</translation>
    </message>
    <message>
        <source>Lower angle</source>
        <translation>Unterer Winkel</translation>
    </message>
    <message>
        <source>Upper angle</source>
        <translation>Oberer Winkel</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>Verifikation</translation>
    </message>
    <message>
        <source>(overloaded)</source>
        <translation>(überlastet)</translation>
    </message>
    <message>
        <source>°</source>
        <translation>°</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Torque</source>
        <translation>Drehmoment</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>Winkel</translation>
    </message>
    <message>
        <source>displaying</source>
        <translation>anzeigend</translation>
    </message>
    <message>
        <source>triggering</source>
        <translation>auslösend</translation>
    </message>
    <message>
        <source>n.OK</source>
        <translation>n.OK</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>JA</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NEIN</translation>
    </message>
    <message>
        <source>No schedule</source>
        <translation>Kein Ablaufplan</translation>
    </message>
    <message>
        <source>No preset</source>
        <translation>Keine Vorwahl</translation>
    </message>
    <message>
        <source>No parameter</source>
        <translation>Kein Parameter</translation>
    </message>
    <message>
        <source>Total measurements:</source>
        <translation>Messungen gesamt:</translation>
    </message>
    <message>
        <source>Report date:</source>
        <translation>Berichtsdatum:</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>Gerätename:</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Firmware-Version:</translation>
    </message>
    <message>
        <source>Hardware version:</source>
        <translation>Hardware-Version:</translation>
    </message>
    <message>
        <source>Device serial number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>DEVICE FIRMWARE VERSION UNKNOWN!
readout impossible!
please reconnect device..</source>
        <translation>FIRMWARE-VERSION DES GERÄTS UNBEKANNT!
Auslesen nicht möglich!
bitte Gerät neu verbinden..</translation>
    </message>
    <message>
        <source>You have connected a base version. A reading of the stored data is not possible!</source>
        <translation>Sie haben eine Basisversion angeschlossen. Ein Auslesen der gespeicherten Daten ist nicht möglich!</translation>
    </message>
    <message>
        <source>READING HISTORY, PLEASE WAIT..!
this process may take a few seconds!
view changes if the process was finished!</source>
        <translation>HISTORIE WIRD GELESEN, BITTE WARTEN..!
dieser Vorgang kann einige Sekunden dauern!
die Ansicht wechselt, wenn der Vorgang beendet ist!</translation>
    </message>
    <message>
        <source>HISTORY DATA ARE PROCESSED, PLEASE WAIT..!
view changes if the process was finished!</source>
        <translation>HISTORIENDATEN WERDEN VERARBEITET, BITTE WARTEN..!
die Ansicht wechselt, wenn der Vorgang beendet ist!</translation>
    </message>
    <message>
        <source>no data found!</source>
        <translation>keine Daten gefunden!</translation>
    </message>
    <message>
        <source>HISTORY TOO LARGE!
the device holds more data than can be read out.</source>
        <translation>HISTORIE ZU GROSS!
das Gerät enthält mehr Daten, als ausgelesen werden können.</translation>
    </message>
    <message>
        <source>please readout before save!</source>
        <translation>bitte vor dem Speichern auslesen!</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Save History Data</source>
        <translation>Historiendaten speichern</translation>
    </message>
    <message>
        <source>TXT Files (*.txt);;CSV Files (*.csv)</source>
        <translation>TXT-Dateien (*.txt);;CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>TXT File</source>
        <translation>TXT-Datei</translation>
    </message>
    <message>
        <source>Cannot write file %1:
%2.</source>
        <translation>Datei %1 kann nicht geschrieben werden:
%2.</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>READOUT INTERRUPTED!
the connection to the wrench was lost.
please reconnect and read again.</source>
        <translation>AUSLESEN UNTERBROCHEN!
die Verbindung zum Gerät ist unterbrochen.
bitte neu verbinden und erneut auslesen.</translation>
    </message>
    <message>
        <source>Archive result</source>
        <translation>Archivierungsergebnis</translation>
    </message>
    <message>
        <source>Measurements of earlier readouts, kept on this computer</source>
        <translation>Messungen früherer Auslesungen, auf diesem Computer gespeichert</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
</context>
</TS>
