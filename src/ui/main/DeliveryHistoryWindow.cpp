// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/DeliveryHistoryWindow.h"

#include "platform/ShownTime.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

using Entry = DeliveryHistory::Entry;
using Outcome = DeliveryAttempt::Outcome;

namespace {

enum Column { TimeColumn, UserColumn, DueColumn, RecipientsColumn, ResultColumn, Columns };

QString userText(const Entry &entry)
{
    return entry.userName.isEmpty() ? DeliveryHistoryWindow::tr("User %1").arg(entry.attempt.user)
                                    : entry.userName;
}

QString resultText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Sent:
        return DeliveryHistoryWindow::tr("Sent");
    case Outcome::WillRetry:
        return DeliveryHistoryWindow::tr("Will retry");
    case Outcome::Failed:
        break;
    }
    return DeliveryHistoryWindow::tr("Failed");
}

} // namespace

// The entries, oldest first, shown newest first.
class HistoryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QList<Entry> entries;

    const Entry &at(int row) const { return entries.at(entries.size() - 1 - row); }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(entries.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : Columns;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        const QString headings[] { DeliveryHistoryWindow::tr("Time"),
            DeliveryHistoryWindow::tr("User"), DeliveryHistoryWindow::tr("Message"),
            DeliveryHistoryWindow::tr("Recipients"), DeliveryHistoryWindow::tr("Result") };
        return headings[section];
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const DeliveryAttempt &attempt = at(index.row()).attempt;
        switch (index.column()) {
        case TimeColumn:
            return ShownTime::dateTime(attempt.at);
        case UserColumn:
            return userText(at(index.row()));
        case DueColumn:
            return attempt.instant ? DeliveryHistoryWindow::tr("Instant message")
                                   : ShownTime::dateTime(attempt.due);
        case RecipientsColumn: {
            QStringList addresses;
            for (const DeliveryAttempt::Recipient &recipient : attempt.recipients)
                addresses << recipient.address;
            return addresses.join(QStringLiteral(", "));
        }
        default:
            return attempt.outcome == Outcome::WillRetry && attempt.nextTry.isValid()
                ? DeliveryHistoryWindow::tr("Will retry at %1")
                      .arg(ShownTime::dateTime(attempt.nextTry))
                : resultText(attempt.outcome);
        }
    }
    void add(const Entry &entry)
    {
        beginInsertRows({}, 0, 0);
        entries.append(entry);
        endInsertRows();
        if (entries.size() > DeliveryHistory::MaxLines) {
            beginRemoveRows({}, rowCount() - 1, rowCount() - 1);
            entries.removeFirst();
            endRemoveRows();
        }
    }
};

// The rows of one user (0: every user) with one result (none: any).
class HistoryFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void set(int user, std::optional<Outcome> outcome)
    {
        m_user = user;
        m_outcome = outcome;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        const DeliveryAttempt &attempt
            = static_cast<HistoryModel *>(sourceModel())->at(row).attempt;
        return (m_user == 0 || attempt.user == m_user)
            && (!m_outcome || attempt.outcome == *m_outcome);
    }

private:
    int m_user = 0;
    std::optional<Outcome> m_outcome;
};

DeliveryHistoryWindow::DeliveryHistoryWindow(DeliveryHistory &history, QWidget *parent)
    : QDialog(parent)
    , m_history(history)
    , m_model(new HistoryModel(this))
    , m_filter(new HistoryFilter(this))
    , m_userFilter(new QComboBox(this))
    , m_resultFilter(new QComboBox(this))
    , m_table(new QTableView(this))
    , m_reply(new QPlainTextEdit(this))
    , m_problem(new QLabel(this))
    , m_empty(new QLabel(this))
{
    setObjectName(QStringLiteral("deliveryHistory"));
    setWindowTitle(tr("Delivery History"));
    setModal(false);
    resize(780, 480);

    // The filters are named by their labels, and read out with their choice.
    auto *userLabel = new QLabel(tr("&User:"), this);
    userLabel->setBuddy(m_userFilter);
    m_userFilter->setObjectName(QStringLiteral("userFilter"));
    auto *resultLabel = new QLabel(tr("Re&sult:"), this);
    resultLabel->setBuddy(m_resultFilter);
    m_resultFilter->setObjectName(QStringLiteral("resultFilter"));
    m_resultFilter->addItem(tr("All results"));
    for (const Outcome outcome : { Outcome::Sent, Outcome::WillRetry, Outcome::Failed })
        m_resultFilter->addItem(resultText(outcome), int(outcome));

    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setWordWrap(true);
    m_empty->setObjectName(QStringLiteral("emptyLabel"));
    m_empty->setTextFormat(Qt::PlainText);

    m_model->entries = m_history.read();
    m_filter->setSourceModel(m_model);
    m_table->setObjectName(QStringLiteral("attemptTable"));
    m_table->setAccessibleName(tr("Delivery attempts, newest first"));
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false); // Tab leaves the table; the arrows walk it
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();

    auto *replyLabel = new QLabel(tr("&Reply:"), this);
    replyLabel->setBuddy(m_reply);
    m_reply->setObjectName(QStringLiteral("replyView"));
    m_reply->setAccessibleName(tr("Reply of the selected attempt"));
    m_reply->setReadOnly(true);
    m_reply->setTabChangesFocus(true);
    m_reply->setMaximumHeight(m_reply->fontMetrics().lineSpacing() * 6);

    auto *closeButton = new QPushButton(tr("&Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false); // Enter in the table must not close the window
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *filters = new QHBoxLayout;
    filters->addWidget(userLabel);
    filters->addWidget(m_userFilter);
    filters->addSpacing(12);
    filters->addWidget(resultLabel);
    filters->addWidget(m_resultFilter);
    filters->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_problem);
    layout->addWidget(m_empty);
    layout->addWidget(m_table, 1);
    layout->addWidget(replyLabel);
    layout->addWidget(m_reply);
    layout->addLayout(buttons);
    const QList<QWidget *> order { m_userFilter, m_resultFilter, m_table, m_reply, closeButton };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    fillUserFilter();
    // Qt measures at most the first thousand rows.
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(RecipientsColumn, QHeaderView::Stretch);
    showProblem(m_history.problem());
    connect(&m_history, &DeliveryHistory::appended, this, &DeliveryHistoryWindow::add);
    connect(
        &m_history, &DeliveryHistory::problemChanged, this, &DeliveryHistoryWindow::showProblem);
    connect(
        m_userFilter, &QComboBox::currentIndexChanged, this, &DeliveryHistoryWindow::applyFilter);
    connect(
        m_resultFilter, &QComboBox::currentIndexChanged, this, &DeliveryHistoryWindow::applyFilter);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &DeliveryHistoryWindow::showReply);
    if (m_filter->rowCount() > 0)
        select(0);
    showWhyEmpty();
    m_table->setFocus();
}

