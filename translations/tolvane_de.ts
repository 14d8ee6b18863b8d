<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppriseSender</name>
    <message>
        <source>Notification addresses need the program apprise, which is not installed: install the package apprise (sudo apt-get install apprise)</source>
        <translation>Benachrichtigungsadressen brauchen das Programm apprise, das nicht installiert ist: Installieren Sie das Paket apprise (sudo apt-get install apprise)</translation>
    </message>
    <message>
        <source>apprise could not be started: %1</source>
        <translation>apprise konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>apprise ended unexpectedly</source>
        <translation>apprise wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>apprise ended with status %1</source>
        <translation>apprise endete mit Status %1</translation>
    </message>
    <message numerus="yes">
        <source>no answer within %n seconds</source>
        <translation>
            <numerusform>keine Antwort innerhalb von %n Sekunde</numerusform>
            <numerusform>keine Antwort innerhalb von %n Sekunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Schedules short text messages and delivers them at their minute as e-mail to phones&apos; addresses.</source>
        <translation>Plant kurze Textnachrichten und stellt sie zur gewählten Minute als E-Mail an die Adressen von Handys zu.</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument „%1“.</translation>
    </message>
    <message>
        <source>Try &apos;tolvane --help&apos; for more information.</source>
        <translation>Weitere Informationen mit „tolvane --help“.</translation>
    </message>
</context>
<context>
    <name>DeliveryHistoryWindow</name>
    <message>
        <source>User %1</source>
        <translation>Benutzer %1</translation>
    </message>
    <message>
        <source>Sent</source>
        <translation>Gesendet</translation>
    </message>
    <message>
        <source>Will retry</source>
        <translation>Neuer Versuch folgt</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>Recipients</source>
        <translation>Empfänger</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Instant message</source>
        <translation>Sofortnachricht</translation>
    </message>
    <message>
        <source>Will retry at %1</source>
        <translation>Neuer Versuch um %1</translation>
    </message>
    <message>
        <source>Delivery History</source>
        <translation>Zustellverlauf</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>Re&amp;sult:</source>
        <translation>&amp;Ergebnis:</translation>
    </message>
    <message>
        <source>All results</source>
        <translation>Alle Ergebnisse</translation>
    </message>
    <message>
        <source>Delivery attempts, newest first</source>
        <translation>Zustellversuche, neueste zuerst</translation>
    </message>
    <message>
        <source>&amp;Reply:</source>
        <translation>&amp;Antwort:</translation>
    </message>
    <message>
        <source>Reply of the selected attempt</source>
        <translation>Antwort zum gewählten Versuch</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>All users</source>
        <translation>Alle Benutzer</translation>
    </message>
    <message>
        <source>The delivery history cannot be written to %1: %2</source>
        <translation>Der Zustellverlauf kann nicht in %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Nothing has been sent or tried yet.</source>
        <translation>Bisher wurde nichts gesendet oder versucht.</translation>
    </message>
    <message>
        <source>No attempt matches the chosen user and result.</source>
        <translation>Kein Versuch passt zum gewählten Benutzer und Ergebnis.</translation>
    </message>
