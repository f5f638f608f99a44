<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>kelvara::AboutForm</name>
    <message>
        <source>AboutForm</source>
        <translation>About Kelvara</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Lizenzen</source>
        <translation>Licences</translation>
    </message>
    <message>
        <source>Kelvara Version:</source>
        <translation>Kelvara version:</translation>
    </message>
    <message>
        <source>UID: %1</source>
        <translation>VAT ID: %1</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>This product uses:</source>
        <translation>This product uses:</translation>
    </message>
</context>
<context>
    <name>kelvara::Application</name>
    <message>
        <source>Das Programm wurde unerwartet beendet.</source>
        <translation>The program ended unexpectedly.</translation>
    </message>
    <message>
        <source>Unbekannter Fehler</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>kelvara::Banner</name>
    <message>
        <source>:/online/Kelvaraadv.gif</source>
        <extracomment>The resource path of the fallback banner picture in this language.</extracomment>
        <translation>:/online/Kelvaraadv_en.gif</translation>
    </message>
    <message>
        <source>Werbung</source>
        <translation>Advertisement</translation>
    </message>
</context>
<context>
    <name>kelvara::ConsentWindow</name>
    <message>
        <source>akzeptieren</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>nicht akzeptieren</source>
        <translation>Decline</translation>
    </message>
    <message>
        <source>Datenschtzerklärung</source>
        <translation>Privacy statement</translation>
    </message>
    <message>
        <source>Bitte lesen Sie unsere Datenschutzerklärung und akzeptieren Sie diese.</source>
        <translation>Please read our privacy statement and accept it.</translation>
    </message>
    <message>
        <source>Für die Überprüfung von Updates und Sicherheitspatches, wird Ihre IpAdresse an unseren Server übertragen. Ohne diese Updates und Patches ist die Verwendung unserer Freeware nicht sicher und daher nicht möglich</source>
        <translation>To check for updates and security patches, your IP address is sent to our server. Without these updates and patches this freeware is not safe to use, so it cannot be used.</translation>
    </message>
    <message>
        <source>:/online/datenschutz.txt</source>
        <extracomment>The resource path of the privacy statement in this language.</extracomment>
        <translation>:/online/privacy_en.txt</translation>
    </message>
</context>
<context>
    <name>kelvara::Downloader</name>
    <message>
        <source>Downloader</source>
        <translation>Downloading update</translation>
    </message>
    <message>
        <source>Die Adresse &quot;%1&quot; ist keine http- oder https-Adresse.</source>
        <translation>The address &quot;%1&quot; is not an http or https address.</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; kann nicht geschrieben werden: %2</source>
        <translation>The file &quot;%1&quot; cannot be written: %2</translation>
    </message>
    <message>
        <source>Der Ordner für das Update kann nicht angelegt werden: %1</source>
        <translation>The folder for the update cannot be created: %1</translation>
    </message>
    <message>
        <source>HTTP-Fehler: %1</source>
        <translation>HTTP error: %1</translation>
    </message>
    <message>
        <source>Das Update konnte nicht geladen werden.</source>
        <translation>The update could not be downloaded.</translation>
    </message>
    <message>
        <source>Das Update konnte nicht geladen werden. %1</source>
        <translation>The update could not be downloaded. %1</translation>
    </message>
    <message>
        <source>Das Update wurde über eine unverschlüsselte Verbindung (http) geladen und wird deshalb nicht automatisch gestartet, denn unterwegs könnte es verändert worden sein. Die Datei liegt unter:
%1</source>
        <translation>The update was downloaded over an unencrypted connection (http), so it is not started automatically: it could have been altered on the way. The file is here:
%1</translation>
    </message>
    <message>
        <source>Das Update konnte nicht gestartet werden. Die Datei liegt unter:
%1</source>
        <translation>The update could not be started. The file is here:
%1</translation>
    </message>
    <message>
        <source>Das Update wurde nicht gestartet, weil seine Signatur fehlt oder nicht stimmt. Die heruntergeladene Datei wurde gelöscht.</source>
        <translation>The update was not started because its signature is missing or invalid. The downloaded file has been deleted.</translation>
    </message>
