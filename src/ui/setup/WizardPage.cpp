// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/WizardPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

WizardPage::WizardPage(AppContext &context, SetupRun &run, const QString &formName,
    const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_run(run)
    , m_formName(formName)
    , m_title(title)
{
    setObjectName(formName);
    m_rows = new QVBoxLayout(this);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(8);
}

QLabel *WizardPage::addLabel(const QString &objectName, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    return label;
}

QLineEdit *WizardPage::addBox(const QString &objectName)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(objectName);
    m_boxes.append(box);
    return box;
}

QWidget *WizardPage::makeFooter()
{
    if (!m_footer)
        m_footer = new QWidget(this);
    return m_footer;
}

QString WizardPage::instructionLine(const QString &nextWord)
{
    return tr("If this is correct, click the %1 button below.  Otherwise, make any necessary "
              "changes and click the %1 button.")
        .arg(nextWord);
}