</context>
<context>
    <name>EntryDialog</name>
    <message>
        <source>Tolvane - Message</source>
        <translation>Tolvane - Nachricht</translation>
    </message>
    <message>
        <source>Message Entry</source>
        <translation>Nachricht eingeben</translation>
    </message>
    <message>
        <source>Enter your message below and click Apply when complete.</source>
        <translation>Geben Sie unten Ihre Nachricht ein und speichern Sie sie, wenn sie fertig ist.</translation>
    </message>
    <message>
        <source>Message:</source>
        <translation>Nachricht:</translation>
    </message>
    <message>
        <source>Recipients</source>
        <translation>Empfänger</translation>
    </message>
    <message>
        <source>Recipients:</source>
        <translation>Empfänger:</translation>
    </message>
    <message>
        <source>Your current recipient(s) for this message:</source>
        <translation>Die Empfänger dieser Nachricht:</translation>
    </message>
    <message>
        <source>Change &amp;Recipients</source>
        <translation>&amp;Empfänger ändern</translation>
    </message>
    <message>
        <source>&amp;Save Message</source>
        <translation>Nachricht &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Delete Message</source>
        <translation>Nachricht &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Send Message</source>
        <translation>Nachricht &amp;senden</translation>
    </message>
    <message>
        <source>Tolvane - Send an Instant Message</source>
        <translation>Tolvane - Sofortnachricht senden</translation>
    </message>
    <message>
        <source>Tolvane - Message for %1</source>
        <translation>Tolvane - Nachricht für %1</translation>
    </message>
    <message>
        <source>The stored message of this time could not be read.</source>
        <translation>Die gespeicherte Nachricht zu dieser Zeit konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The time of this message has passed, so it can no longer be saved. Please choose a later time.</source>
        <translation>Die Zeit dieser Nachricht ist vorbei, sie kann nicht mehr gespeichert werden. Bitte wählen Sie eine spätere Zeit.</translation>
    </message>
    <message>
        <source>The message was not saved.</source>
        <translation>Die Nachricht wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>The message was not deleted.</source>
        <translation>Die Nachricht wurde nicht gelöscht.</translation>
    </message>
    <message>
        <source>%1 of %2 characters</source>
        <translation>%1 von %2 Zeichen</translation>
    </message>
    <message>
        <source>These characters cannot be sent and will arrive as &quot;?&quot;: %1</source>
        <translation>Diese Zeichen können nicht gesendet werden und kommen als „?“ an: %1</translation>
    </message>
    <message>
        <source>The phone address of %1 contains &quot;|&quot; or &quot;,&quot;, which a message file cannot keep. Please correct it under User Settings, Edit Current User, or choose other recipients.</source>
        <translation>Die Telefonadresse von %1 enthält „|“ oder „,“, was eine Nachrichtendatei nicht speichern kann. Bitte korrigieren Sie sie unter Benutzer, Aktuellen Benutzer bearbeiten, oder wählen Sie andere Empfänger.</translation>
    </message>
    <message>
        <source>Re&amp;peat:</source>
        <translation>&amp;Wiederholen:</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Every day</source>
        <translation>Jeden Tag</translation>
    </message>
    <message>
        <source>Every weekday (Monday to Friday)</source>
        <translation>Jeden Werktag (Montag bis Freitag)</translation>
    </message>
    <message>
        <source>Every week</source>
        <translation>Jede Woche</translation>
    </message>
    <message>
        <source>Every month</source>
        <translation>Jeden Monat</translation>
    </message>
    <message>
        <source>&amp;Ends:</source>
        <translation>En&amp;de:</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Am</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nach</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source> times</source>
        <translation> Mal</translation>
    </message>
    <message>
        <source>Number of times</source>
        <translation>Anzahl der Male</translation>
    </message>
    <message>
        <source>This message is one of a repeating series. Change this message only, or this one and all later ones?</source>
        <translation>Diese Nachricht gehört zu einer Serie. Nur diese Nachricht ändern oder diese und alle späteren?</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>These days already hold a message at %1: %2.

Replace those messages with this one, or skip those days?</source>
        <translation>An diesen Tagen steht um %1 schon eine Nachricht: %2.

Diese Nachrichten durch diese ersetzen oder diese Tage überspringen?</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>S&amp;kip</source>
        <translation>Ü&amp;berspringen</translation>
    </message>
    <message>
        <source>This &amp;Message Only</source>
        <translation>Nur &amp;diese Nachricht</translation>
    </message>
    <message>
        <source>This and &amp;All Later Ones</source>
        <translation>Diese und alle &amp;späteren</translation>
    </message>
    <message>
        <source>This message is one of a repeating series. Delete this message only, or this one and all later ones?</source>
        <translation>Diese Nachricht gehört zu einer Serie. Nur diese Nachricht löschen oder diese und alle späteren?</translation>
    </message>
    <message>
        <source> time</source>
        <translation> Mal</translation>
    </message>
</context>
<context>
    <name>ErrorTrap</name>
    <message>
        <source>Error occurred in %1</source>
        <translation>Fehler aufgetreten in %1</translation>
    </message>
</context>
<context>
    <name>HelpPage</name>
    <message>
        <source>The help page (%1) is not installed.</source>
        <translation>Die Hilfeseite (%1) ist nicht installiert.</translation>
    </message>
    <message>
        <source>No program to show the help page was found.  You can open it in any web browser:

%1</source>
        <translation>Es wurde kein Programm gefunden, das die Hilfeseite anzeigt.  Sie können sie in jedem Webbrowser öffnen:

%1</translation>
    </message>
</context>
<context>
    <name>KeychainSecretStore</name>
    <message>
        <source>the secret store did not answer</source>
        <translation>der Passwortspeicher hat nicht geantwortet</translation>
    </message>
</context>
<context>
    <name>KeyringPassword</name>
    <message>
        <source>it gave no reason</source>
        <translation>er hat keinen Grund genannt</translation>
    </message>
    <message>
        <source>A password Tolvane no longer uses could not be removed from the desktop&apos;s keyring: %1.  The keyring&apos;s own manager (such as Seahorse) can remove it: it is kept for Tolvane under %2.</source>
        <translation>Ein Passwort, das Tolvane nicht mehr verwendet, konnte nicht aus dem Schlüsselbund des Desktops entfernt werden: %1.  Die Verwaltung des Schlüsselbunds (etwa Seahorse) kann es entfernen: Es liegt dort für Tolvane unter %2.</translation>
    </message>
    <message>
        <source>The password could not be kept in the desktop&apos;s keyring: %1.  Tolvane keeps passwords nowhere else; start a keyring (such as GNOME Keyring or KWallet) and enter the password again under Advanced...</source>
        <translation>Das Passwort konnte nicht im Schlüsselbund des Desktops abgelegt werden: %1.  Tolvane bewahrt Passwörter nirgendwo sonst auf; starten Sie einen Schlüsselbund (etwa GNOME Keyring oder KWallet) und geben Sie das Passwort unter „Erweitert...“ erneut ein.</translation>
    </message>
    <message>
        <source>Email Password</source>
        <translation>E-Mail-Passwort</translation>
    </message>