</context>
<context>
    <name>kelvara::FileBatch</name>
    <message>
        <source>1 Datei verschlüsselt</source>
        <translation>1 file encrypted</translation>
    </message>
    <message>
        <source>%1 Dateien verschlüsselt</source>
        <translation>%1 files encrypted</translation>
    </message>
    <message>
        <source>1 Datei entschlüsselt</source>
        <translation>1 file decrypted</translation>
    </message>
    <message>
        <source>%1 Dateien entschlüsselt</source>
        <translation>%1 files decrypted</translation>
    </message>
    <message>
        <source>Keine Datei verarbeitet</source>
        <translation>No file processed</translation>
    </message>
    <message>
        <source>%1 übersprungen</source>
        <translation>%1 skipped</translation>
    </message>
    <message>
        <source>… und %1 weitere</source>
        <translation>… and %1 more</translation>
    </message>
    <message>
        <source>Die Datei existiert bereits:
%1
Soll sie ersetzt werden ?</source>
        <translation>The file already exists:
%1
Do you want to replace it?</translation>
    </message>
    <message>
        <source>Datei %1 von %2 wird entschlüsselt !</source>
        <translation>Decrypting file %1 of %2…</translation>
    </message>
    <message>
        <source>Datei %1 von %2 wird verschlüsselt !</source>
        <translation>Encrypting file %1 of %2…</translation>
    </message>
</context>
<context>
    <name>kelvara::HttpClient</name>
    <message>
        <source>Die Antwort von %1 ist zu groß.</source>
        <translation>The reply from %1 is too large.</translation>
    </message>
    <message>
        <source>Der Server %1 hat zu lange nicht geantwortet (Zeitüberschreitung).</source>
        <translation>The server %1 took too long to answer (timeout).</translation>
    </message>
    <message>
        <source>Der Server von %1 wurde nicht gefunden.</source>
        <translation>The server for %1 was not found.</translation>
    </message>
    <message>
        <source>Der Server von %1 hat die Verbindung abgelehnt.</source>
        <translation>The server for %1 refused the connection.</translation>
    </message>
    <message>
        <source>Der Server hat die Verbindung zu %1 vorzeitig getrennt.</source>
        <translation>The server closed the connection to %1 too early.</translation>
    </message>
    <message>
        <source>Die Verbindung zu %1 ist fehlgeschlagen: %2</source>
        <translation>The connection to %1 failed: %2</translation>
    </message>
    <message>
        <source>HTTP-Fehler: %1</source>
        <translation>HTTP error: %1</translation>
    </message>
    <message>
        <source>Die Adresse &quot;%1&quot; ist keine http- oder https-Adresse.</source>
        <translation>The address &quot;%1&quot; is not an http or https address.</translation>
    </message>
</context>
<context>
    <name>kelvara::MainWindow</name>
    <message>
        <source>%1 … und %2 weitere</source>
        <translation>%1 … and %2 more</translation>
    </message>
    <message>
        <source>Das Passwort enthält Zeichen, mit denen kein Text verschlüsselt werden kann: %1
Der Text bleibt unverändert.</source>
        <translation>The password contains characters that cannot be used to encrypt a text: %1
The text is left unchanged.</translation>
    </message>
    <message>
        <source>Der Text enthält Zeichen, die nicht verschlüsselt werden können: %1
Der Text bleibt unverändert.</source>
        <translation>The text contains characters that cannot be encrypted: %1
The text is left unchanged.</translation>
    </message>
    <message>
        <source>Der Text ist kein verschlüsselter Text (kein gültiges Base64).
Der Text bleibt unverändert.</source>
        <translation>The text is not an encrypted text (not valid Base64).
