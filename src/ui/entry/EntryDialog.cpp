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
#include "store/SeriesStore.h"
#include "store/Stamp.h"
#include "store/StoreError.h"
#include "ui/entry/EntryRules.h"
#include "ui/entry/MessageTextEdit.h"
#include "ui/entry/UserPicker.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// The double click selects this much from the start: the part of a long text that the
// user most often wants to copy or replace whole.
constexpr int DoubleClickSelection = 100;

// The occupied days a question lists; a longer list ends in "and N more".
constexpr int ListedDays = 10;

// The end of a series as the end box offers it.
enum End { NoEnd, EndOnDate, EndAfterTimes };

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

EntryDialog::EntryDialog(
    AppContext &context, MessageStore &store, SeriesStore &series, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_store(store)
    , m_seriesStore(series)
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

    // The repetition: the rule, and its end when it has one.
    m_repeatRow = new QWidget(this);
    auto *repeatLabel = new QLabel(tr("Re&peat:"), m_repeatRow);
    m_repeat = new QComboBox(m_repeatRow);
    m_repeat->setObjectName(QStringLiteral("repeatBox"));
    m_repeat->addItem(tr("Never"), int(Repetition::Rule::Never));
    m_repeat->addItem(tr("Every day"), int(Repetition::Rule::Daily));
    m_repeat->addItem(tr("Every weekday (Monday to Friday)"), int(Repetition::Rule::Weekdays));
    m_repeat->addItem(tr("Every week"), int(Repetition::Rule::Weekly));
    m_repeat->addItem(tr("Every month"), int(Repetition::Rule::Monthly));
    repeatLabel->setBuddy(m_repeat);
    auto *endLabel = new QLabel(tr("&Ends:"), m_repeatRow);
    m_end = new QComboBox(m_repeatRow);
    m_end->setObjectName(QStringLiteral("endBox"));
    m_end->addItems({ tr("Never"), tr("On"), tr("After") });
    endLabel->setBuddy(m_end);
    m_until = new QDateEdit(m_repeatRow);
    m_until->setObjectName(QStringLiteral("untilEdit"));
    m_until->setCalendarPopup(true);
    m_until->setAccessibleName(tr("Last day"));
    m_times = new QSpinBox(m_repeatRow);
    m_times->setObjectName(QStringLiteral("timesBox"));
    m_times->setRange(1, 999);
    m_times->setSuffix(tr(" time"));
    m_times->setAccessibleName(tr("Number of times"));
    auto *repeat = new QHBoxLayout(m_repeatRow);
    repeat->setContentsMargins(0, 0, 0, 0);
    repeat->addWidget(repeatLabel);
    repeat->addWidget(m_repeat);
    repeat->addSpacing(12);
    repeat->addWidget(endLabel);
    repeat->addWidget(m_end);
    repeat->addWidget(m_until);
    repeat->addWidget(m_times);
    repeat->addStretch();

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
    layout->addWidget(m_repeatRow);
    layout->addLayout(buttons);
    resize(460, 420);

    connect(m_save, &QPushButton::clicked, this, &EntryDialog::saveOrSend);
    connect(m_delete, &QPushButton::clicked, this, &EntryDialog::deleteSlot);
    connect(cancel, &QPushButton::clicked, this, &EntryDialog::reject);
    connect(change, &QPushButton::clicked, this, &EntryDialog::changeRecipients);
    connect(m_text, &MessageTextEdit::doubleClicked, this, &EntryDialog::selectStart);
    connect(m_text, &QPlainTextEdit::textChanged, this, &EntryDialog::showTextState);
    connect(m_repeat, &QComboBox::currentIndexChanged, this, &EntryDialog::showRepeatState);
    connect(m_end, &QComboBox::currentIndexChanged, this, &EntryDialog::showRepeatState);
    connect(m_times, &QSpinBox::valueChanged, this,
        [this](int times) { m_times->setSuffix(times == 1 ? tr(" time") : tr(" times")); });
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
    m_hadRecord = false;
    m_series.reset();
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
        // An instant message has no stored message to delete, and does not repeat.
        m_delete->setEnabled(!instant);
        m_repeatRow->setVisible(!instant);
        m_until->setDisplayFormat(ShownTime::dateFormat());
        if (slot.isValid())
            m_until->setDateRange(slot.date(), slot.date().addYears(1));
        showRepetition({});

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
    m_hadRecord = true;
    m_text->setTextUnlimited(record->text);
    try {
        m_series = m_seriesStore.seriesAt(m_context.currentUser, m_slot);
    } catch (const StoreError &error) {
        reportStoreFailure(tr("The stored message of this time could not be read."), error.what());
    }
    if (m_series) {
        // A count is shown from this occurrence on: what "This and All Later Ones" keeps.
        Repetition shown = m_series->repetition;
        if (shown.times > 0)
            shown.times -= int(
                shown.days(m_series->first, m_series->first, m_slot.date().addDays(-1)).size());
        showRepetition(shown);
    }

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
        else if (m_series || repetition().rule != Repetition::Rule::Never)
            close = storeSeries(record);
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

// A new series from this slot on, or a change to the series the slot belongs to. Returns
// false when nothing was stored: the user cancelled a question, or the store failed.
bool EntryDialog::storeSeries(const MessageRecord &record)
{
    const int user = m_context.currentUser;
    Reach reach = Reach::Later;
    if (m_series) {
        reach = askReach(tr("This message is one of a repeating series. Change this message "
                            "only, or this one and all later ones?"));
        if (reach == Reach::Cancel)
            return false;
    }
    const Series series { .id = {},
        .user = user,
        .repetition = repetition(),
        .first = m_slot.date(),
        .minuteOfDay = Stamp::minuteOfDay(m_slot.time()),
        .text = record.text,
        .recipients = record.recipients,
        .written = {} };
    try {
        if (reach == Reach::This
            || (m_series && series.repetition.rule == Repetition::Rule::Never)) {
            // Out of its series, the message is an ordinary one; with "Never" the series
            // ends before it.
            if (reach == Reach::This)
                m_seriesStore.detach(user, m_slot);
            else
                m_seriesStore.deleteFromHere(user, m_slot);
            m_store.save(user, record);
            return true;
        }
        const std::optional<SeriesStore::Occupied> occupied = askOccupied(series);
        if (!occupied)
            return false;
        if (m_series) {
            m_seriesStore.changeFromHere(user, m_slot, series, *occupied);
            return true;
        }
        // The message on show is the one being changed: it makes way for the first
        // occurrence, whatever is done with the other days.
        if (m_hadRecord && *occupied == SeriesStore::Occupied::Skip)
            m_store.removeSlot(user, m_slot);
        m_seriesStore.create(series, *occupied);
    } catch (const StoreError &error) {
        reportStoreFailure(tr("The message was not saved."), error.what());
        return false;
    }
    return true;
}

// Asks, when the series would land on days that already hold a message (other than the
// series' own records and the message on show), whether to replace or skip them. None
// when the user cancels.
std::optional<SeriesStore::Occupied> EntryDialog::askOccupied(const Series &series)
{
    QStringList days;
    for (const QDate &day : m_seriesStore.occupiedDays(series)) {
        if ((m_hadRecord && day == m_slot.date()) || (m_series && m_series->written.contains(day)))
            continue;
        days << ShownTime::date(day);
    }
    if (days.isEmpty())
        return SeriesStore::Occupied::Replace;
    const qsizetype more = days.size() - ListedDays;
    QString listed = days.mid(0, ListedDays).join(QStringLiteral(", "));
    if (more > 0)
        listed = tr("%1 and %2 more").arg(listed).arg(more);
    const qsizetype answer = m_context.boxes.choose(AppTitle,
        tr("These days already hold a message at %1: %2.\n\nReplace those messages with this "
           "one, or skip those days?")
            .arg(ShownTime::time(m_slot.time()), listed),
        { tr("&Replace"), tr("S&kip"), tr("&Cancel") }, this);
    if (answer == 0)
        return SeriesStore::Occupied::Replace;
    if (answer == 1)
        return SeriesStore::Occupied::Skip;
    return std::nullopt;
}

EntryDialog::Reach EntryDialog::askReach(const QString &question)
{
    const qsizetype answer = m_context.boxes.choose(AppTitle, question,
        { tr("This &Message Only"), tr("This and &All Later Ones"), tr("&Cancel") }, this);
    return answer == 0 ? Reach::This : answer == 1 ? Reach::Later : Reach::Cancel;
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
        Reach reach = Reach::This;
        if (m_series) {
            reach = askReach(tr("This message is one of a repeating series. Delete this message "
                                "only, or this one and all later ones?"));
            if (reach == Reach::Cancel) {
                close = false;
                return;
            }
        }
        try {
            if (m_series && reach == Reach::Later) {
                m_seriesStore.deleteFromHere(m_context.currentUser, m_slot);
            } else {
                if (m_series)
                    m_seriesStore.detach(m_context.currentUser, m_slot);
                m_store.removeSlot(m_context.currentUser, m_slot);
            }
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

void EntryDialog::showRepetition(const Repetition &repetition)
{
    m_repeat->setCurrentIndex(m_repeat->findData(int(repetition.rule)));
    m_end->setCurrentIndex(repetition.until.isValid() ? EndOnDate
            : repetition.times > 0                    ? EndAfterTimes
                                                      : NoEnd);
    m_until->setDate(repetition.until.isValid() ? repetition.until : m_slot.date().addMonths(1));
    m_times->setValue(repetition.times > 0 ? repetition.times : 10);
    showRepeatState();
}

Repetition EntryDialog::repetition() const
{
    Repetition repetition;
    repetition.rule = Repetition::Rule(m_repeat->currentData().toInt());
    if (repetition.rule == Repetition::Rule::Never)
        return repetition;
    if (m_end->currentIndex() == EndOnDate)
        repetition.until = m_until->date();
    else if (m_end->currentIndex() == EndAfterTimes)
        repetition.times = m_times->value();
    return repetition;
}

// The end means something only for a message that repeats, and each value only for its
// own kind of end.
void EntryDialog::showRepeatState()
{
    const bool repeating = m_repeat->currentData().toInt() != int(Repetition::Rule::Never);
    m_end->setEnabled(repeating);
    m_until->setEnabled(repeating);
    m_times->setEnabled(repeating);
    m_until->setVisible(m_end->currentIndex() == EndOnDate);
    m_times->setVisible(m_end->currentIndex() == EndAfterTimes);
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