</context>
<context>
    <name>LateSendingDialog</name>
    <message>
        <source>Send Late Messages</source>
        <translation>Verspätete Nachrichten senden</translation>
    </message>
    <message>
        <source>Send a message that could not go out at its minute (computer asleep or switched off, no network, server busy) &amp;up to</source>
        <translation>Eine Nachricht, die zu ihrer Minute nicht hinausgehen konnte (Rechner im Ruhezustand oder ausgeschaltet, kein Netz, Server ausgelastet), noch &amp;bis zu</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 Minuten</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>6 hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message>
        <source>How late a message may still be sent</source>
        <translation>Wie verspätet eine Nachricht noch gesendet werden darf</translation>
    </message>
    <message>
        <source>late</source>
        <translation>verspätet senden</translation>
    </message>
</context>
<context>
    <name>MailDelivery</name>
    <message>
        <source>Unable to connect to SMTP server</source>
        <translation>Keine Verbindung zum SMTP-Server möglich</translation>
    </message>
    <message>
        <source>No SMTP password is stored for this user: enter it under Advanced... in the Email settings</source>
        <translation>Für diesen Benutzer ist kein SMTP-Passwort gespeichert: Geben Sie es in den E-Mail-Einstellungen unter „Erweitert...“ ein</translation>
    </message>
    <message>
        <source>The SMTP password could not be read from the desktop&apos;s keyring: </source>
        <translation>Das SMTP-Passwort konnte nicht aus dem Schlüsselbund des Desktops gelesen werden: </translation>
    </message>
    <message>
        <source>The message was sent, but its message file %1 is gone, so it could not be marked as sent</source>
        <translation>Die Nachricht wurde gesendet, aber ihre Nachrichtendatei %1 ist nicht mehr da, daher konnte sie nicht als gesendet markiert werden</translation>
    </message>
    <message>
        <source>The message was sent, but it could not be marked as sent in the message file. </source>
        <translation>Die Nachricht wurde gesendet, konnte aber in der Nachrichtendatei nicht als gesendet markiert werden. </translation>
    </message>
    <message>
        <source>The message did not reach every recipient:</source>
        <translation>Die Nachricht hat nicht jeden Empfänger erreicht:</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Keine Netzwerkverbindung</translation>
    </message>
</context>
<context>
    <name>MailServerPage</name>
    <message>
        <source>Tolvane - Email Settings</source>
        <translation>Tolvane - E-Mail-Einstellungen</translation>
    </message>
    <message>
        <source>Email Address:</source>
        <translation>E-Mail-Adresse:</translation>
    </message>
    <message>
        <source>SMTP Address:</source>
        <translation>SMTP-Adresse:</translation>
    </message>
    <message>
        <source>A&amp;dvanced...</source>
        <translation>&amp;Erweitert...</translation>
    </message>
    <message>
        <source>Please enter your Default Email settings.</source>
        <translation>Bitte geben Sie Ihre Standard-E-Mail-Einstellungen ein.</translation>
    </message>
    <message>
        <source>Please enter your Email settings.</source>
        <translation>Bitte geben Sie Ihre E-Mail-Einstellungen ein.</translation>
    </message>
    <message>
        <source>Tolvane guessed your Email settings.</source>
        <translation>Tolvane hat Ihre E-Mail-Einstellungen erraten.</translation>
    </message>
    <message>
        <source>Please enter your Email address in the form name@domain, for example ada@example.com.</source>
        <translation>Bitte geben Sie Ihre E-Mail-Adresse in der Form name@domain ein, zum Beispiel ada@example.com.</translation>
    </message>
    <message>
        <source>Please enter the address of your SMTP server, the server your Email provider names for outgoing mail, for example smtp.example.com.</source>
        <translation>Bitte geben Sie die Adresse Ihres SMTP-Servers ein, des Servers, den Ihr E-Mail-Anbieter für ausgehende Mails nennt, zum Beispiel smtp.example.com.</translation>
    </message>
    <message>
        <source>Email Settings</source>
        <translation>E-Mail-Einstellungen</translation>
    </message>