DeliveryHistoryWindow::~DeliveryHistoryWindow() = default;

void DeliveryHistoryWindow::showInFront()
{
    show();
    raise();
    activateWindow();
}

void DeliveryHistoryWindow::showAttempt(const std::optional<Entry> &attempt)
{
    m_userFilter->setCurrentIndex(0);
    m_resultFilter->setCurrentIndex(0);
    m_selectNext = !attempt;
    if (attempt) {
        const QByteArray wanted = DeliveryHistory::line(*attempt);
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (DeliveryHistory::line(m_model->at(row)) == wanted) {
                select(row);
                break;
            }
        }
    }
    showInFront();
}

void DeliveryHistoryWindow::add(const Entry &entry)
{
    m_model->add(entry);
    fillUserFilter();
    if (std::exchange(m_selectNext, false)) {
        m_userFilter->setCurrentIndex(0);
        m_resultFilter->setCurrentIndex(0);
        select(0);
    }
    showWhyEmpty();
}

void DeliveryHistoryWindow::fillUserFilter()
{
    // Each user once, by number, under the latest name the history holds.
    QMap<int, QString> users;
    for (const Entry &entry : std::as_const(m_model->entries))
        users[entry.attempt.user] = userText(entry);
    QStringList shown;
    for (int i = 0; i < m_userFilter->count(); ++i)
        shown << m_userFilter->itemText(i);
    if (shown == QStringList(tr("All users")) + users.values())
        return;
    const int chosen = m_userFilter->currentData().toInt();
    const QSignalBlocker quiet(m_userFilter);
    m_userFilter->clear();
    m_userFilter->addItem(tr("All users"), 0);
    for (auto [user, name] : users.asKeyValueRange())
        m_userFilter->addItem(name, user);
    m_userFilter->setCurrentIndex(qMax(0, m_userFilter->findData(chosen)));
}

void DeliveryHistoryWindow::applyFilter()
{
    const QVariant outcome = m_resultFilter->currentData();
    m_filter->set(m_userFilter->currentData().toInt(),
        outcome.isValid() ? std::optional(Outcome(outcome.toInt())) : std::nullopt);
    // The selected attempt stays when it is still shown; otherwise the newest shown is.
    if (!m_table->currentIndex().isValid() && m_filter->rowCount() > 0)
        m_table->setCurrentIndex(m_filter->index(0, 0));
    showReply();
    showWhyEmpty();
}

void DeliveryHistoryWindow::showWhyEmpty()
{
    // An empty table alone would leave the user wondering whether the window works. A
    // screen reader hears the reason with the table.
    const bool empty = m_filter->rowCount() == 0;
    m_empty->setText(m_model->rowCount() == 0
            ? tr("Nothing has been sent or tried yet.")
            : tr("No attempt matches the chosen user and result."));
    m_empty->setVisible(empty);
    m_table->setAccessibleDescription(empty ? m_empty->text() : QString());
}

void DeliveryHistoryWindow::select(int sourceRow)
{
    const QModelIndex index = m_filter->mapFromSource(m_model->index(sourceRow, 0));
    m_table->setCurrentIndex(index);
    m_table->scrollTo(index);
}

void DeliveryHistoryWindow::showReply()
{
    const QModelIndex current = m_filter->mapToSource(m_table->currentIndex());
    m_reply->setPlainText(current.isValid() ? m_model->at(current.row()).attempt.reply : QString());
}

void DeliveryHistoryWindow::showProblem(const QString &problem)
{
    m_problem->setText(
        tr("The delivery history cannot be written to %1: %2").arg(m_history.path(), problem));
    m_problem->setVisible(!problem.isEmpty());
}
