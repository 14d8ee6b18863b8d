#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>

class MessageTextEdit;
class Program;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class UserPicker;

// The message entry form: the logged-in user writes, changes or deletes the message of
// one time slot, or writes an instant message. It is the only place where the user
// creates, changes or deletes message records.
//
// How to open it. Create it once (it is hidden, not destroyed, when it closes) and keep
// it, for instance as a member of the main window:
//     FrmEntry *frmEntry = new FrmEntry(program, mainWindow);
// A scheduled message, from a click on a grid row:
//     program.SelectedStamp = "2026/03/14 10:15 AM";   // Stamp::formatStamp(slot)
//     program.SelectedSlot = slot;                      // the same slot as QDateTime
//     program.SendNow = false;
//     frmEntry->showModal();
//     ... then reload the day grid at the same top row and call LoadNextMessage().
// An instant message:
//     program.SendNow = true;
//     frmEntry->showModal();
//     program.SendNow = false;
// showModal() enables tmrRefresh and runs exec(); the timer's one tick after the show
// loads the form afresh for the slot set above. It returns when Save or Send, Delete or
// Cancel has closed the form: QDialog::Accepted after Save, Send or Delete (whether or
// not anything was stored), QDialog::Rejected after Cancel. The opener reloads either way.
class FrmEntry : public QDialog {
    Q_OBJECT
public:
    explicit FrmEntry(Program &program, QWidget *parent = nullptr);

    int showModal();

    // The user picker behind Change Recipients, a child of this form; the main window's
    // user commands use the same one.
    UserPicker &picker() { return *m_picker; }

    QGroupBox *fraEntry;
    QLabel *lblPrompt;
    QLabel *lblMessage;
    MessageTextEdit *txtData;
    QLabel *lblCount; // characters typed and allowed
    QLabel *lblCodePage; // shown while the text holds characters that will become "?"
    QGroupBox *fraRecipients;
    QLabel *lblRecipients;
    QLabel *lblCurrent;
    QListWidget *lstRecipients;
    QPushButton *cmdRecipients;
    QPushButton *cmdNext;
    QPushButton *cmdDelete;
    QPushButton *cmdCancel;
    QTimer tmrRefresh;

    void Form_Load();
    void tmrRefresh_Timer();
    void cmdNext_Click();
    void cmdDelete_Click();
    void cmdCancel_Click();
    void cmdRecipients_Click();
    void UpdateRecipients();
    void txtData_DblClick();

    // The close box and Escape are Cancel.
    void reject() override;

private:
    void loadForm();
    void loadRecord();
    void showTextState();
    bool saveOrSend();
    bool deleteSlot();
    void closeForm(int result);
    QDateTime selectedSlot() const;
    void reportStoreFailure(const QString &what, const char *why);

    Program &p;
    UserPicker *m_picker = nullptr;
    // The users the message goes to, in the order they were chosen.
    QList<int> m_recipients;
};
