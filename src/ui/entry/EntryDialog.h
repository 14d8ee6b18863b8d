// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/MessageRecord.h"
#include "store/SeriesStore.h"

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <optional>

class MessageStore;
class MessageTextEdit;
class AppContext;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QWidget;
class UserPicker;

// The message entry dialog: the logged-in user writes, changes or deletes the message of
// one time slot, or writes an instant message. It is the only place where the user
// creates, changes or deletes message records.
//
// It is created once and kept; each opening prepares it afresh, and its opener shows it:
//     dialog.editSlot(slot);                  // a click on a grid row
//     dialog.exec();
//     ... then reload the day grid and the scheduler's slots, whatever the result.
//     dialog.composeInstantMessage();         // the instant message command
//     if (dialog.exec() == QDialog::Accepted && dialog.instantMessage())
//         ... hand *dialog.instantMessage() on to the scheduler.
// exec() returns QDialog::Accepted after Save, Send or Delete (whether or not anything was
// stored), QDialog::Rejected after Cancel. A scheduled message is saved or deleted through
// the store the dialog was given; an instant message is never written to a file. A message
// that repeats is saved, changed and deleted through the series store, which writes its
// occurrences as ordinary records; the user is asked before any record is overwritten, and
// whether a change to an occurrence is meant for it alone or for it and all later ones.
class EntryDialog : public QDialog {
    Q_OBJECT
public:
    EntryDialog(
        AppContext &context, MessageStore &store, SeriesStore &series, QWidget *parent = nullptr);

    // The logged-in user's message at that minute: its stored text and recipients, or an
    // empty text for the user alone.
    void editSlot(const QDateTime &slot);
    // An empty text for the logged-in user, sent rather than saved.
    void composeInstantMessage();
    // The message Send composed, due at the moment it was pressed; none before that, after
    // Cancel, for an empty text or for a scheduled message.
    std::optional<MessageRecord> instantMessage() const { return m_instantMessage; }

    // The user picker behind Change Recipients, a child of this dialog; the main window's
    // user commands use the same one.
    UserPicker &picker() { return *m_picker; }

    // The close box and Escape are Cancel.
    void reject() override;

private:
    void prepare(bool instant, const QDateTime &slot);
    void loadRecord();
    void showRecipients();
    void showTextState();
    void saveOrSend();
    bool store(const MessageRecord &record);
    bool storeSeries(const MessageRecord &record);
    std::optional<SeriesStore::Occupied> askOccupied(const Series &series);
    enum class Reach { Cancel, This, Later };
    Reach askReach(const QString &question);
    void deleteSlot();
    void showRepetition(const Repetition &repetition);
    Repetition repetition() const;
    void showRepeatState();
    void changeRecipients();
    void selectStart();
    void closeWith(int result);
    void reportStoreFailure(const QString &what, const char *why);

    AppContext &m_context;
    MessageStore &m_store;
    SeriesStore &m_seriesStore;
    bool m_instant = false;
    bool m_hadRecord = false; // the slot held a record when the dialog opened
    // The series the slot's record belongs to, when it does.
    std::optional<Series> m_series;
    QDateTime m_slot;
    // The users the message goes to, in the order they were chosen.
    QList<int> m_recipients;
    std::optional<MessageRecord> m_instantMessage;

    MessageTextEdit *m_text = nullptr;
    QLabel *m_count = nullptr; // characters typed and allowed
    QLabel *m_codePage = nullptr; // shown while the text holds characters that become "?"
    QListWidget *m_recipientList = nullptr;
    QPushButton *m_save = nullptr; // Save or Send
    QPushButton *m_delete = nullptr;
    QWidget *m_repeatRow = nullptr; // hidden for an instant message
    QComboBox *m_repeat = nullptr;
    QComboBox *m_end = nullptr; // never, on a date, after a number of times
    QDateEdit *m_until = nullptr;
    QSpinBox *m_times = nullptr;
    UserPicker *m_picker = nullptr;
};