</context>
<context>
    <name>MailWarning</name>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Tolvane Warning</source>
        <translation>Tolvane-Warnung</translation>
    </message>
    <message>
        <source>&amp;Delivery History</source>
        <translation>&amp;Zustellverlauf</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Shutdown Tolvane</source>
        <translation>Tolvane &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Instant Message</source>
        <translation>&amp;Sofortnachricht</translation>
    </message>
    <message>
        <source>&amp;Send an Instant Message</source>
        <translation>&amp;Sofortnachricht senden</translation>
    </message>
    <message>
        <source>&amp;User Settings</source>
        <translation>&amp;Benutzer</translation>
    </message>
    <message>
        <source>&amp;Edit Current User</source>
        <translation>Aktuellen Benutzer &amp;bearbeiten</translation>
    </message>
    <message>
        <source>Change User &amp;Name</source>
        <translation>Benutzer&amp;namen ändern</translation>
    </message>
    <message>
        <source>Change User &amp;Email Settings</source>
        <translation>&amp;E-Mail-Einstellungen des Benutzers ändern</translation>
    </message>
    <message>
        <source>Change &amp;Cellular Phone Email</source>
        <translation>&amp;Handy-E-Mail-Adresse ändern</translation>
    </message>
    <message>
        <source>&amp;Log In as Different User</source>
        <translation>Als anderer Benutzer &amp;anmelden</translation>
    </message>
    <message>
        <source>&amp;Add New User</source>
        <translation>&amp;Neuen Benutzer hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove User</source>
        <translation>Benutzer &amp;entfernen</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>Change &amp;Default Email Settings</source>
        <translation>&amp;Standard-E-Mail-Einstellungen ändern</translation>
    </message>
    <message>
        <source>&amp;Internet Options</source>
        <translation>&amp;Interneteinstellungen</translation>
    </message>
    <message>
        <source>Auto &amp;Load Tolvane</source>
        <translation>Tolvane automatisch &amp;laden</translation>
    </message>
    <message>
        <source>&amp;Start Tolvane in System Tray</source>
        <translation>Tolvane im Infobereich s&amp;tarten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Help Topics</source>
        <translation>&amp;Hilfethemen</translation>
    </message>
    <message>
        <source>&amp;Quillmark Website</source>
        <translation>&amp;Quillmark-Website</translation>
    </message>
    <message>
        <source>&amp;About Tolvane</source>
        <translation>Ü&amp;ber Tolvane</translation>
    </message>
    <message>
        <source>Show Tolvane</source>
        <translation>Tolvane anzeigen</translation>
    </message>
    <message>
        <source>Shutdown Tolvane</source>
        <translation>Tolvane beenden</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Tolvane will now display all errors that may occur in the program.  If you wish to turn this feature off, type: &quot;%1&quot;</source>
        <translation>Tolvane zeigt jetzt alle Fehler an, die im Programm auftreten können.  Wenn Sie das wieder abschalten möchten, tippen Sie: „%1“</translation>
    </message>
    <message>
        <source>Tolvane will no longer display every type of error that may occur in the program.  If you wish to turn this feature back on, type: &quot;%1&quot;</source>
        <translation>Tolvane zeigt nicht mehr jede Art von Fehler an, die im Programm auftreten kann.  Wenn Sie das wieder einschalten möchten, tippen Sie: „%1“</translation>
    </message>
    <message>
        <source>Internet Options are not available from here.</source>
        <translation>Die Interneteinstellungen sind von hier aus nicht erreichbar.</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>Previous month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Previous year</source>
        <translation>Voriges Jahr</translation>
    </message>
    <message>
        <source>Next year</source>
        <translation>Nächstes Jahr</translation>
    </message>
    <message>
        <source>Change Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Change Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Messages of the day</source>
        <translation>Nachrichten des Tages</translation>
    </message>
    <message>
        <source>No System Tray</source>
        <translation>Kein Infobereich</translation>
    </message>
    <message>
        <source>This desktop has no System Tray, so Tolvane stays minimized on your task bar instead.  All scheduled Emails will still take place while Tolvane is running.</source>
        <translation>Dieser Desktop hat keinen Infobereich, daher bleibt Tolvane stattdessen minimiert in Ihrer Taskleiste.  Alle geplanten E-Mails werden weiterhin versandt, solange Tolvane läuft.</translation>
    </message>
    <message>
        <source>Shutting Down?</source>
        <translation>Beenden?</translation>
    </message>
    <message>
        <source>Shutting Down Tolvane will prevent scheduled Emails to be sent.  Exiting Tolvane would be a better choice if you have Email events scheduled.  Are you sure you wish to Shut Down Tolvane?</source>
        <translation>Wenn Sie Tolvane beenden, werden geplante E-Mails nicht gesendet.  Haben Sie E-Mails geplant, ist Schließen die bessere Wahl.  Möchten Sie Tolvane wirklich beenden?</translation>
    </message>
    <message>
        <source>Look how nice I am!</source>
        <translation>Sehen Sie, wie nett ich bin!</translation>
    </message>
    <message>
        <source>Tolvane will continue to run in the System Tray.  All scheduled Emails will still take place while Tolvane is running.  This keeps you happy by keeping your Desktop clean!</source>
        <translation>Tolvane läuft im Infobereich weiter.  Alle geplanten E-Mails werden weiterhin versandt, solange Tolvane läuft.  So bleibt Ihr Desktop aufgeräumt, und Sie bleiben zufrieden!</translation>
    </message>
    <message>
        <source>Auto Start / System Tray</source>
        <translation>Autostart / Infobereich</translation>
    </message>
    <message>
        <source>Tolvane will configure itself to automatically start in the System Tray the next time you boot.  You can change these settings in Options.</source>
        <translation>Tolvane richtet sich so ein, dass es beim nächsten Hochfahren automatisch im Infobereich startet.  Sie können das unter „Optionen“ ändern.</translation>
    </message>
    <message>
        <source>Maximum Users Assigned</source>
        <translation>Höchstzahl an Benutzern erreicht</translation>
    </message>
    <message>
        <source>You have reached the maximum 10 users for Tolvane.  You must remove a user in order to configure a new user.</source>
        <translation>Sie haben die Höchstzahl von 10 Benutzern für Tolvane erreicht.  Sie müssen einen Benutzer entfernen, um einen neuen einzurichten.</translation>
    </message>
    <message>
        <source>User Removal</source>
        <translation>Benutzer entfernen</translation>
    </message>
    <message>
        <source>Are you sure you wish to delete all data for %1?</source>
        <translation>Möchten Sie wirklich alle Daten von %1 löschen?</translation>
    </message>
    <message>
        <source>User Removed</source>
        <translation>Benutzer entfernt</translation>
    </message>
    <message>
        <source>&amp;Delivery History</source>
        <translation>&amp;Zustellverlauf</translation>
    </message>
    <message>
        <source>Send Late &amp;Messages...</source>
        <translation>Verspätete &amp;Nachrichten senden...</translation>
    </message>
    <message>
        <source>Not sent yet: %1; next try at %2</source>
        <translation>Noch nicht gesendet: %1; nächster Versuch um %2</translation>
    </message>
