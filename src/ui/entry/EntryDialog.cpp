// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/entry/EntryDialog.h"

#include "app/AppContext.h"
#include "app/AppTitle.h"
#include "app/ErrorTrap.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/ShownTime.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "ui/entry/EntryRules.h"
#include "ui/entry/MessageTextEdit.h"
#include "ui/entry/UserPicker.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// The double click selects this much from the start: the part of a long text that the
// user most often wants to copy or replace whole.
constexpr int DoubleClickSelection = 100;

QString userSetting(const SettingsStore &settings, int user, const char *key)
{
    return settings.readSetting(Roster::userSection(user), QLatin1String(key), QString());
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Enter belongs to the text box; no button is pressed by it unless it has the focus.
    button->setAutoDefault(false);
    return button;
}

} // namespace

EntryDialog::EntryDialog(AppContext &context, MessageStore &store, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_store(store)
    , m_picker(new UserPicker(context, this))
{
    setObjectName(QStringLiteral("entryDialog"));
    setWindowTitle(tr("Tolvane - Message"));
    setModal(true);

    auto *entryFrame = new QGroupBox(tr("Message Entry"), this);
    auto *prompt
        = new QLabel(tr("Enter your message below and click Apply when complete."), entryFrame);
    prompt->setWordWrap(true);
    auto *textLabel = new QLabel(tr("Message:"), entryFrame);
    m_text = new MessageTextEdit(entryFrame);
    m_text->setObjectName(QStringLiteral("textEdit"));
    m_text->setMinimumHeight(96);
    textLabel->setBuddy(m_text);
    m_count = new QLabel(entryFrame);
    m_count->setObjectName(QStringLiteral("countLabel"));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_codePage = new QLabel(entryFrame);
    m_codePage->setObjectName(QStringLiteral("codePageLabel"));
    m_codePage->setWordWrap(true);
    m_codePage->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_codePage->hide();

    auto *entry = new QVBoxLayout(entryFrame);
    entry->addWidget(prompt);
    entry->addWidget(textLabel);
    entry->addWidget(m_text, 1);
    entry->addWidget(m_count);
    entry->addWidget(m_codePage);

    auto *recipientFrame = new QGroupBox(tr("Recipients"), this);
    auto *recipientsLabel = new QLabel(tr("Recipients:"), recipientFrame);
    auto *currentLabel
        = new QLabel(tr("Your current recipient(s) for this message:"), recipientFrame);
    m_recipientList = new QListWidget(recipientFrame);
    m_recipientList->setObjectName(QStringLiteral("recipientList"));
    m_recipientList->setSelectionMode(QAbstractItemView::NoSelection);
    m_recipientList->setFixedHeight(72);
    QPushButton *change = button(tr("Change &Recipients"), "recipientsButton", recipientFrame);

    auto *recipients = new QGridLayout(recipientFrame);
    recipients->addWidget(recipientsLabel, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    recipients->addWidget(currentLabel, 0, 1);
    recipients->addWidget(m_recipientList, 1, 1);
    recipients->addWidget(change, 1, 2, Qt::AlignTop);
    recipients->setColumnStretch(1, 1);

    m_save = button(tr("&Save Message"), "saveButton", this);
    m_delete = button(tr("&Delete Message"), "deleteButton", this);
    QPushButton *cancel = button(tr("&Cancel"), "cancelButton", this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(entryFrame, 1);
    layout->addWidget(recipientFrame);
    layout->addLayout(buttons);
    resize(460, 420);

    connect(m_save, &QPushButton::clicked, this, &EntryDialog::saveOrSend);
    connect(m_delete, &QPushButton::clicked, this, &EntryDialog::deleteSlot);
    connect(cancel, &QPushButton::clicked, this, &EntryDialog::reject);
    connect(change, &QPushButton::clicked, this, &EntryDialog::changeRecipients);
    connect(m_text, &MessageTextEdit::doubleClicked, this, &EntryDialog::selectStart);
    connect(m_text, &QPlainTextEdit::textChanged, this, &EntryDialog::showTextState);
}

void EntryDialog::editSlot(const QDateTime &slot)
{
    prepare(false, slot);
}

void EntryDialog::composeInstantMessage()
{
    prepare(true, QDateTime());
}

// Sets every piece of the dialog's state afresh: nothing of an earlier opening is left.
void EntryDialog::prepare(bool instant, const QDateTime &slot)
{
    m_instant = instant;
    m_slot = slot;
    m_recipients = { m_context.currentUser };
    m_instantMessage.reset();
    trap(m_context, "frmEntry.Form_Load", [&] {
        if (instant) {
            m_save->setText(tr("&Send Message"));
            setWindowTitle(tr("Tolvane - Send an Instant Message"));
        } else {
            m_save->setText(tr("&Save Message"));
            setWindowTitle(tr("Tolvane - Message for %1").arg(ShownTime::dateTime(slot)));
        }
        m_text->setMaxLength(EntryRules::textLimit(m_context.settings));
        m_text->setTextUnlimited(QString());
        // An instant message has no stored message to delete.
        m_delete->setEnabled(!instant);

        if (!instant)
            loadRecord();

        // A slot whose minute has come can be looked at and deleted, but no longer saved:
        // the scheduler would never send it.
        m_save->setEnabled(instant || EntryRules::slotIsAhead(slot, m_context.clock.now()));
        showTextState();
        m_text->setFocus();
    });
    // Whatever happened above, the list shows the recipients the dialog now holds.
    showRecipients();
}

void EntryDialog::loadRecord()
{
    std::optional<MessageRecord> record;
    try {
        record = m_store.find(m_context.currentUser, m_slot);
    } catch (const StoreError &error) {
        reportStoreFailure(tr("The stored message of this time could not be read."), error.what());
        return;
    }
    if (!record)
        return;
    m_text->setTextUnlimited(record->text);

    // Recipients are stored by phone address; an address that no user has any more is
    // dropped here, and so from the record when it is saved again. At most ten, as many
    // as the picker can choose.
    QList<int> users;
    for (const QString &address : record->recipients) {
        if (address.isEmpty())
            continue; // an empty address would match every user without a phone
        for (int n = 1; n <= Roster::MaxUsers && users.size() < Roster::MaxUsers; ++n) {
            if (userSetting(m_context.settings, n, "CellEmail") == address)
                users.append(n);
        }
    }
    if (!users.isEmpty())
        m_recipients = users;
}

void EntryDialog::saveOrSend()
{
    // Kept open only when the message could not be stored, so that the typed text is not
    // lost with it.
    bool close = true;
    trap(m_context, "frmEntry.cmdNext_Click", [&] {
        const QString typed = m_text->toPlainText();
        if (typed.isEmpty())
            return; // nothing to store; an existing record of the slot stays

        if (!m_instant && !EntryRules::slotIsAhead(m_slot, m_context.clock.now())) {
            // The slot's minute came while the dialog was open.
            m_save->setEnabled(false);
            m_context.boxes.show(AppTitle,
                tr("The time of this message has passed, so it can no longer be saved. Please "
                   "choose a later time."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            close = false;
            return;
        }
        if (const QStringList names
            = EntryRules::unkeepableRecipients(m_context.settings, m_recipients);
            !names.isEmpty()) {
            m_context.boxes.show(AppTitle,
                tr("The phone address of %1 contains \"|\" or \",\", which a message file "
                   "cannot keep. Please correct it under User Settings, Edit Current User, or "
                   "choose other recipients.")
                    .arg(names.join(QStringLiteral(", "))),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            close = false;
            return;
        }
        const MessageRecord record = EntryRules::composeRecord(m_context.settings,
            m_instant ? m_context.clock.now() : m_slot, EntryRules::storedText(typed),
            m_recipients);
        if (m_instant)
            m_instantMessage = record; // never written to a file: the opener sends it
        else
            close = store(record);
    });
    if (close)
        closeWith(QDialog::Accepted);
}

bool EntryDialog::store(const MessageRecord &record)
{
    try {
        m_store.save(m_context.currentUser, record);
    } catch (const StoreError &error) {
        reportStoreFailure(tr("The message was not saved."), error.what());
        return false;
    }
    return true;
}

void EntryDialog::deleteSlot()
{
    bool close = true;
    trap(m_context, "frmEntry.cmdDelete_Click", [&] {
        // An instant message has no stored slot: the button does nothing and the dialog
        // stays open.
        if (m_instant) {
            close = false;
            return;
        }
        try {
            m_store.removeSlot(m_context.currentUser, m_slot);
        } catch (const StoreError &error) {
            reportStoreFailure(tr("The message was not deleted."), error.what());
            close = false;
        }
    });
    if (close)
        closeWith(QDialog::Accepted);
}

void EntryDialog::reject()
{
    trap(m_context, "frmEntry.cmdCancel_Click", [&] { closeWith(QDialog::Rejected); });
}

void EntryDialog::changeRecipients()
{
    trap(m_context, "frmEntry.cmdRecipients_Click", [&] {
        const QList<int> chosen
            = m_picker->pick({ .several = true, .offerCurrentUser = true, .required = true });
        // Cancelled, or nobody chosen: the message keeps the recipients it had.
        if (!chosen.isEmpty())
            m_recipients = chosen;
        showRecipients();
    });
}

void EntryDialog::showRecipients()
{
    trap(m_context, "frmEntry.UpdateRecipients", [&] {
        m_recipientList->clear();
        for (const int user : std::as_const(m_recipients)) {
            const QString name = userSetting(m_context.settings, user, "Name");
            if (!name.isEmpty())
                m_recipientList->addItem(name);
        }
    });
}

void EntryDialog::selectStart()
{
    trap(m_context, "frmEntry.txtData_DblClick", [&] {
        QTextCursor cursor(m_text->document());
        cursor.setPosition(0);
        cursor.setPosition(qMin(DoubleClickSelection, m_text->length()), QTextCursor::KeepAnchor);
        m_text->setTextCursor(cursor);
    });
}

void EntryDialog::showTextState()
{
    m_count->setText(tr("%1 of %2 characters").arg(m_text->length()).arg(m_text->maxLength()));
    // The message file and the mail hold only Windows-1252; rather than change what the
    // user typed, the dialog says which characters will arrive as "?".
    const QString replaced = EntryRules::replacedCharacters(m_text->toPlainText());
    if (replaced.isEmpty()) {
        m_codePage->hide();
        return;
    }
    QStringList shown;
    for (const char32_t c : replaced.toUcs4())
        shown.append(QString::fromUcs4(&c, 1));
    m_codePage->setText(tr("These characters cannot be sent and will arrive as \"?\": %1")
                            .arg(shown.join(QLatin1Char(' '))));
    m_codePage->show();
}

void EntryDialog::closeWith(int result)
{
    m_text->setFocus();
    done(result);
}

void EntryDialog::reportStoreFailure(const QString &what, const char *why)
{
    m_context.boxes.show(AppTitle, what + QStringLiteral("\n\n") + QString::fromLocal8Bit(why),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
}
