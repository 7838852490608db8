<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About  ! Pagelorn</source>
        <translation>Über  ! Pagelorn</translation>
    </message>
    <message>
        <source>! Pagelorn Version %1</source>
        <translation>! Pagelorn Version %1</translation>
    </message>
</context>
<context>
    <name>CAlignmentCombo</name>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Zentriert</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
</context>
<context>
    <name>CAreaControls</name>
    <message>
        <source>Background  Properties</source>
        <translation>Hintergrundeigenschaften</translation>
    </message>
    <message>
        <source>Font Properties</source>
        <translation>Schrifteigenschaften</translation>
    </message>
    <message>
        <source>(Default)</source>
        <translation>(Standard)</translation>
    </message>
    <message>
        <source>Image:</source>
        <translation>Bild:</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>Farbe:</translation>
    </message>
    <message>
        <source>Font:</source>
        <translation>Schrift:</translation>
    </message>
</context>
<context>
    <name>CBrowseButton</name>
    <message>
        <source>Gif Files (*.gif)</source>
        <translation>GIF-Dateien (*.gif)</translation>
    </message>
    <message>
        <source>JPG Files (*.jpg)</source>
        <translation>JPG-Dateien (*.jpg)</translation>
    </message>
    <message>
        <source>JPEG Files (*.jpeg)</source>
        <translation>JPEG-Dateien (*.jpeg)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Wave Sound (*.wav)</source>
        <translation>Wave-Klang (*.wav)</translation>
    </message>
    <message>
        <source>Midi Sequencer (*.mid)</source>
        <translation>MIDI-Sequenz (*.mid)</translation>
    </message>
    <message>
        <source>RealMedia (*.ram)</source>
        <translation>RealMedia (*.ram)</translation>
    </message>
    <message>
        <source>RealMedia (*.ra)</source>
        <translation>RealMedia (*.ra)</translation>
    </message>
    <message>
        <source>AIFF Sound (*.aif *.aifc *.aiff)</source>
        <translation>AIFF-Klang (*.aif *.aifc *.aiff)</translation>
    </message>
    <message>
        <source>AU Sound (*.au *.snd)</source>
        <translation>AU-Klang (*.au *.snd)</translation>
    </message>
    <message>
        <source>Please select a folder</source>
        <translation>Bitte einen Ordner wählen</translation>
    </message>
</context>
<context>
    <name>CBrowserLauncher</name>
    <message>
        <source>%1 ended with status %2.</source>
        <translation>%1 endete mit Status %2.</translation>
    </message>
</context>
<context>
    <name>CCheckDialog</name>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>missing file</source>
        <translation>fehlende Datei</translation>
    </message>
    <message>
        <source>ambiguous file</source>
        <translation>mehrdeutige Datei</translation>
    </message>
    <message>
        <source>unreadable file</source>
        <translation>unlesbare Datei</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>keine Datei</translation>
    </message>
    <message>
        <source>export folder</source>
        <translation>Exportordner</translation>
    </message>
    <message>
        <source>page renamed</source>
        <translation>Seite umbenannt</translation>
    </message>
    <message>
        <source>copy renamed</source>
        <translation>Kopie umbenannt</translation>
    </message>
    <message>
        <source>unsafe characters</source>
        <translation>unsichere Zeichen</translation>
    </message>
    <message>
        <source>active markup</source>
        <translation>aktives Markup</translation>
    </message>
    <message>
        <source>hidden folder</source>
        <translation>versteckter Ordner</translation>
    </message>
    <message>
        <source>plain ftp</source>
        <translation>unverschlüsseltes FTP</translation>
    </message>
    <message>
        <source>unreadable picture</source>
        <translation>unlesbares Bild</translation>
    </message>
    <message>
        <source>kept</source>
        <translation>bleibt</translation>
    </message>
    <message>
        <source>low contrast</source>
        <translation>wenig Kontrast</translation>
    </message>
    <message>
        <source>no caption</source>
        <translation>keine Beschriftung</translation>
    </message>
    <message>
        <source>charset</source>
        <translation>Zeichensatz</translation>
    </message>
    <message>
        <source>No problems found: the website can be exported.</source>
        <translation>Keine Probleme gefunden: Die Website kann exportiert werden.</translation>
    </message>
    <message>
        <source>1 error</source>
        <translation>1 Fehler</translation>
    </message>
    <message>
        <source>%1 errors</source>
        <translation>%1 Fehler</translation>
    </message>
    <message>
        <source>1 note</source>
        <translation>1 Hinweis</translation>
    </message>
    <message>
        <source>%1 notes</source>
        <translation>%1 Hinweise</translation>
    </message>
    <message>
        <source>%1 and %2. Double-click a row to select what it names.</source>
        <translation>%1 und %2. Ein Doppelklick auf eine Zeile wählt aus, was sie nennt.</translation>
    </message>
    <message>
        <source>Check website</source>
        <translation>Website prüfen</translation>
    </message>
    <message>
        <source>Severity</source>
        <translation>Schweregrad</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>Wo</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Check &amp;Again</source>
        <translation>&amp;Erneut prüfen</translation>
    </message>
    <message>
        <source>Deleted from the website since the check.</source>
        <translation>Seit der Prüfung aus der Website gelöscht.</translation>
    </message>
    <message>
        <source>1 row names what was deleted since.</source>
        <translation>1 Zeile nennt, was seitdem gelöscht wurde.</translation>
    </message>
    <message>
        <source>%1 rows name what was deleted since.</source>
        <translation>%1 Zeilen nennen, was seitdem gelöscht wurde.</translation>
    </message>
</context>
<context>
    <name>CDesktop</name>
    <message>
        <source>%1 could not be opened: no browser or other program could be started for it.

%2</source>
        <translation>%1 konnte nicht geöffnet werden: Kein Browser und kein anderes Programm ließ sich dafür starten.