</context>
<context>
    <name>MarkedCalendar</name>
    <message>
        <source>%1, has messages</source>
        <translation>%1, hat Nachrichten</translation>
    </message>
    <message>
        <source>Has messages</source>
        <translation>Hat Nachrichten</translation>
    </message>
</context>
<context>
    <name>MessageStore</name>
    <message>
        <source>Cannot read %1: it is not a regular file but a folder, a pipe or a device. Move it out of the way, and the next message saved makes a new message file there.</source>
        <translation>%1 kann nicht gelesen werden: Es ist keine gewöhnliche Datei, sondern ein Ordner, eine Pipe oder ein Gerät. Räumen Sie es beiseite, dann legt die nächste gespeicherte Nachricht dort eine neue Nachrichtendatei an.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot follow the link %1: %2</source>
        <translation>Der Verknüpfung %1 kann nicht gefolgt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot flush %1: %2</source>
        <translation>%1 kann nicht auf die Festplatte geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot replace %1: %2</source>
        <translation>%1 kann nicht ersetzt werden: %2</translation>
    </message>
    <message>
        <source>Cannot make the folder for the message files, %1, again. Check that no file has taken its name and that you may write in the folder above it.</source>
        <translation>Der Ordner für die Nachrichtendateien, %1, kann nicht neu angelegt werden. Prüfen Sie, dass keine Datei seinen Namen trägt und dass Sie im übergeordneten Ordner schreiben dürfen.</translation>
    </message>
    <message>
        <source>No user is logged in to keep the message for. Set up a user first.</source>
        <translation>Es ist kein Benutzer angemeldet, für den die Nachricht gespeichert werden könnte. Richten Sie zuerst einen Benutzer ein.</translation>
    </message>
    <message>
        <source>A message record must begin with a date and time: %1</source>
        <translation>Ein Nachrichteneintrag muss mit Datum und Uhrzeit beginnen: %1</translation>
    </message>
    <message>
        <source>Cannot delete %1: %2</source>
        <translation>%1 kann nicht gelöscht werden: %2</translation>
    </message>
</context>
<context>
    <name>NetworkCheck</name>
    <message>
        <source>Winsock.dll is not responding.</source>
        <translation>Winsock.dll antwortet nicht.</translation>
    </message>
    <message>
        <source>Windows Sockets version %1.%2 is not supported by winsock.dll </source>
        <translation>Windows Sockets Version %1.%2 wird von winsock.dll nicht unterstützt </translation>
    </message>
    <message>
        <source>This application requires a minimum of %1 supported sockets.</source>
        <translation>Dieses Programm benötigt mindestens %1 unterstützte Sockets.</translation>
    </message>
</context>
<context>
    <name>NotificationDelivery</name>
    <message>
        <source>not accepted</source>
        <translation>nicht angenommen</translation>
    </message>
