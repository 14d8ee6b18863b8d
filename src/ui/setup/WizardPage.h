// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class AppContext;
class QLabel;
class QLineEdit;
class QVBoxLayout;
struct SetupRun;

// One page of the set-up wizard: its rows inside the wizard's "Tolvane Setup" frame. The
// wizard puts it up, runs load() each time it comes up and next() on Next, Finish or Apply;
// the page reads and keeps its values in the run the wizard hands it.
class WizardPage : public QWidget {
    Q_OBJECT
public:
    enum class Step {
        Stay, // refused: the page stays up as it is
        Forward, // kept in the run: on to the next page
        Close, // written: the wizard ends
    };

    // The page's name in the error trap's reports, "frmUserName.cmdNext_Click".
    const QString &formName() const { return m_formName; }
    // The wizard's window title while the page is up.
    const QString &title() const { return m_title; }
    // The text boxes, the one that takes the focus first.
    const QList<QLineEdit *> &boxes() const { return m_boxes; }
    // Rows that need the frame's whole width, below the picture; none by default.
    QWidget *footer() const { return m_footer; }

    // Fills the page for the run's mode and values; nextWord is the caption of the Next
    // button as it now reads ("Next", "Finish" or "Apply").
    virtual void load(const QString &nextWord) = 0;
    // Next, Finish or Apply: checks what the page holds, then keeps it in the run or
    // writes it.
    virtual Step next() = 0;
    // After next() closed the wizard and it is hidden: the keyring, which may take a while
    // to answer and may have something to say.
    virtual void finish(QWidget *boxParent) { Q_UNUSED(boxParent) }

protected:
    WizardPage(AppContext &context, SetupRun &run, const QString &formName, const QString &title,
        QWidget *parent = nullptr);

    QLabel *addLabel(const QString &objectName, const QString &text);
    QLineEdit *addBox(const QString &objectName);
    QWidget *makeFooter();
    // "If this is correct, click the Next button below. ..."
    static QString instructionLine(const QString &nextWord);

    AppContext &m_context;
    SetupRun &m_run;
    QVBoxLayout *m_rows = nullptr;

private:
    const QString m_formName;
    const QString m_title;
    QList<QLineEdit *> m_boxes;
    QWidget *m_footer = nullptr;
};