%2</translation>
    </message>
</context>
<context>
    <name>CExportProgressDlg</name>
    <message>
        <source>Reading the website and the files it links to.</source>
        <translation>Die Website und die verlinkten Dateien werden gelesen.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>(%1 of them were up to date.)</source>
        <translation>(%1 davon waren aktuell.)</translation>
    </message>
    <message>
        <source>Pages: %1 of %2 done.</source>
        <translation>Seiten: %1 von %2 fertig.</translation>
    </message>
    <message>
        <source>Copies of linked files: %1 of %2 done.</source>
        <translation>Kopien verlinkter Dateien: %1 von %2 fertig.</translation>
    </message>
    <message>
        <source>Thumbnails: %1 of %2 done.</source>
        <translation>Vorschaubilder: %1 von %2 fertig.</translation>
    </message>
    <message>
        <source>About %1 seconds left.</source>
        <translation>Noch etwa %1 Sekunden.</translation>
    </message>
    <message>
        <source>About %1 minutes left.</source>
        <translation>Noch etwa %1 Minuten.</translation>
    </message>
    <message>
        <source>Stopping once the pages and files under way are written...</source>
        <translation>Hält an, sobald die begonnenen Seiten und Dateien geschrieben sind...</translation>
    </message>
    <message>
        <source>Copied %1 of %2.</source>
        <translation>%1 von %2 kopiert.</translation>
    </message>
    <message>
        <source>Copied %1 of %2, about %3 seconds left for the copies.</source>
        <translation>%1 von %2 kopiert, die Kopien brauchen noch etwa %3 Sekunden.</translation>
    </message>
    <message>
        <source>Copied %1 of %2, about %3 minutes left for the copies.</source>
        <translation>%1 von %2 kopiert, die Kopien brauchen noch etwa %3 Minuten.</translation>
    </message>
</context>
<context>
    <name>CExportRunner</name>
    <message>
        <source>Exporting the website...</source>
        <translation>Die Website wird exportiert...</translation>
    </message>
    <message>
        <source>Checking the website...</source>
        <translation>Die Website wird geprüft...</translation>
    </message>
    <message>
        <source>The export failed: %1</source>
        <translation>Der Export ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>The check failed: %1</source>
        <translation>Die Prüfung ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>CFontButton</name>
    <message>
        <source>(Default)</source>
        <translation>(Standard)</translation>
    </message>
    <message>
        <source>B</source>
        <comment>bold</comment>
        <translation>F</translation>
    </message>
    <message>
        <source>I</source>
        <comment>italic</comment>
        <translation>K</translation>
    </message>
    <message>
        <source>U</source>
        <comment>underline</comment>
        <translation>U</translation>
    </message>
    <message>
        <source>S</source>
        <comment>strike-out</comment>
        <translation>D</translation>
    </message>
</context>
<context>
    <name>CImportJob</name>
    <message>
        <source>Importing...</source>
        <translation>Importieren...</translation>
    </message>
    <message>
        <source>Importing... %1 files and folders
%2</source>
        <translation>Importieren... %1 Dateien und Ordner
%2</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <translation>&amp;Neu	Strg+N</translation>
    </message>
    <message>
        <source>Create a new document
New</source>
        <translation>Ein neues Dokument anlegen
Neu</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>Ö&amp;ffnen...	Strg+O</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>Ein vorhandenes Dokument öffnen
Öffnen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Close the active document
Close</source>
        <translation>Das aktive Dokument schließen
Schließen</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>&amp;Speichern	Strg+S</translation>
    </message>
    <message>
        <source>Save the active document
Save</source>
        <translation>Das aktive Dokument speichern
Speichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save the active document with a new name
Save As</source>
        <translation>Das aktive Dokument unter einem neuen Namen speichern
Speichern unter</translation>
    </message>
    <message>
        <source>E&amp;xit	Ctrl+Q</source>
        <translation>&amp;Beenden	Strg+Q</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Das Programm beenden; fragt, ob Dokumente gespeichert werden sollen
Beenden</translation>
    </message>
    <message>
        <source>&amp;Undo	Ctrl+Z</source>
        <translation>&amp;Rückgängig	Strg+Z</translation>
    </message>
    <message>
        <source>Undo the last action
Undo</source>
        <translation>Die letzte Aktion rückgängig machen
Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo	Ctrl+Shift+Z</source>
        <translation>&amp;Wiederherstellen	Strg+Umschalt+Z</translation>
    </message>
    <message>
        <source>Redo the previously undone action
Redo</source>
        <translation>Die zuletzt rückgängig gemachte Aktion wiederherstellen
Wiederherstellen</translation>
    </message>
    <message>
        <source>New &amp;Folder	Ctrl+F</source>
        <translation>Neuer &amp;Ordner	Strg+F</translation>
    </message>
    <message>
        <source>New folder
New folder</source>
        <translation>Neuer Ordner
Neuer Ordner</translation>
    </message>
    <message>
        <source>New &amp;Item	Ctrl+I</source>
        <translation>Neues &amp;Element	Strg+I</translation>
    </message>
    <message>
        <source>New Item
New Item</source>
        <translation>Neues Element
Neues Element</translation>
    </message>
    <message>
        <source>Cu&amp;t	Ctrl+Shift+X</source>
        <translation>&amp;Ausschneiden	Strg+Umschalt+X</translation>
    </message>
    <message>
        <source>Cut the selection and put it on the Clipboard
Cut</source>
        <translation>Die Auswahl ausschneiden und in die Zwischenablage legen
Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy	Ctrl+Shift+C</source>
        <translation>&amp;Kopieren	Strg+Umschalt+C</translation>
    </message>
    <message>
        <source>Copy the selection and put it on the Clipboard