</context>
<context>
    <name>PhoneAddressPage</name>
    <message>
        <source>Tolvane - Cellular Phone Email</source>
        <translation>Tolvane - Handy-E-Mail-Adresse</translation>
    </message>
    <message>
        <source>Please enter your cellular phone Email address.</source>
        <translation>Bitte geben Sie die E-Mail-Adresse Ihres Handys ein.</translation>
    </message>
    <message>
        <source>Cellular Phone Email:</source>
        <translation>Handy-E-Mail-Adresse:</translation>
    </message>
    <message>
        <source>Typically, cellular phone Email addresses appear as follows:
        (10-digit phone number)@(carrier&apos;s domain)
For example:  5551234567@sms.carrier.example
You can obtain your Email address from your cellular service provider.</source>
        <translation>E-Mail-Adressen von Handys sehen meist so aus:
        (Rufnummer)@(Domain des Mobilfunkanbieters)
Zum Beispiel:  5551234567@sms.carrier.example
Ihre E-Mail-Adresse erfahren Sie bei Ihrem Mobilfunkanbieter.</translation>
    </message>
    <message>
        <source>Cellular Phone Email</source>
        <translation>Handy-E-Mail-Adresse</translation>
    </message>
    <message>
        <source>Please enter your cellular phone Email address in the form number@domain, for example 5551234567@sms.carrier.example.</source>
        <translation>Bitte geben Sie die E-Mail-Adresse Ihres Handys in der Form nummer@domain ein, zum Beispiel 5551234567@sms.carrier.example.</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>%1 has already been configured.  Please select another cellular phone Email address.</source>
        <translation>%1 ist bereits eingerichtet.  Bitte wählen Sie eine andere Handy-E-Mail-Adresse.</translation>
    </message>
    <message>
        <source>No texts from mail any more? Enter a notification URL such as ntfy://ntfy.sh/your-topic instead; click ? for how.</source>
        <translation>Kommen keine SMS per E-Mail mehr an? Geben Sie stattdessen eine Benachrichtigungs-URL wie ntfy://ntfy.sh/ihr-thema ein; unter ? steht, wie.</translation>
    </message>
    <message>
        <source>A phone address cannot contain &quot;|&quot; or &quot;,&quot;: the message files could not keep it. Please enter it without them.</source>
        <translation>Eine Telefonadresse darf weder „|“ noch „,“ enthalten: Die Nachrichtendateien könnten sie nicht speichern. Bitte geben Sie sie ohne diese Zeichen ein.</translation>
    </message>
    <message>
        <source>Please enter the notification URL in full and without blanks, for example ntfy://ntfy.sh/your-topic.</source>
        <translation>Bitte geben Sie die Benachrichtigungs-URL vollständig und ohne Leerzeichen ein, zum Beispiel ntfy://ntfy.sh/ihr-thema.</translation>
    </message>
</context>
<context>
    <name>Roster</name>
    <message>
        <source>Tolvane - %1</source>
        <translation>Tolvane - %1</translation>
    </message>
</context>
<context>
    <name>RowState</name>
    <message>
        <source>Waiting to be sent</source>
        <translation>Wartet auf den Versand</translation>
    </message>
    <message>
        <source>Sent</source>
        <translation>Gesendet</translation>
    </message>
    <message>
        <source>Not sent</source>
        <translation>Nicht gesendet</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>gesendet</translation>
    </message>
    <message>
        <source>not sent</source>
        <translation>nicht gesendet</translation>
    </message>
    <message>
        <source>%1, no message</source>
        <translation>%1, keine Nachricht</translation>
    </message>
</context>
<context>
    <name>SeriesStore</name>
    <message>
        <source>The file of repeating messages could not be read and was set aside as %1. The messages it had scheduled stay, each on its own: they are no longer changed together or continued.</source>
        <translation>Die Datei der wiederkehrenden Nachrichten konnte nicht gelesen werden und wurde als %1 beiseitegelegt. Die Nachrichten, die sie geplant hatte, bleiben bestehen, jede für sich: Sie werden nicht mehr gemeinsam geändert oder fortgesetzt.</translation>
    </message>