The text is left unchanged.</translation>
    </message>
    <message>
        <source>Datei wird verschlüsselt !</source>
        <translation>Encrypting the file…</translation>
    </message>
    <message>
        <source>Datei wird entschlüsselt !</source>
        <translation>Decrypting the file…</translation>
    </message>
    <message>
        <source>Quellordner wählen</source>
        <translation>Choose the source folder</translation>
    </message>
    <message>
        <source>Zielordner wählen</source>
        <translation>Choose the target folder</translation>
    </message>
    <message>
        <source>Verwenden Sie aus Sicherheitsgründen immer ein Passwort!</source>
        <translation>For your security, always use a password!</translation>
    </message>
    <message>
        <source>Passwort</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Dateien</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Datei verschlüsseln</source>
        <translation>Encrypt a file</translation>
    </message>
    <message>
        <source>Datei entschlüsseln</source>
        <translation>Decrypt a file</translation>
    </message>
    <message>
        <source>Das erste Symbol um eine Date zu ver- das zweite zum entschlüsseln. Sie können auch eine Datei per Drag n Drop hierher ziehen. Das System erkennt automatisch (*.kvra) welche Dateien ent- bzw verschlüsselt werden müssen.</source>
        <translation>The first symbol encrypts a file, the second decrypts one. You can also drag a file and drop it here: files ending in .kvra are decrypted, all others encrypted.</translation>
    </message>
    <message>
        <source>Text der verschlüsselt werden soll</source>
        <translation>Text to encrypt</translation>
    </message>
    <message>
        <source>Text verschlüsseln und in Zwischenablage</source>
        <translation>Encrypt the text and copy it to the clipboard</translation>
    </message>
    <message>
        <source>Text entschlüsseln und in Zwischenablage</source>
        <translation>Decrypt the text and copy it to the clipboard</translation>
    </message>
    <message>
        <source>Das erste Symbol um obigen Text zu ver- das zweite zum entschlüsseln. Der ver- bzw entschlüsselte Text wird automatisch in die Zwischenablage kopiert.</source>
        <translation>The first symbol encrypts the text above, the second decrypts it. The encrypted or decrypted text is copied to the clipboard automatically.</translation>
    </message>
    <message>
        <source>Ordner / Verzeichnisse</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>Ordner verschlüsseln</source>
        <translation>Encrypt a folder</translation>
    </message>
    <message>
        <source>Ordner entschlüsseln</source>
        <translation>Decrypt a folder</translation>
    </message>
    <message>
        <source>Beenden</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Beendet kelVara</source>
        <translation>Quits Kelvara</translation>
    </message>
    <message>
        <source>Text verschlüsseln</source>
        <translation>Encrypt text</translation>
    </message>
    <message>
        <source>Text entschlüsseln</source>
        <translation>Decrypt text</translation>
    </message>
    <message>
        <source>Über Kelvara (%1)</source>
        <translation>About Kelvara (%1)</translation>
    </message>
    <message>
        <source>Über Kelvara</source>
        <translation>About Kelvara</translation>
    </message>
    <message>
        <source>Kelvara-Logo</source>
        <translation>Kelvara logo</translation>
    </message>
    <message>
        <source>&amp;Passwort</source>
        <translation>&amp;Password</translation>
    </message>
    <message>
        <source>&amp;Text der verschlüsselt werden soll</source>
        <translation>&amp;Text to encrypt</translation>
    </message>
    <message>
        <source>Das Passwort, mit dem jede Aktion ver- oder entschlüsselt; es wird nie gespeichert</source>
        <translation>The password every action encrypts or decrypts with; it is never stored</translation>
    </message>
    <message>
        <source>Passwort anzeigen</source>
        <translation>Show password</translation>
    </message>
    <message>
        <source>Zeigt das Passwort im Klartext, bis das Fenster verlassen wird (%1)</source>
        <translation>Shows the password in plain text until the window is left (%1)</translation>
    </message>
    <message>
        <source>Der Text, der ver- oder entschlüsselt wird; das Ergebnis ersetzt ihn und kommt in die Zwischenablage</source>
        <translation>The text to encrypt or decrypt; the result replaces it and goes to the clipboard</translation>
    </message>
    <message>
        <source>Statusleiste</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>Der Hinweis zum Bedienelement unter dem Mauszeiger und der Countdown der Zwischenablage</source>
        <translation>The hint for the control under the mouse pointer and the clipboard countdown</translation>
    </message>
    <message>
        <source>Hinweis</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>Countdown der Zwischenablage</source>
        <translation>Clipboard countdown</translation>
    </message>
    <message>
        <source>Hier abgelegte Dateien werden verschlüsselt, Dateien mit der Endung .kvra entschlüsselt</source>
        <translation>Files dropped here are encrypted; files ending in .kvra are decrypted</translation>
    </message>
    <message>
        <source>Werbebanner</source>
        <translation>Advertising banner</translation>
    </message>