Copy</source>
        <translation>Die Auswahl kopieren und in die Zwischenablage legen
Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste	Ctrl+Shift+V</source>
        <translation>E&amp;infügen	Strg+Umschalt+V</translation>
    </message>
    <message>
        <source>Insert Clipboard contents
Paste</source>
        <translation>Den Inhalt der Zwischenablage einfügen
Einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete	Del</source>
        <translation>&amp;Löschen	Entf</translation>
    </message>
    <message>
        <source>Delete folers or items
Delete</source>
        <translation>Ordner oder Elemente löschen
Löschen</translation>
    </message>
    <message>
        <source>Mo&amp;ve Up	Ctrl+Up Arrow</source>
        <translation>Nach o&amp;ben	Strg+Pfeil nach oben</translation>
    </message>
    <message>
        <source>Move up
Move up</source>
        <translation>Nach oben
Nach oben</translation>
    </message>
    <message>
        <source>Move Dow&amp;n	Ctrl+Down Arrow</source>
        <translation>Nach u&amp;nten	Strg+Pfeil nach unten</translation>
    </message>
    <message>
        <source>Move down
Move down</source>
        <translation>Nach unten
Nach unten</translation>
    </message>
    <message>
        <source>by &amp;Caption</source>
        <translation>nach &amp;Beschriftung</translation>
    </message>
    <message>
        <source>Put the items of the folder in the order of their captions
Sort by caption</source>
        <translation>Die Elemente des Ordners nach ihren Beschriftungen ordnen
Nach Beschriftung sortieren</translation>
    </message>
    <message>
        <source>by &amp;File Name</source>
        <translation>nach &amp;Dateiname</translation>
    </message>
    <message>
        <source>Put the items of the folder in the order of their files&apos; names
Sort by file name</source>
        <translation>Die Elemente des Ordners nach den Namen ihrer Dateien ordnen
Nach Dateiname sortieren</translation>
    </message>
    <message>
        <source>by &amp;Date Taken</source>
        <translation>nach &amp;Aufnahmedatum</translation>
    </message>
    <message>
        <source>Put the items of the folder in the order their photos were taken
Sort by date taken</source>
        <translation>Die Elemente des Ordners in der Reihenfolge ordnen, in der ihre Fotos aufgenommen wurden
Nach Aufnahmedatum sortieren</translation>
    </message>
    <message>
        <source>&amp;Preview</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>Preview
Preview</source>
        <translation>Vorschau
Vorschau</translation>
    </message>
    <message>
        <source>Import F&amp;older...</source>
        <translation>&amp;Ordner importieren...</translation>
    </message>
    <message>
        <source>Import a folder
Import a folder</source>
        <translation>Einen Ordner importieren
Ordner importieren</translation>
    </message>
    <message>
        <source>Import &amp;Files...</source>
        <translation>&amp;Dateien importieren...</translation>
    </message>
    <message>
        <source>Import files
Import files</source>
        <translation>Dateien importieren
Dateien importieren</translation>
    </message>
    <message>
        <source>Import Folder as Sub-&amp;site...</source>
        <translation>Ordner als &amp;Unterseite importieren...</translation>
    </message>
    <message>
        <source>Import a folder as a new sub-site named after it
Import folder as sub-site</source>
        <translation>Einen Ordner als neue Unterseite importieren, die nach ihm benannt wird
Ordner als Unterseite importieren</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source>Export website
Export website</source>
        <translation>Website exportieren
Website exportieren</translation>
    </message>
    <message>
        <source>&amp;Check website...</source>
        <translation>Website &amp;prüfen...</translation>
    </message>
    <message>
        <source>List what the export would find wrong, writing nothing
Check website</source>
        <translation>Auflisten, was der Export bemängeln würde, ohne etwas zu schreiben
Website prüfen</translation>
    </message>
    <message>
        <source>P&amp;ublish...</source>
        <translation>Ver&amp;öffentlichen...</translation>
    </message>
    <message>
        <source>Export, then put on your web host what changed
Publish website</source>
        <translation>Exportieren, dann das Geänderte auf Ihren Webhost übertragen
Website veröffentlichen</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Die Statusleiste ein- oder ausblenden
Statusleiste ein/aus</translation>
    </message>
    <message>
        <source>&amp;Website Properties...</source>
        <translation>&amp;Website-Eigenschaften...</translation>
    </message>
    <message>
        <source>Website Properties
Website Properties</source>
        <translation>Website-Eigenschaften
Website-Eigenschaften</translation>
    </message>
    <message>
        <source>&amp;Layout Properties...</source>
        <translation>&amp;Layout-Eigenschaften...</translation>
    </message>
    <message>
        <source>Layout Properties
Layout Properties</source>
        <translation>Layout-Eigenschaften
Layout-Eigenschaften</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>Contents of help
Contents of help </source>
        <translation>Inhalt der Hilfe
Inhalt der Hilfe</translation>
    </message>
    <message>
        <source>&amp;About  ! Pagelorn...</source>
        <translation>Ü&amp;ber  ! Pagelorn...</translation>
    </message>
    <message>
        <source>About  ! Pagelorn</source>
        <translation>Über  ! Pagelorn</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>S&amp;ort Items</source>
        <translation>Elemente &amp;sortieren</translation>
    </message>
    <message>
        <source>&amp;Site</source>
        <translation>&amp;Website</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation>Die Werkzeugleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Toggle ToolBar</source>
        <translation>Werkzeugleiste ein/aus</translation>
    </message>
    <message>
        <source>&amp;Undo %1	Ctrl+Z</source>
        <translation>&amp;Rückgängig: %1	Strg+Z</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Redo %1	Ctrl+Shift+Z</source>
        <translation>&amp;Wiederherstellen: %1	Strg+Umschalt+Z</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Wiederherstellen: %1</translation>
    </message>
    <message>
        <source>%1[*] - %2</source>
        <translation>%1[*] - %2</translation>
    </message>
    <message>
        <source>Do you want to save the changes to the new project?</source>
        <translation>Möchten Sie die Änderungen am neuen Projekt speichern?</translation>
    </message>
    <message>
        <source>Do you want to save the changes to %1?</source>
        <translation>Möchten Sie die Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>%1 was changed by another program since it was opened or last saved.