</context>
<context>
    <name>ServerOptionsDialog</name>
    <message>
        <source>Tolvane - Advanced Email Settings</source>
        <translation>Tolvane - Erweiterte E-Mail-Einstellungen</translation>
    </message>
    <message>
        <source>&amp;None (plain SMTP, no login)</source>
        <translation>&amp;Keine (einfaches SMTP, ohne Anmeldung)</translation>
    </message>
    <message>
        <source>&amp;STARTTLS</source>
        <translation>&amp;STARTTLS</translation>
    </message>
    <message>
        <source>&amp;TLS from the start</source>
        <translation>&amp;TLS von Anfang an</translation>
    </message>
    <message>
        <source>Security:</source>
        <translation>Sicherheit:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Login:</source>
        <translation>Anmelde&amp;name:</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation>Pass&amp;wort:</translation>
    </message>
    <message>
        <source>The password is kept only in the desktop&apos;s keyring, never in Tolvane&apos;s own files.</source>
        <translation>Das Passwort wird nur im Schlüsselbund des Desktops aufbewahrt, nie in Tolvanes eigenen Dateien.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Unchanged</source>
        <translation>Unverändert</translation>
    </message>
    <message>
        <source>Advanced Email Settings</source>
        <translation>Erweiterte E-Mail-Einstellungen</translation>
    </message>
    <message>
        <source>Please choose how the connection to the mail server is secured.</source>
        <translation>Bitte wählen Sie, wie die Verbindung zum Mailserver gesichert wird.</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535.  Leave it empty for the usual port.</source>
        <translation>Der Port muss eine Zahl von 1 bis 65535 sein.  Lassen Sie ihn für den üblichen Port leer.</translation>
    </message>
    <message>
        <source>A login needs a secure connection: choose STARTTLS or TLS from the start, or leave the login empty.  Tolvane never sends a password over a clear connection.</source>
        <translation>Eine Anmeldung braucht eine sichere Verbindung: Wählen Sie STARTTLS oder TLS von Anfang an, oder lassen Sie den Anmeldenamen leer.  Tolvane sendet ein Passwort nie über eine unverschlüsselte Verbindung.</translation>
    </message>
    <message>
        <source>Please enter the login name that goes with the password.</source>
        <translation>Bitte geben Sie den Anmeldenamen ein, zu dem das Passwort gehört.</translation>
    </message>
</context>
<context>
    <name>SettingsFileCheck</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>sie ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it cannot be created in %1: %2</source>
        <translation>sie kann in %1 nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Cannot write the settings file %1</source>
        <translation>Die Einstellungsdatei %1 kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>SetupWizard</name>
    <message>
        <source>Tolvane Setup</source>
        <translation>Tolvane einrichten</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Übernehmen</translation>
    </message>
    <message>
        <source>&amp;Finish</source>
        <translation>&amp;Fertigstellen</translation>
    </message>
    <message>
        <source>Abort Tolvane Setup?</source>
        <translation>Einrichtung von Tolvane abbrechen?</translation>
    </message>
    <message>
        <source>Canceling Tolvane Setup will end the program.  Are you sure you wish to cancel Tolvane Setup?</source>
        <translation>Wenn Sie die Einrichtung abbrechen, wird Tolvane beendet.  Möchten Sie die Einrichtung von Tolvane wirklich abbrechen?</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>SmtpClient</name>
    <message>
        <source>Unable to connect to SMTP server</source>
        <translation>Keine Verbindung zum SMTP-Server möglich</translation>
    </message>
    <message>
        <source>SMTP server connected but did not respond</source>
        <translation>Verbindung zum SMTP-Server hergestellt, aber er antwortet nicht</translation>
    </message>
    <message>
        <source>No response from SMTP server: timeout</source>
        <translation>Keine Antwort vom SMTP-Server: Zeitüberschreitung</translation>
    </message>
    <message>
        <source>SMTP server closed the connection</source>
        <translation>Der SMTP-Server hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>SMTP Server responded: </source>
        <translation>Der SMTP-Server antwortete: </translation>
    </message>
    <message>
        <source>No SMTP server is set for the sender of this message: enter one under Change User Email Settings</source>
        <translation>Für den Absender dieser Nachricht ist kein SMTP-Server eingetragen: Tragen Sie einen unter „E-Mail-Einstellungen des Benutzers ändern“ ein</translation>
    </message>
    <message>
        <source>The sender e-mail address contains %1 and cannot be sent</source>
        <translation>Die Absenderadresse enthält %1 und kann nicht gesendet werden</translation>
    </message>
    <message>
        <source>The SMTP security setting is not one Tolvane knows (None, STARTTLS or TLS)</source>
        <translation>Die SMTP-Sicherheitseinstellung ist keine, die Tolvane kennt (None, STARTTLS oder TLS)</translation>
    </message>
    <message>
        <source>The SMTP login is only sent over an encrypted connection: choose STARTTLS or TLS for this server</source>
        <translation>Die SMTP-Anmeldung wird nur über eine verschlüsselte Verbindung gesendet: Wählen Sie STARTTLS oder TLS für diesen Server</translation>
    </message>
    <message>
        <source>The SMTP server does not offer STARTTLS; the message was not sent over an unencrypted connection</source>
        <translation>Der SMTP-Server bietet kein STARTTLS an; die Nachricht wurde nicht über eine unverschlüsselte Verbindung gesendet</translation>
    </message>
    <message>
        <source>The SMTP server refused STARTTLS: </source>
        <translation>Der SMTP-Server hat STARTTLS abgelehnt: </translation>
    </message>
    <message>
        <source>Secure connection to the SMTP server failed: </source>
        <translation>Die sichere Verbindung zum SMTP-Server ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>the server did not answer in time</source>
        <translation>der Server hat nicht rechtzeitig geantwortet</translation>
    </message>
    <message>
        <source>The SMTP server offers no login method Tolvane can use (PLAIN or LOGIN)</source>
        <translation>Der SMTP-Server bietet kein Anmeldeverfahren an, das Tolvane verwenden kann (PLAIN oder LOGIN)</translation>
    </message>
    <message>
        <source>SMTP login failed: </source>
        <translation>SMTP-Anmeldung fehlgeschlagen: </translation>
    </message>
    <message>
        <source>The SMTP server sent a reply that no command asked for: </source>
        <translation>Der SMTP-Server hat eine Antwort gesendet, nach der kein Befehl gefragt hat: </translation>
    </message>
    <message>
        <source>The SMTP server&apos;s reply does not fit the command it answers: </source>
        <translation>Die Antwort des SMTP-Servers passt nicht zu dem Befehl, auf den sie antwortet: </translation>
    </message>
    <message>
        <source>SMTP Server responded: User not local; will forward to</source>
        <translation>Der SMTP-Server antwortete: Benutzer nicht lokal; wird weitergeleitet an</translation>
    </message>
    <message>
        <source>SMTP Server responded: Cannot verify user, but will accept message and attempt delivery</source>
        <translation>Der SMTP-Server antwortete: Benutzer kann nicht geprüft werden, die Nachricht wird aber angenommen und zugestellt</translation>
    </message>
    <message>
        <source>a carriage return</source>
        <translation>einen Wagenrücklauf</translation>
    </message>
    <message>
        <source>a line feed</source>
        <translation>einen Zeilenvorschub</translation>
    </message>
    <message>
        <source>a NUL character</source>
        <translation>ein NUL-Zeichen</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Text messages for your phone, sent on the minute.</source>
        <translation>Textnachrichten für Ihr Handy, auf die Minute gesendet.</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Version 1.0</translation>
    </message>
    <message>
        <source>Your messages go out on time while Tolvane waits in the system tray.</source>
        <translation>Ihre Nachrichten gehen pünktlich hinaus, während Tolvane im Infobereich wartet.</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Copyright © 2026 The Tolvane developers
