#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

class FrmUserSelect;
class MessageTextEdit;
class Program;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
struct MessageRecord;

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
//     ... then reload the day grid at the same top row and the scheduler's slots.
// An instant message, handed to sendInstantMessage (set it first):
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

    // Where Send puts an instant message: the scheduler, which sends it at its next check.
    std::function<void(int user, const MessageRecord &record)> sendInstantMessage;

    // The recipient picker behind Change Recipients, created on first use as a child of
    // this form. Another caller may hand in a picker of its own to share one instance.
    FrmUserSelect &userSelect();
    void setUserSelect(FrmUserSelect &picker) { m_userSelect = &picker; }

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
    FrmUserSelect *m_userSelect = nullptr;
};