Overwrite it with this project? Cancel keeps the file as the other program left it.</source>
        <translation>%1 wurde von einem anderen Programm geändert, seit die Datei geöffnet oder zuletzt gespeichert wurde.

Mit diesem Projekt überschreiben? Abbrechen lässt die Datei so, wie das andere Programm sie hinterlassen hat.</translation>
    </message>
    <message>
        <source>%1 and %2 were changed by another program since they were opened or last saved.

Overwrite them with this project? Cancel keeps the files as the other program left them.</source>
        <translation>%1 und %2 wurden von einem anderen Programm geändert, seit sie geöffnet oder zuletzt gespeichert wurden.

Mit diesem Projekt überschreiben? Abbrechen lässt die Dateien so, wie das andere Programm sie hinterlassen hat.</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Überschreiben</translation>
    </message>
    <message>
        <source>

Saving the project asks before that file is replaced.</source>
        <translation>

Beim Speichern des Projekts wird gefragt, bevor diese Datei ersetzt wird.</translation>
    </message>
    <message>
        <source>No temporary folder could be made for the preview: %1</source>
        <translation>Für die Vorschau konnte kein temporärer Ordner angelegt werden: %1</translation>
    </message>
    <message>
        <source>

The pages written so far stay in the folder; export again to write the whole website.</source>
        <translation>

Die bisher geschriebenen Seiten bleiben im Ordner; exportieren Sie erneut, um die ganze Website zu schreiben.</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
    <message>
        <source>Warning: %1 holds folders that cannot be read; exporting into it deletes whatever they hold.</source>
        <translation>Achtung: %1 enthält Ordner, die nicht gelesen werden können; ein Export dorthin löscht, was immer sie enthalten.</translation>
    </message>
    <message>
        <source>Warning: exporting into %1 deletes 1 file or folder that is not part of this website:
%2</source>
        <translation>Achtung: Ein Export nach %1 löscht 1 Datei oder 1 Ordner, die nicht zu dieser Website gehören:
%2</translation>
    </message>
    <message>
        <source>Warning: exporting into %1 deletes %2 files and folders that are not part of this website:
%3</source>
        <translation>Achtung: Ein Export nach %1 löscht %2 Dateien und Ordner, die nicht zu dieser Website gehören:
%3</translation>
    </message>
    <message>
        <source>Delete and Export</source>
        <translation>Löschen und exportieren</translation>
    </message>
    <message>
        <source>The preview was written, but %1 could not be opened in the browser.</source>
        <translation>Die Vorschau wurde geschrieben, aber %1 konnte nicht im Browser geöffnet werden.</translation>
    </message>
    <message>
        <source>All Files (*);;Html Files (*.htm);;Html Files (*.html);;Gif Files (*.gif);;JPEG Files (*.jpg);;MP3 Files (*.mp3);;Zip files (*.zip)</source>
        <translation>Alle Dateien (*);;HTML-Dateien (*.htm);;HTML-Dateien (*.html);;GIF-Dateien (*.gif);;JPEG-Dateien (*.jpg);;MP3-Dateien (*.mp3);;ZIP-Dateien (*.zip)</translation>
    </message>
    <message>
        <source>Please select import folder</source>
        <translation>Bitte den Ordner für den Import wählen</translation>
    </message>
    <message>
        <source>The import stopped early: %1</source>
        <translation>Der Import wurde vorzeitig beendet: %1</translation>
    </message>
    <message>
        <source>1 hidden or junk entry left out of the import</source>
        <translation>1 versteckter oder überflüssiger Eintrag wurde beim Import ausgelassen</translation>
    </message>
    <message>
        <source>%1 hidden or junk entries left out of the import</source>
        <translation>%1 versteckte oder überflüssige Einträge wurden beim Import ausgelassen</translation>
    </message>
    <message>
        <source>1 entry was not imported</source>
        <translation>1 Eintrag wurde nicht importiert</translation>
    </message>
    <message>
        <source>%1 entries were not imported</source>
        <translation>%1 Einträge wurden nicht importiert</translation>
    </message>
    <message>
        <source>: only regular files are imported; links to folders are not followed, and entries that cannot be read or no longer exist are left out.
</source>
        <translation>: Nur gewöhnliche Dateien werden importiert; Verknüpfungen auf Ordner werden nicht verfolgt, und Einträge, die nicht gelesen werden können oder nicht mehr existieren, werden ausgelassen.
</translation>
    </message>
    <message>
        <source>
... and %1 more</source>
        <translation>
... und %1 weitere</translation>
    </message>
    <message>
        <source>This website has no publish address yet. Enter it on the Publish page of Options &gt; Website Properties.</source>
        <translation>Diese Website hat noch keine Adresse zum Veröffentlichen. Tragen Sie sie auf der Seite Veröffentlichen unter Optionen &gt; Website-Eigenschaften ein.</translation>
    </message>
    <message>
        <source>The publish address %1 cannot be used: %2.</source>
        <translation>Die Adresse %1 kann nicht zum Veröffentlichen verwendet werden: %2.</translation>
    </message>
    <message>
        <source>%1 uses plain FTP, which sends your password and every file over the network in clear. Publish all the same?</source>
        <translation>%1 verwendet unverschlüsseltes FTP, das Ihr Passwort und jede Datei im Klartext durch das Netz schickt. Trotzdem veröffentlichen?</translation>
    </message>
    <message>
        <source>Nothing was published to %1: %2</source>
        <translation>Nach %1 wurde nichts veröffentlicht: %2</translation>
    </message>
    <message>
        <source>Nothing was published to %1: %2.</source>
        <translation>Nach %1 wurde nichts veröffentlicht: %2.</translation>
    </message>
    <message>
        <source>Publishing was stopped: %1. Every file sent is whole; publish again to finish.</source>
        <translation>Das Veröffentlichen wurde angehalten: %1. Jede gesendete Datei ist vollständig; veröffentlichen Sie erneut, um es abzuschließen.</translation>
    </message>
    <message>
        <source>The connection to %1 broke: %2