</context>
<context>
    <name>kelvara::NoticeText</name>
    <message>
        <source>Datei (Eingang)</source>
        <translation>Input file</translation>
    </message>
    <message>
        <source>Datei (Eingabe)</source>
        <translation>Input file</translation>
    </message>
    <message>
        <source>Datei (Ausgang)</source>
        <translation>Output file</translation>
    </message>
    <message>
        <source>Datei (Ausgabe)</source>
        <translation>Output file</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden</source>
        <translation>%1 cannot be opened</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden: %2 ist keine gewöhnliche Datei und wird nie ersetzt.</source>
        <translation>%1 cannot be opened: %2 is not a regular file and is never replaced.</translation>
    </message>
    <message>
        <source>%1 existiert bereits und wird nicht ersetzt: %2</source>
        <translation>%1 already exists and is not replaced: %2</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden: %2 ist eine symbolische Verknüpfung eines anderen Benutzers in einem gemeinsamen Ordner; ihr wird nicht gefolgt, es wurde nichts geschrieben.</source>
        <translation>%1 cannot be opened: %2 is a symbolic link owned by another user in a shared folder; it is not followed, and nothing was written.</translation>
    </message>
    <message>
        <source>Quelle und Ziel sind dieselbe Datei: %1
Bitte wählen Sie für das Ergebnis einen anderen Namen.</source>
        <translation>Source and target are the same file: %1
Please choose a different name for the result.</translation>
    </message>
    <message>
        <source>%1 kann nicht gelesen werden</source>
        <translation>%1 cannot be read</translation>
    </message>
    <message>
        <source>%1 kann nicht geschrieben werden</source>
        <translation>%1 cannot be written</translation>
    </message>
    <message>
        <source>%1 wurde während des Lesens verändert, es wurde nichts geschrieben: %2</source>
        <translation>%1 changed while it was being read, nothing was written: %2</translation>
    </message>
    <message>
        <source>Die Datei ist keine verschlüsselte Datei (kürzer als 32 Byte): %1</source>
        <translation>The file is not an encrypted file (shorter than 32 bytes): %1</translation>
    </message>
    <message>
        <source>Falsches Passwort</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>Datei verschlüsselt</source>
        <translation>File encrypted</translation>
    </message>
    <message>
        <source>File decrypted</source>
        <translation>File decrypted</translation>
    </message>
    <message>
        <source>Datei kann nicht verarbeitet werden</source>
        <translation>The file cannot be processed</translation>
    </message>
    <message>
        <source>Quellordner kann nicht gelesen werden</source>
        <translation>The source folder cannot be read</translation>
    </message>
    <message>
        <source>Zielordner ungeeignet: die Ausgabe %1 würde den Quellordner %2 treffen. Nichts wurde angelegt.</source>
        <translation>Unsuitable target folder: the output %1 would land in the source folder %2. Nothing was created.</translation>
    </message>
    <message>
        <source>Kann nicht gelesen werden und wird ausgelassen</source>
        <translation>Cannot be read and is left out</translation>
    </message>
    <message>
        <source>Ordner kann nicht angelegt werden</source>
        <translation>The folder cannot be created</translation>
    </message>
    <message>
        <source>Im Zielordner steht eine symbolische Verknüpfung, durch die nicht geschrieben wird: %1</source>
        <translation>The target folder contains a symbolic link, which is not written through: %1</translation>
    </message>
    <message>
        <source>%1 ist keine gewöhnliche Datei und wird übersprungen.</source>
        <translation>%1 is not a regular file and is skipped.</translation>
    </message>
    <message>
        <source>Ordnerstruktur wird erstellt !</source>
        <translation>Creating the folder structure…</translation>
    </message>
    <message>
        <source>Daten werden verschlüsselt !</source>
        <translation>Encrypting the data…</translation>
    </message>
    <message>
        <source>Daten werden entschlüsselt !</source>
        <translation>Decrypting the data…</translation>
    </message>
    <message>
        <source>Sollen die Daten von %1 nach %2 entschlüsselt werden ?</source>
        <translation>Decrypt the data from %1 into %2?</translation>
    </message>
    <message>
        <source>Sollen die Daten von %1 nach %2 verschlüsselt werden ?</source>
        <translation>Encrypt the data from %1 into %2?</translation>
    </message>