Free software under the GNU General Public License, version 3 or later, with no warranty.
https://github.com/tolvane/tolvane</source>
        <translation>Copyright © 2026 Die Tolvane-Entwickler
Freie Software unter der GNU General Public License, Version 3 oder später, ohne jede Gewährleistung.
https://github.com/tolvane/tolvane</translation>
    </message>
</context>
<context>
    <name>StartValues</name>
    <message>
        <source>Tolvane is already running!</source>
        <translation>Tolvane läuft bereits!</translation>
    </message>
    <message>
        <source>Double-Click on the Cellular Phone in your System Tray to display Tolvane.</source>
        <translation>Doppelklicken Sie auf das Handy in Ihrem Infobereich, um Tolvane anzuzeigen.</translation>
    </message>
    <message>
        <source>Cannot use the settings file %1: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>Cannot create the lock file %1: %2</source>
        <translation>Die Sperrdatei %1 kann nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>UserNamePage</name>
    <message>
        <source>Tolvane - User Name</source>
        <translation>Tolvane - Benutzername</translation>
    </message>
    <message>
        <source>User Name:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>Tolvane guessed your User Name.</source>
        <translation>Tolvane hat Ihren Benutzernamen erraten.</translation>
    </message>
    <message>
        <source>Please enter User Name.</source>
        <translation>Bitte geben Sie den Benutzernamen ein.</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>%1 already exists.  Please select another name.</source>
        <translation>%1 gibt es bereits.  Bitte wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>UserPicker</name>
    <message>
        <source>Tolvane - Select Users</source>
        <translation>Tolvane - Benutzer</translation>
    </message>
    <message>
        <source>User Selection</source>
        <translation>Benutzerauswahl</translation>
    </message>
    <message>
        <source>Please select users:</source>
        <translation>Bitte wählen Sie die Benutzer:</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Keinen auswählen</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Übernehmen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Please select user:</source>
        <translation>Bitte wählen Sie einen Benutzer:</translation>
    </message>
    <message>
        <source>You must select a user.</source>
        <translation>Sie müssen einen Benutzer auswählen.</translation>
    </message>
</context>
<context>
    <name>WizardPage</name>
    <message>
        <source>If this is correct, click the %1 button below.  Otherwise, make any necessary changes and click the %1 button.</source>
        <translation>Wenn alles stimmt, klicken Sie unten auf „%1“.  Andernfalls nehmen Sie die nötigen Änderungen vor und klicken dann auf „%1“.</translation>
    </message>
</context>
</TS>