%3. Every file sent is whole; publish again to finish.</source>
        <translation>Die Verbindung zu %1 ist abgebrochen: %2

%3. Jede gesendete Datei ist vollständig; veröffentlichen Sie erneut, um es abzuschließen.</translation>
    </message>
    <message>
        <source>Published to %1: %2</source>
        <translation>Nach %1 veröffentlicht: %2</translation>
    </message>
    <message>
        <source>%1. These files could not be published:</source>
        <translation>%1. Diese Dateien konnten nicht veröffentlicht werden:</translation>
    </message>
    <message>
        <source>

Nothing was deleted on the server, since an old page may still link to what would be deleted.</source>
        <translation>

Auf dem Server wurde nichts gelöscht, da eine alte Seite noch auf das verweisen kann, was gelöscht würde.</translation>
    </message>
    <message>
        <source>WWW files (*.www);;All Files (*)</source>
        <translation>WWW-Dateien (*.www);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>

Not everything could be written:</source>
        <translation>

Nicht alles konnte geschrieben werden:</translation>
    </message>
    <message>
        <source>
... and %1 more.</source>
        <translation>
... und %1 weitere.</translation>
    </message>
    <message>
        <source>The website settings file %1 could not be read when the project was opened, so every setting in it was taken as off.

Replace it with the settings the project has now? No saves the project and leaves that file as it is.</source>
        <translation>Die Datei mit den Website-Einstellungen %1 konnte beim Öffnen des Projekts nicht gelesen werden, daher galt jede Einstellung darin als aus.

Sie durch die Einstellungen ersetzen, die das Projekt jetzt hat? Nein speichert das Projekt und lässt diese Datei, wie sie ist.</translation>
    </message>
    <message>
        <source>

What could be read is shown. Save it under a new name to keep it; the file itself is left as it is.</source>
        <translation>

Was gelesen werden konnte, wird gezeigt. Speichern Sie es unter einem neuen Namen, um es zu behalten; die Datei selbst bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>The user guide is missing: it belongs in %1.</source>
        <translation>Das Benutzerhandbuch fehlt: Es gehört nach %1.</translation>
    </message>
    <message>
        <source>The user guide %1 could not be opened in the browser.</source>
        <translation>Das Benutzerhandbuch %1 konnte nicht im Browser geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>CMetaVariableDlg</name>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>Wert:</translation>
    </message>
    <message>
        <source>Please input name of the variable.</source>
        <translation>Bitte den Namen der Variablen eingeben.</translation>
    </message>
</context>
<context>
    <name>COptionLayoutAreaPage</name>
    <message>
        <source>Layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Alignment:</source>
        <translation>Ausrichtung:</translation>
    </message>
</context>
<context>
    <name>COptionLayoutMainPage</name>
    <message>
        <source>Main Canvas</source>
        <translation>Hauptfläche</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Rows:</source>
        <translation>Zeilen:</translation>
    </message>
    <message>
        <source>Columns:</source>
        <translation>Spalten:</translation>
    </message>
    <message>
        <source>Alignment:</source>
        <translation>Ausrichtung:</translation>
    </message>
</context>
<context>
    <name>COptionLayoutSheet</name>
    <message>
        <source>Layout Properties</source>
        <translation>Layout-Eigenschaften</translation>
    </message>
    <message>
        <source>Header Bar</source>
        <translation>Kopfleiste</translation>
    </message>
    <message>
        <source>Top Navigator Bar</source>
        <translation>Navigation oben</translation>
    </message>
    <message>
        <source>History Bar</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Next Navigator Bar</source>
        <translation>Navigation weiter</translation>
    </message>
    <message>
        <source>Index Bar</source>
        <translation>Indexleiste</translation>
    </message>
    <message>
        <source>Footer Bar</source>
        <translation>Fußleiste</translation>
    </message>
</context>
<context>
    <name>COptionLayoutTablePage</name>
    <message>
        <source>Pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>Farbe:</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Breite:</translation>
    </message>
    <message>
        <source>Table Properties</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Cell Padding:</source>
        <translation>Zellenabstand innen:</translation>
    </message>
    <message>
        <source>Cell Spacing:</source>
        <translation>Zellenabstand außen:</translation>
    </message>
    <message>
        <source>Alignment:</source>
        <translation>Ausrichtung:</translation>
    </message>
    <message>
        <source>Border</source>
        <translation>Rahmen</translation>
    </message>
    <message>
        <source>Cell line</source>
        <translation>Zellenlinie</translation>
    </message>
</context>
<context>
    <name>COptionPageBKGDPage</name>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>Specify Background and Colors</source>
        <translation>Hintergrund und Farben festlegen</translation>
    </message>
    <message>
        <source>Background Image</source>
        <translation>Hintergrundbild</translation>
    </message>
    <message>
        <source>Watermark</source>
        <translation>Wasserzeichen</translation>
    </message>
    <message>
        <source>Use Default Colors</source>
        <translation>Standardfarben verwenden</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Hyperlink</source>
        <translation>Hyperlink</translation>
    </message>
    <message>
        <source>Visited Hyperlink</source>
        <translation>Besuchter Hyperlink</translation>
    </message>
    <message>
        <source>Active Hyperlink</source>
        <translation>Aktiver Hyperlink</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>Farben</translation>
    </message>