</context>
<context>
    <name>kelvara::PasswordConfirmDialog</name>
    <message>
        <source>Passwort bestätigen</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>Bitte geben Sie das Passwort zur Bestätigung noch einmal ein:</source>
        <translation>Please enter the password once more to confirm it:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Passwort wiederholen</source>
        <translation>Repeat password</translation>
    </message>
</context>
<context>
    <name>kelvara::PasswordConfirmation</name>
    <message>
        <source>Kurzes Passwort: mit weniger als %1 Zeichen ist es schnell erraten.
Dieses Dateiformat hat kein Salt und eine schnelle Schlüsselableitung, so dass ein Angreifer sehr viele Passwörter in kurzer Zeit ausprobieren kann.</source>
        <translation>Short password: with fewer than %1 characters it is quickly guessed.
This file format has no salt and a fast key derivation, so an attacker can try a great many passwords in a short time.</translation>
    </message>
    <message>
        <source>Die Passwörter stimmen nicht überein.</source>
        <translation>The passwords do not match.</translation>
    </message>
</context>
<context>
    <name>kelvara::PasswordReveal</name>
    <message>
        <source>Passwort verbergen</source>
        <translation>Hide password</translation>
    </message>
    <message>
        <source>Passwort anzeigen</source>
        <translation>Show password</translation>
    </message>
</context>
<context>
    <name>kelvara::ProcessWindow</name>
    <message>
        <source>process</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Kelvara arbeitet</source>
        <translation>Kelvara is working</translation>
    </message>
    <message>
        <source>Fortschritt</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>kelvara::QtDialogs</name>
    <message>
        <source>Ja</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Nein</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Alle ersetzen</source>
        <translation>Replace all</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Passwort</source>
        <translation>Password</translation>
    </message>
</context>
<context>
    <name>kelvara::SecretClipboard</name>
    <message>
        <source>Zwischenablage wird in %1 s geleert</source>
        <translation>Clipboard will be cleared in %1 s</translation>
    </message>
    <message>
        <source>Zwischenablage wird geleert, sobald Kelvara wieder aktiv ist</source>
        <translation>Clipboard will be cleared as soon as Kelvara is active again</translation>
    </message>
</context>
<context>
    <name>kelvara::UnexpectedError</name>
    <message>
        <source>Im Programm ist ein unerwarteter Fehler aufgetreten:

%1

Der Fehlerbericht wurde unter %2 gespeichert.</source>
        <translation>An unexpected error occurred in the program:

%1

The error report was saved as %2.</translation>
    </message>
    <message>
        <source>Weiter</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>Quit program</translation>
    </message>
    <message>
        <source>Zeit: %1
Version: %2
Fehler: %3
</source>
        <translation>Time: %1
Version: %2
Error: %3
</translation>
    </message>
</context>
<context>
    <name>kelvara::UpdateCheck</name>
    <message>
        <source>Eine neuer Version ist verfügbar soll das Update herunter geladen werden?

Installierte Version:  %1
neue Version:  %2</source>
        <translation>A new version is available. Do you want to download the update?

Installed version:  %1
New version:  %2</translation>
    </message>
    <message>
        <source>Die installierte Version &quot;%1&quot; kann nicht mit der Version auf dem Server verglichen werden.</source>
        <translation>The installed version &quot;%1&quot; cannot be compared with the version on the server.</translation>
    </message>
    <message>
        <source>Die Versionsdatei auf dem Server nennt in Zeile 2 keine gültige http- oder https-Adresse für das Update: &quot;%1&quot;</source>
        <translation>Line 2 of the version file on the server does not give a valid http or https address for the update: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Prüfung auf Updates zur Zeit nicht möglich!</source>
        <translation>Checking for updates is not possible at the moment.</translation>
    </message>
    <message>
        <source>Ohne Update kann diese Software nicht mehr verwendet werden! Bitte installieren Sie das Update!</source>
        <translation>This software cannot be used any longer without the update. Please install the update.</translation>
    </message>
    <message>
        <source>UPDATE</source>
        <translation>Update</translation>
    </message>
</context>
</TS>
