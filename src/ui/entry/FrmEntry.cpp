#include "ui/entry/FrmEntry.h"

#include "app/AppTitle.h"
#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
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
    return settings.ReadSetting(Roster::UserSection(user), QLatin1String(key), QString());
}

} // namespace

FrmEntry::FrmEntry(Program &program, QWidget *parent)
    : QDialog(parent)
    , p(program)
    , m_picker(new UserPicker(program, this))
{
    setObjectName(QStringLiteral("frmEntry"));
    setWindowTitle(QStringLiteral("Tolvane - Message"));
    setModal(true);

    fraEntry = new QGroupBox(QStringLiteral("Message Entry"), this);
    fraEntry->setObjectName(QStringLiteral("fraEntry"));
    lblPrompt = new QLabel(
        QStringLiteral("Enter your message below and click Apply when complete."), fraEntry);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt->setWordWrap(true);
    lblMessage = new QLabel(QStringLiteral("Message:"), fraEntry);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    txtData = new MessageTextEdit(fraEntry);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setMinimumHeight(96);
    lblMessage->setBuddy(txtData);
    lblCount = new QLabel(fraEntry);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblCodePage = new QLabel(fraEntry);
    lblCodePage->setObjectName(QStringLiteral("lblCodePage"));
    lblCodePage->setWordWrap(true);
    lblCodePage->setStyleSheet(QStringLiteral("color: #a00000;"));
    lblCodePage->hide();

    auto *entry = new QVBoxLayout(fraEntry);
    entry->addWidget(lblPrompt);
    entry->addWidget(lblMessage);
    entry->addWidget(txtData, 1);
    entry->addWidget(lblCount);
    entry->addWidget(lblCodePage);

    fraRecipients = new QGroupBox(QStringLiteral("Recipients"), this);
    fraRecipients->setObjectName(QStringLiteral("fraRecipients"));
    lblRecipients = new QLabel(QStringLiteral("Recipients:"), fraRecipients);
    lblRecipients->setObjectName(QStringLiteral("lblRecipients"));
    lblCurrent
        = new QLabel(QStringLiteral("Your current recipient(s) for this message:"), fraRecipients);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    lstRecipients = new QListWidget(fraRecipients);
    lstRecipients->setObjectName(QStringLiteral("lstRecipients"));
    lstRecipients->setSelectionMode(QAbstractItemView::NoSelection);
    lstRecipients->setFixedHeight(72);
    cmdRecipients = new QPushButton(QStringLiteral("Change &Recipients"), fraRecipients);
    cmdRecipients->setObjectName(QStringLiteral("cmdRecipients"));
    cmdRecipients->setAutoDefault(false);

    auto *recipients = new QGridLayout(fraRecipients);
    recipients->addWidget(lblRecipients, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    recipients->addWidget(lblCurrent, 0, 1);
    recipients->addWidget(lstRecipients, 1, 1);
    recipients->addWidget(cmdRecipients, 1, 2, Qt::AlignTop);
    recipients->setColumnStretch(1, 1);

    cmdNext = new QPushButton(QStringLiteral("&Save Message"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdDelete = new QPushButton(QStringLiteral("&Delete Message"), this);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter belongs to the text box; no button is pressed by it unless it has the focus.
    for (QPushButton *button : { cmdNext, cmdDelete, cmdCancel })
        button->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraEntry, 1);
    layout->addWidget(fraRecipients);
    layout->addLayout(buttons);
    resize(460, 420);

    connect(cmdNext, &QPushButton::clicked, this, &FrmEntry::cmdNext_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FrmEntry::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmEntry::cmdCancel_Click);
    connect(cmdRecipients, &QPushButton::clicked, this, &FrmEntry::cmdRecipients_Click);
    connect(txtData, &MessageTextEdit::doubleClicked, this, &FrmEntry::txtData_DblClick);
    connect(txtData, &QPlainTextEdit::textChanged, this, &FrmEntry::showTextState);

    tmrRefresh.setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh.setInterval(1);
    connect(&tmrRefresh, &QTimer::timeout, this, &FrmEntry::tmrRefresh_Timer);

    Form_Load();
}

int FrmEntry::showModal()
{
    tmrRefresh.start();
    return exec();
}

void FrmEntry::Form_Load()
{
    Trap(p, "frmEntry.Form_Load", [&] { loadForm(); });
    // Whatever happened above, the list shows the recipients the form now holds.
    UpdateRecipients();
}

// Sets every piece of the form's state afresh, so that loading twice is harmless.
void FrmEntry::loadForm()
{
    if (p.SendNow) {
        cmdNext->setText(QStringLiteral("&Send Message"));
        setWindowTitle(QStringLiteral("Tolvane - Send an Instant Message"));
    } else {
        cmdNext->setText(QStringLiteral("&Save Message"));
        setWindowTitle(QStringLiteral("Tolvane - Message for ") + p.SelectedStamp);
    }
    txtData->setMaxLength(EntryRules::TextLimit(p.settings));
    m_recipients = { p.CurrentUser };
    txtData->setTextUnlimited(QString());
    // In send mode there is no stored message to delete.
    cmdDelete->setEnabled(!p.SendNow);

    if (!p.SendNow)
        loadRecord();

    // A slot whose minute has come can be looked at and deleted, but no longer saved:
    // the scheduler would never send it.
    cmdNext->setEnabled(p.SendNow || EntryRules::SlotIsAhead(selectedSlot(), p.clock.now()));
    showTextState();
    txtData->setFocus();
}

void FrmEntry::loadRecord()
{
    std::optional<MessageRecord> record;
    try {
        record = MessageStore(p.ProgramDir, p.clock).find(p.CurrentUser, selectedSlot());
    } catch (const StoreError &error) {
        reportStoreFailure(
            QStringLiteral("The stored message of this time could not be read."), error.what());
        return;
    }
    if (!record)
        return;
    txtData->setTextUnlimited(record->text);

    // Recipients are stored by phone address; an address that no user has any more is
    // dropped here, and so from the record when it is saved again.
    // At most ten, as many as the picker can choose.
    QList<int> users;
    for (const QString &address : record->recipients) {
        if (address.isEmpty())
            continue; // an empty address would match every user without a phone
        for (int n = 1; n <= Roster::MaxUsers && users.size() < Roster::MaxUsers; ++n) {
            if (userSetting(p.settings, n, "CellEmail") == address)
                users.append(n);
        }
    }
    if (!users.isEmpty())
        m_recipients = users;
}

void FrmEntry::tmrRefresh_Timer()
{
    Trap(p, "frmEntry.tmrRefresh_Timer", [&] {
        tmrRefresh.stop();
        Form_Load();
    });
}

void FrmEntry::cmdNext_Click()
{
    bool close = true;
    Trap(p, "frmEntry.cmdNext_Click", [&] { close = saveOrSend(); });
    if (close)
        closeForm(QDialog::Accepted);
}

// Whether the form may close: not when the message could not be stored, so that the
// typed text is not lost with it.
bool FrmEntry::saveOrSend()
{
    const QString typed = txtData->toPlainText();
    if (typed.isEmpty())
        return true; // nothing to store; an existing record of the slot stays

    if (!p.SendNow && !EntryRules::SlotIsAhead(selectedSlot(), p.clock.now())) {
        // The slot's minute came while the form was open.
        cmdNext->setEnabled(false);
        p.boxes.show(AppTitle,
            QStringLiteral("The time of this message has passed, so it can no longer be "
                           "saved. Please choose a later time."),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
        return false;
    }

    const MessageRecord record = EntryRules::ComposeRecord(p.settings,
        p.SendNow ? p.clock.now() : selectedSlot(), EntryRules::StoredText(typed), m_recipients);

    if (p.SendNow) {
        // Never written to a file: the scheduler sends it at its next check and, from the
        // code of 21 or more, knows not to mark it sent anywhere.
        p.NextMessage[0]
            = EntryRules::InstantUserCode(p.CurrentUser) + CodePage::decode(record.line);
        return true;
    }
    try {
        MessageStore(p.ProgramDir, p.clock).save(p.CurrentUser, record);
    } catch (const StoreError &error) {
        reportStoreFailure(QStringLiteral("The message was not saved."), error.what());
        return false;
    }
    return true;
}

void FrmEntry::cmdDelete_Click()
{
    bool close = true;
    Trap(p, "frmEntry.cmdDelete_Click", [&] {
        // An instant message has no stored slot: the button does nothing and the form
        // stays open.
        close = !p.SendNow && deleteSlot();
    });
    if (close)
        closeForm(QDialog::Accepted);
}

bool FrmEntry::deleteSlot()
{
    try {
        MessageStore(p.ProgramDir, p.clock).removeSlot(p.CurrentUser, selectedSlot());
    } catch (const StoreError &error) {
        reportStoreFailure(QStringLiteral("The message was not deleted."), error.what());
        return false;
    }
    return true;
}

void FrmEntry::cmdCancel_Click()
{
    Trap(p, "frmEntry.cmdCancel_Click", [&] { closeForm(QDialog::Rejected); });
}

void FrmEntry::reject()
{
    cmdCancel_Click();
}

void FrmEntry::cmdRecipients_Click()
{
    Trap(p, "frmEntry.cmdRecipients_Click", [&] {
        const QList<int> chosen
            = m_picker->pick({ .several = true, .offerCurrentUser = true, .required = true });
        // Cancelled, or nobody chosen: the message keeps the recipients it had.
        if (!chosen.isEmpty())
            m_recipients = chosen;
        UpdateRecipients();
    });
}

void FrmEntry::UpdateRecipients()
{
    Trap(p, "frmEntry.UpdateRecipients", [&] {
        lstRecipients->clear();
        for (const int user : std::as_const(m_recipients)) {
            const QString name = userSetting(p.settings, user, "Name");
            if (!name.isEmpty())
                lstRecipients->addItem(name);
        }
    });
}

void FrmEntry::txtData_DblClick()
{
    Trap(p, "frmEntry.txtData_DblClick", [&] {
        QTextCursor cursor(txtData->document());
        cursor.setPosition(0);
        cursor.setPosition(qMin(DoubleClickSelection, txtData->length()), QTextCursor::KeepAnchor);
        txtData->setTextCursor(cursor);
    });
}

void FrmEntry::showTextState()
{
    lblCount->setText(
        QStringLiteral("%1 of %2 characters").arg(txtData->length()).arg(txtData->maxLength()));
    // The message file and the mail hold only Windows-1252; rather than change what the
    // user typed, the form says which characters will arrive as "?".
    const QString replaced = EntryRules::ReplacedCharacters(txtData->toPlainText());
    if (replaced.isEmpty()) {
        lblCodePage->hide();
        return;
    }
    QStringList shown;
    for (const char32_t c : replaced.toUcs4())
        shown.append(QString::fromUcs4(&c, 1));
    lblCodePage->setText(
        QStringLiteral("These characters cannot be sent and will arrive as \"?\": ")
        + shown.join(QLatin1Char(' ')));
    lblCodePage->show();
}

void FrmEntry::closeForm(int result)
{
    txtData->setFocus();
    done(result);
}

QDateTime FrmEntry::selectedSlot() const
{
    if (p.SelectedSlot.isValid())
        return p.SelectedSlot;
    // An opener that set only the stamp: the same slot, read from its text.
    const QDate date = Stamp::parseDate(QStringView(p.SelectedStamp).left(Stamp::DateLength));
    const int minute = p.SelectedStamp.size() == Stamp::StampLength
        ? Stamp::parseTime(QStringView(p.SelectedStamp).mid(11, Stamp::TimeLength))
        : Stamp::NoTime;
    if (!date.isValid() || minute == Stamp::NoTime)
        return {};
    return QDateTime(date, QTime(minute / 60, minute % 60));
}

void FrmEntry::reportStoreFailure(const QString &what, const char *why)
{
    p.boxes.show(AppTitle, what + QStringLiteral("\n\n") + QString::fromLocal8Bit(why),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
}