</context>
<context>
    <name>COptionPageCustomPage</name>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
    <message>
        <source>System Variables (HTTP-EQUIV)</source>
        <translation>Systemvariablen (HTTP-EQUIV)</translation>
    </message>
    <message>
        <source>User Variables</source>
        <translation>Benutzervariablen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Modify</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>System Meta Variable (HTTP-EQUIV)</source>
        <translation>Meta-Systemvariable (HTTP-EQUIV)</translation>
    </message>
    <message>
        <source>User Meta Variables</source>
        <translation>Meta-Benutzervariablen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
</context>
<context>
    <name>COptionPageFooterPage</name>
    <message>
        <source>Footer</source>
        <translation>Fußzeile</translation>
    </message>
</context>
<context>
    <name>COptionPageGeneralPage</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Forever</source>
        <translation>Endlos</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Speicherort:</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Background Sound</source>
        <translation>Hintergrundklang</translation>
    </message>
    <message>
        <source>Loop:</source>
        <translation>Wiederholungen:</translation>
    </message>
    <message>
        <source>Copy Linked Files</source>
        <translation>Verlinkte Dateien kopieren</translation>
    </message>
</context>
<context>
    <name>COptionPageHeaderPage</name>
    <message>
        <source>Header</source>
        <translation>Kopfzeile</translation>
    </message>
</context>
<context>
    <name>COptionPageLanguagePage</name>
    <message>
        <source>&lt;None&gt;</source>
        <translation>&lt;Keine&gt;</translation>
    </message>
    <message>
        <source>Baltic</source>
        <translation>Baltisch</translation>
    </message>
    <message>
        <source>Central European</source>
        <translation>Mitteleuropäisch</translation>
    </message>
    <message>
        <source>Central European (ISO)</source>
        <translation>Mitteleuropäisch (ISO)</translation>
    </message>
    <message>
        <source>Cyrillic</source>
        <translation>Kyrillisch</translation>
    </message>
    <message>
        <source>Cyrillic (KOI8-R)</source>
        <translation>Kyrillisch (KOI8-R)</translation>
    </message>
    <message>
        <source>Greek</source>
        <translation>Griechisch</translation>
    </message>
    <message>
        <source>Japanese (EUC)</source>
        <translation>Japanisch (EUC)</translation>
    </message>
    <message>
        <source>Japanese (JIS)</source>
        <translation>Japanisch (JIS)</translation>
    </message>
    <message>
        <source>Japanese (Shift-JIS)</source>
        <translation>Japanisch (Shift-JIS)</translation>
    </message>
    <message>
        <source>Korean (Wansung)</source>
        <translation>Koreanisch (Wansung)</translation>
    </message>
    <message>
        <source>Universal (UTF-8)</source>
        <translation>Universell (UTF-8)</translation>
    </message>
    <message>
        <source>Simplified Chinese (GB2312)</source>
        <translation>Chinesisch vereinfacht (GB2312)</translation>
    </message>
    <message>
        <source>Traditional Chinese (Big5)</source>
        <translation>Chinesisch traditionell (Big5)</translation>
    </message>
    <message>
        <source>Thai</source>
        <translation>Thailändisch</translation>
    </message>
    <message>
        <source>Turkish</source>
        <translation>Türkisch</translation>
    </message>
    <message>
        <source>US/Western European</source>
        <translation>US/Westeuropäisch</translation>
    </message>
    <message>
        <source>Universal Alphabet</source>
        <translation>Universelles Alphabet</translation>
    </message>
    <message>
        <source>Universal Alphabet (Big-Endian)</source>
        <translation>Universelles Alphabet (Big-Endian)</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>HTML Encoding for saving the page:</source>
        <translation>HTML-Kodierung zum Speichern der Seite:</translation>
    </message>
    <message>
        <source>Note: If you change the HTML encoding for saving the page some characters may not display properly. This can happen if the character is not available in the new encoding. You can use Universal (UTF-8) to avoid this problem.</source>
        <translation>Hinweis: Wenn Sie die HTML-Kodierung zum Speichern der Seite ändern, werden manche Zeichen womöglich nicht richtig angezeigt. Das geschieht, wenn ein Zeichen in der neuen Kodierung nicht vorhanden ist. Mit Universell (UTF-8) vermeiden Sie dieses Problem.</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>HTML Encoding for loading the page:</source>
        <translation>HTML-Kodierung zum Laden der Seite:</translation>
    </message>
    <message>
        <source>Note: If the text in the current page did not appear to load correctly, try specifying a different encoding.</source>
        <translation>Hinweis: Wenn der Text der aktuellen Seite nicht richtig geladen zu sein scheint, versuchen Sie eine andere Kodierung.</translation>
    </message>
</context>
<context>
    <name>COptionPageMarginsPage</name>
    <message>
        <source>Pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Margins </source>
        <translation>Ränder</translation>
    </message>
    <message>
        <source>Specify Top Margin</source>
        <translation>Oberen Rand festlegen</translation>
    </message>
    <message>
        <source>Specify Left Margin</source>
        <translation>Linken Rand festlegen</translation>
    </message>
    <message>
        <source>Top Margin</source>
        <translation>Oberer Rand</translation>
    </message>
    <message>
        <source>Left Margin</source>
        <translation>Linker Rand</translation>
    </message>
