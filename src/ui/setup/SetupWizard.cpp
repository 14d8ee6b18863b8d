// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/SetupWizard.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "platform/MessageBoxes.h"
#include "ui/common/HelpPageBox.h"
#include "ui/common/TolvaneIcon.h"
#include "ui/setup/AccountNameGuess.h"
#include "ui/setup/MailServerPage.h"
#include "ui/setup/PhoneAddressPage.h"
#include "ui/setup/UserNamePage.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int SelectionLength = 100;

enum PageIndex { UserName, MailServer, PhoneAddress };

QPushButton *makeButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

SetupWizard::SetupWizard(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , accountName(accountNameGuess)
    , mailAccountGuess([] { return MailAccount {}; })
    , m_context(context)
{
    setObjectName(QStringLiteral("setupWizard"));
    setWindowIcon(tolvaneIcon());
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(DesignWidth, DesignHeight);

    auto *frame = new QGroupBox(tr("Tolvane Setup"), this);
    frame->setObjectName(QStringLiteral("setupFrame"));
    auto *picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(tolvaneIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_pages = { new UserNamePage(m_context, m_run, accountName),
        new MailServerPage(m_context, m_run, mailAccountGuess),
        new PhoneAddressPage(m_context, m_run) };
    m_stack = new QStackedWidget(frame);
    m_footers = new QStackedWidget(frame);
    for (WizardPage *page : std::as_const(m_pages)) {
        m_stack->addWidget(page);
        m_footers->addWidget(page->footer() ? page->footer() : new QWidget);
        for (QLineEdit *box : page->boxes())
            box->installEventFilter(this);
    }
    auto *frameLayout = new QGridLayout(frame);
    frameLayout->setHorizontalSpacing(12);
    frameLayout->addWidget(picture, 0, 0);
    frameLayout->addWidget(m_stack, 0, 1);
    frameLayout->addWidget(m_footers, 1, 0, 1, 2);
    frameLayout->setColumnStretch(1, 1);
    frameLayout->setRowStretch(1, 1);

    m_helpButton = makeButton(QStringLiteral("?"), QStringLiteral("helpButton"), this);
    m_helpButton->setFixedWidth(32);
    m_backButton = makeButton(tr("&Back"), QStringLiteral("backButton"), this);
    m_nextButton = makeButton(tr("&Next"), QStringLiteral("nextButton"), this);
    m_nextButton->setAutoDefault(true);
    m_nextButton->setDefault(true);
    m_cancelButton = makeButton(tr("&Cancel"), QStringLiteral("cancelButton"), this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_helpButton);
    buttons->addStretch(1);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_nextButton);
    buttons->addSpacing(8);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    // The boxes come first, then the buttons; a page's hidden boxes are passed over.
    QList<QWidget *> chain;
    for (WizardPage *page : std::as_const(m_pages))
        for (QWidget *w : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && (w->focusPolicy() & Qt::TabFocus))
                chain << w;
    chain << m_nextButton << m_cancelButton << m_backButton << m_helpButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));

    connect(m_nextButton, &QPushButton::clicked, this, &SetupWizard::goNext);
    connect(m_backButton, &QPushButton::clicked, this, &SetupWizard::goBack);
    connect(m_cancelButton, &QPushButton::clicked, this, &SetupWizard::cancel);
    connect(m_helpButton, &QPushButton::clicked, this, [this] {
        trapOnPage("cmdHelp_Click", [this] { openHelpPageOrSay(m_context.boxes, this); });
    });

    showPage(UserName);
}

SetupWizard::~SetupWizard() = default;

void SetupWizard::begin(Mode mode, int user)
{
    m_run.mode = mode;
    m_run.user = user;
    m_run.clearConfirmed();
    // Every run starts from empty boxes, as on the very first showing.
    for (WizardPage *page : std::as_const(m_pages))
        for (QLineEdit *box : page->boxes())
            box->clear();
    setResult(0);
    switch (mode) {
    case Mode::FirstRun:
    case Mode::AddUser:
    case Mode::EditName:
        showPage(UserName);
        break;
    case Mode::EditMailServer:
    case Mode::EditDefaults:
        showPage(MailServer);
        break;
    case Mode::EditPhoneAddress:
        showPage(PhoneAddress);
        break;
    }
}

SetupWizard::Outcome SetupWizard::run(Mode mode, int user)
{
    begin(mode, user);
    return Outcome(exec());
}

void SetupWizard::showPage(int index)
{
    m_index = index;
    WizardPage *page = currentPage();
    // Only the page on show counts for the frame's layout.
    for (int i = 0; i < m_pages.size(); ++i) {
        const auto policy = i == index ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        m_stack->widget(i)->setSizePolicy(policy, policy);
        m_footers->widget(i)->setSizePolicy(policy, policy);
    }
    m_stack->setCurrentIndex(index);
    m_footers->setCurrentIndex(index);
    setWindowTitle(page->title());
    m_backButton->setVisible(m_run.isWizard() && index > UserName);
    const QString caption = !m_run.isWizard() ? tr("&Apply")
        : index == PhoneAddress               ? tr("&Finish")
                                              : tr("&Next");
    m_nextButton->setText(caption);
    // The caption without its accelerator mark: "&Next" reads "Next".
    trapOnPage("Form_Load", [&] { page->load(QString(caption).remove(u'&')); });
    page->boxes().first()->setFocus();
}

void SetupWizard::goNext()
{
    trapOnPage("cmdNext_Click", [&] {
        WizardPage *page = currentPage();
        switch (page->next()) {
        case WizardPage::Step::Stay:
            break;
        case WizardPage::Step::Forward:
            showPage(m_index + 1);
            break;
        case WizardPage::Step::Close:
            // The keyring last, with the wizard gone. Everything else is written, so the run
            // has ended whatever the keyring did; a failure is still the trap's to report.
            hide();
            try {
                page->finish(parentWidget());
            } catch (...) {
                done(Completed);
                throw;
            }
            done(Completed);
            break;
        }
    });
}

void SetupWizard::goBack()
{
    trapOnPage("cmdBack_Click", [&] { showPage(m_index - 1); });
}

void SetupWizard::cancel()
{
    trapOnPage("cmdCancel_Click", [&] {
        if (m_run.mode == Mode::FirstRun) {
            const auto answer = m_context.boxes.show(tr("Abort Tolvane Setup?"),
                tr("Canceling Tolvane Setup will end the program.  Are you sure you "
                   "wish to cancel Tolvane Setup?"),
                MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo, this);
            if (answer == MessageBoxes::Answer::Yes)
                done(Abandoned);
            return;
        }
        m_run.clearConfirmed();
        done(Cancelled);
    });
}

void SetupWizard::reject()
{
    cancel();
}

void SetupWizard::trapOnPage(const char *procedure, const std::function<void()> &body)
{
    const QByteArray where = currentPage()->formName().toLatin1() + '.' + procedure;
    trap(m_context, where.constData(), body);
}

bool SetupWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            trapOnPage("txtData_DblClick",
                [&] { box->setSelection(0, qMin<int>(SelectionLength, int(box->text().size()))); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