</context>
<context>
    <name>COptionPagePicturesPage</name>
    <message>
        <source>Pictures</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Make thumbnail files</source>
        <translation>Vorschaubilder anlegen</translation>
    </message>
    <message>
        <source>Show PNG and WebP files as pictures</source>
        <translation>PNG- und WebP-Dateien als Bilder zeigen</translation>
    </message>
    <message>
        <source>Pages show a small copy of each picture (in the folder thumb) instead of the whole file, so they load quickly; a click opens the picture.</source>
        <translation>Die Seiten zeigen von jedem Bild eine kleine Kopie (im Ordner thumb) statt der ganzen Datei, damit sie schnell laden; ein Klick öffnet das Bild.</translation>
    </message>
    <message>
        <source>&amp;Box:</source>
        <translation>&amp;Rahmen:</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>The longest side of a picture on the page.</source>
        <translation>Die längste Seite eines Bildes auf der Seite.</translation>
    </message>
    <message>
        <source>&amp;Density:</source>
        <translation>&amp;Dichte:</translation>
    </message>
    <message>
        <source>x</source>
        <translation>×</translation>
    </message>
    <message>
        <source>Pixels in a thumbnail file for each pixel on the page; 2 keeps pictures sharp on fine screens.</source>
        <translation>Pixel im Vorschaubild für jedes Pixel auf der Seite; mit 2 bleiben Bilder auf feinen Bildschirmen scharf.</translation>
    </message>
    <message>
        <source>&amp;Quality:</source>
        <translation>&amp;Qualität:</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>JPEG quality of the thumbnail files: higher is sharper and larger.</source>
        <translation>JPEG-Qualität der Vorschaubilder: höher ist schärfer und größer.</translation>
    </message>
    <message>
        <source>PNG and WebP files are copied into the folder image and shown in the box; otherwise they go into others and are linked by their caption.</source>
        <translation>PNG- und WebP-Dateien werden in den Ordner image kopiert und im Rahmen gezeigt; sonst kommen sie nach others und werden über ihre Beschriftung verlinkt.</translation>
    </message>
</context>
<context>
    <name>COptionPagePublishPage</name>
    <message>
        <source>Publish</source>
        <translation>Veröffentlichen</translation>
    </message>
    <message>
        <source>&amp;Test connection</source>
        <translation>Verbindung &amp;testen</translation>
    </message>
    <message>
        <source>sftp://example.org/~/public_html</source>
        <translation>sftp://example.org/~/public_html</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>Site &gt; Publish... puts the exported website there, sending only what changed. sftp:// (SSH) and ftps:// (FTP with TLS) keep your password safe; ftp:// sends it in clear. Your password is never kept in the project.</source>
        <translation>Website &gt; Veröffentlichen... überträgt die exportierte Website dorthin und sendet nur, was sich geändert hat. sftp:// (SSH) und ftps:// (FTP mit TLS) schützen Ihr Passwort; ftp:// sendet es im Klartext. Ihr Passwort wird nie im Projekt gespeichert.</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>Verbinden...</translation>
    </message>
    <message>
        <source>Host key: %1</source>
        <translation>Host-Schlüssel: %1</translation>
    </message>
    <message>
        <source>Certificate: %1</source>
        <translation>Zertifikat: %1</translation>
    </message>
</context>
<context>
    <name>COptionPageSheet</name>
    <message>
        <source>Website Properties</source>
        <translation>Website-Eigenschaften</translation>
    </message>
</context>
<context>
    <name>COptionPageStylePage</name>
    <message>
        <source>Style</source>
        <translation>Stil</translation>
    </message>
    <message>
        <source>&amp;Classic</source>
        <translation>&amp;Klassisch</translation>
    </message>
    <message>
        <source>&amp;Modern</source>
        <translation>&amp;Modern</translation>
    </message>
    <message>
        <source>The pages every Pagelorn website has always had: one table laid out for a desktop screen, each picture linking to the picture itself.</source>
        <translation>Die Seiten, die jede Pagelorn-Website schon immer hatte: eine Tabelle, angelegt für einen Desktop-Bildschirm, jedes Bild verlinkt auf das Bild selbst.</translation>
    </message>
    <message>
        <source>Pages that read well on a phone: the items in a grid that fits the screen, one stylesheet made from the layout properties, and a page for every picture, video and sound with previous and next links.</source>
        <translation>Seiten, die sich auch auf dem Telefon gut lesen: die Elemente in einem Raster, das sich dem Bildschirm anpasst, ein Stylesheet aus den Layout-Eigenschaften und eine Seite für jedes Bild, Video und jeden Klang mit Links zurück und weiter.</translation>
    </message>
</context>
<context>
    <name>COptionPageTextPage</name>
    <message>
        <source>HTML: this text is written into every page as it stands, so tags such as &lt;b&gt; and &lt;a href=...&gt; work; write &amp;lt; and &amp;amp; for a plain &lt; and &amp;.</source>
        <translation>HTML: Dieser Text wird unverändert in jede Seite geschrieben, daher wirken Tags wie &lt;b&gt; und &lt;a href=...&gt;; schreiben Sie &amp;lt; und &amp;amp; für ein einfaches &lt; und &amp;.</translation>
    </message>
</context>
<context>
    <name>CPublishPasswordDlg</name>
    <message>
        <source>&amp;Remember the password in the desktop&apos;s keyring</source>
        <translation>Passwort im Schlüsselbund des Desktops &amp;merken</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>&amp;Password for %1:</source>
        <translation>&amp;Passwort für %1:</translation>
    </message>
</context>
<context>
    <name>CPublishProgressDlg</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Publishing</source>
        <translation>Veröffentlichen</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>Verbinden...</translation>
    </message>
    <message>
        <source>Files: %1 of %2</source>
        <translation>Dateien: %1 von %2</translation>
    </message>
    <message>
        <source>Sent: %1 of %2</source>
        <translation>Gesendet: %1 von %2</translation>
    </message>
    <message>
        <source>Speed: %1/s</source>
        <translation>Geschwindigkeit: %1/s</translation>
    </message>
    <message>
        <source>Speed: -</source>
        <translation>Geschwindigkeit: -</translation>
    </message>
    <message>
        <source>Time left: %1</source>
        <translation>Restzeit: %1</translation>
    </message>
    <message>
        <source>Time left: -</source>
        <translation>Restzeit: -</translation>
    </message>
    <message>
        <source>Stopping once the files under way are whole...</source>
        <translation>Hält an, sobald die begonnenen Dateien vollständig sind...</translation>
    </message>
</context>
<context>
    <name>CPublishRunner</name>
    <message>
        <source>The server %1 is not known yet. Its host key has the fingerprint

%2

If your host tells you the same fingerprint, the server is the right one. Trust it?</source>
        <translation>Der Server %1 ist noch nicht bekannt. Sein Host-Schlüssel hat den Fingerabdruck

%2

Wenn Ihr Anbieter Ihnen denselben Fingerabdruck nennt, ist es der richtige Server. Ihm vertrauen?</translation>
    </message>
    <message>
        <source>The certificate of %1 cannot be verified (it may be one the host made itself). Its fingerprint is

%2

If your host tells you the same fingerprint, the server is the right one. Trust it?</source>
        <translation>Das Zertifikat von %1 lässt sich nicht überprüfen (womöglich hat der Anbieter es selbst ausgestellt). Sein Fingerabdruck ist

%2

Wenn Ihr Anbieter Ihnen denselben Fingerabdruck nennt, ist es der richtige Server. Ihm vertrauen?</translation>
    </message>
    <message>
        <source>The server %1 refused the login: %2</source>
        <translation>Der Server %1 hat die Anmeldung abgelehnt: %2</translation>
    </message>
    <message>
        <source>The folder at %1 holds files that were not published from here. Publish into it all the same? Files with the website&apos;s names are replaced; nothing else there is changed or deleted.</source>
        <translation>Der Ordner unter %1 enthält Dateien, die nicht von hier veröffentlicht wurden. Trotzdem dorthin veröffentlichen? Dateien mit den Namen der Website werden ersetzt; sonst wird dort nichts geändert oder gelöscht.</translation>
    </message>
    <message>
        <source>Connected.</source>
        <translation>Verbunden.</translation>
    </message>
</context>
<context>
    <name>CSiteDocument</name>
    <message>
        <source>1 sub-site</source>
        <translation>1 Unterseite</translation>
    </message>
    <message>
        <source>%1 sub-sites</source>
        <translation>%1 Unterseiten</translation>
    </message>
    <message>
        <source>1 item</source>
        <translation>1 Element</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 Elemente</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>Delete the item %1?</source>
        <translation>Das Element %1 löschen?</translation>
    </message>
    <message>
        <source>Delete the sub-site %1?</source>
        <translation>Die Unterseite %1 löschen?</translation>
    </message>
    <message>
        <source>Delete the sub-site %1 and its %2?</source>
        <translation>Die Unterseite %1 und ihre %2 löschen?</translation>
    </message>
    <message>
        <source>Delete %1?</source>
        <translation>%1 löschen?</translation>
    </message>
    <message>
        <source>The sub-sites hold %1 more.</source>
        <translation>Die Unterseiten enthalten %1 weitere.</translation>
    </message>
    <message>
        <source>Undo brings it back.</source>
        <translation>Mit Rückgängig holen Sie es zurück.</translation>
    </message>
    <message>
        <source>Undo brings them back.</source>
        <translation>Mit Rückgängig holen Sie sie zurück.</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message>
        <source>New Item</source>
        <translation>Neues Element</translation>
    </message>
    <message>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
    <message>
        <source>Paste %1</source>
        <translation>%1 einfügen</translation>
    </message>
    <message>
        <source>Copy %1</source>
        <translation>%1 kopieren</translation>
    </message>
    <message>
        <source>Move %1</source>
        <translation>%1 verschieben</translation>
    </message>
    <message>
        <source>Move Down %1</source>
        <translation>%1 nach unten</translation>
    </message>
    <message>
        <source>Move Up %1</source>
        <translation>%1 nach oben</translation>
    </message>
    <message>
        <source>Sort Items</source>
        <translation>Elemente sortieren</translation>
    </message>
    <message>
        <source>Import Folder as Sub-site</source>
        <translation>Ordner als Unterseite importieren</translation>
    </message>
    <message>
        <source>Import Folder</source>
        <translation>Ordner importieren</translation>
    </message>
    <message>
        <source>Import Files</source>
        <translation>Dateien importieren</translation>
    </message>
    <message>
        <source>Website Properties</source>
        <translation>Website-Eigenschaften</translation>
    </message>
    <message>
        <source>Layout Properties</source>
        <translation>Layout-Eigenschaften</translation>
    </message>
</context>
<context>
    <name>CSiteListModel</name>
    <message>
        <source>Caption</source>
        <translation>Beschriftung</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Url</source>
        <translation>URL</translation>
    </message>
</context>
<context>
    <name>CSitePropertyView</name>
    <message>
        <source>Caption:</source>
        <translation>Beschriftung:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>Html Files (*.htm);;Html Files (*.html);;Gif Files (*.gif);;JPG Files (*.jpg);;JPEG Files (*.jpeg);;MP3 Files (*.mp3);;Zip files (*.zip);;All Files (*)</source>
        <translation>HTML-Dateien (*.htm);;HTML-Dateien (*.html);;GIF-Dateien (*.gif);;JPG-Dateien (*.jpg);;JPEG-Dateien (*.jpeg);;MP3-Dateien (*.mp3);;ZIP-Dateien (*.zip);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>CTextEditCommand</name>
    <message>
        <source>Rename %1 to %2</source>
        <translation>%1 in %2 umbenennen</translation>
    </message>
    <message>
        <source>Edit Description of %1</source>
        <translation>Beschreibung von %1 bearbeiten</translation>
    </message>
    <message>
        <source>Edit URL of %1</source>
        <translation>URL von %1 bearbeiten</translation>
    </message>
</context>
<context>
    <name>QFontDialog</name>
    <message>
        <source>Select Font</source>
        <translation>Schrift wählen</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>Farbe:</translation>
    </message>
</context>
</TS>
