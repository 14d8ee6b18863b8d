// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

// Plays a user through modal dialogs. Each step waits until its dialog is the active modal
// widget, then acts from an event of its own, so that the action may open further dialogs.
// A dialog still open once the last step has acted is closed (leftOpen); a step that does
// not come within five seconds is a failure and closes every dialog still shown: no test
// can hang in a modal loop. Queue the steps before the call that shows the first dialog.
class ModalSteps {
public:
    ModalSteps()
    {
        m_poll.callOnTimeout([this] { poll(); });
    }

    void then(QDialog &dialog, std::function<void()> act)
    {
        m_steps.append({ &dialog, std::move(act) });
        m_sinceStep.start();
        m_poll.start(2);
    }

    bool finished() const { return m_next == m_steps.size() && failure.isEmpty(); }

    QString failure;
    bool leftOpen = false;

private:
    void poll()
    {
        if (m_next >= m_steps.size())
            return m_poll.stop();
        const auto step = m_steps.at(m_next);
        if (step.first && QApplication::activeModalWidget() == step.first
            && step.first->isVisible()) {
            ++m_next;
            m_sinceStep.start();
            QTimer::singleShot(0, &m_poll, [this, step] {
                step.second();
                if (m_next == m_steps.size() && step.first && step.first->isVisible()) {
                    leftOpen = true;
                    step.first->hide();
                }
            });
        } else if (m_sinceStep.elapsed() > 5000) {
            failure = QStringLiteral("step %1 never came").arg(m_next + 1);
            m_poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QDialog *>(w))
                    w->hide();
        }
    }

    QList<std::pair<QPointer<QDialog>, std::function<void()>>> m_steps;
    qsizetype m_next = 0;
    QTimer m_poll;
    QElapsedTimer m_sinceStep;
};

// Plays what a user does in a dialog: each step is "Escape" or the caption of a button or
// a box on show ("Apply", "Save Message", a user's name), clicked where a user clicks it
// (the middle of a wide box with a short name is empty space).
inline void playDialog(QWidget &dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step == QLatin1String("Escape")) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            continue;
        }
        const auto buttons = dialog.findChildren<QAbstractButton *>();
        const auto named = std::find_if(buttons.begin(), buttons.end(),
            [&](QAbstractButton *b) { return b->isVisible() && b->text().remove(u'&') == step; });
        QVERIFY2(named != buttons.end(), qPrintable(step));
        QTest::mouseClick(*named, Qt::LeftButton, {}, QPoint(8, (*named)->height() / 2));
    }
}

// Plays a user's script in a program of its own, steps separated by " / ". "?WHAT EXPECTED"
// compares shown(WHAT), here "boxes" (the message boxes but questions, "title: text"), "asked"
// (the questions) and "icon" (the last box's); an expected text ending in "..." is the
// beginning. "user N NAME [PHONE SENDER SERVER]" and "set SECTION/KEY=VALUE" write settings;
// any other step is act(VERB, REST), REST null for a step of one word.
class StepScript {
public:
    virtual ~StepScript() = default;

    void play(const QString &script)
    {
        m_steps = script.split(" / ");
        for (m_at = 0; m_at < m_steps.size() && !QTest::currentTestFailed();)
            step();
    }

    virtual QString shown(const QString &what)
    {
        if (what == "icon")
            return env.boxes.shown.last().icon == MessageBoxes::Icon::Critical ? "Critical" : "";
        QStringList texts;
        for (const auto &box : env.boxes.shown)
            if ((box.icon == MessageBoxes::Icon::Question) == (what == "asked"))
                texts << box.title + ": " + QString(box.text).replace(env.dataDir(), "<data>/");
        return texts.join('\n');
    }

    TestEnvironment env;
    QStringList checked; // what the steps have looked at

protected:
    virtual void act(const QString &verb, const QString &rest) = 0;

    // The steps after this one play in the dialog, once open() has shown it modal, until
    // it closes.
    void within(QDialog &dialog, const std::function<void()> &open)
    {
        ModalSteps modal;
        modal.then(dialog, [&] {
            QDialog *outer = std::exchange(in, &dialog);
            while (m_at < m_steps.size() && dialog.isVisible() && !QTest::currentTestFailed())
                step();
            in = outer;
        });
        open();
        QVERIFY2(modal.finished() && !modal.leftOpen, qPrintable(modal.failure));
    }

    QDialog *in = nullptr; // the modal dialog the steps play in

private:
    void step()
    {
        const QString s = m_steps.at(m_at++), verb = s.section(' ', 0, 0);
        const QString rest = s.contains(' ') ? s.section(' ', 1) : QString();
        if (verb.startsWith('?')) {
            const QString actual = shown(verb.mid(1));
            checked << verb.mid(1);
            const bool same
                = rest.endsWith("...") ? actual.startsWith(rest.chopped(3)) : actual == rest;
            QVERIFY2(same, qPrintable(s + "\n   shown: " + actual));
        } else if (verb == "user") {
            const QStringList u = rest.split(' ') + QStringList(3);
            env.addUser(u.at(0).toInt(), u.at(1), u.at(2), u.at(3), u.at(4));
        } else if (verb == "set") {
            env.settings.writeSetting(rest.section('/', 0, 0),
                rest.section('/', 1).section('=', 0, 0), rest.section('=', 1));
        } else {
            act(verb, rest);
        }
    }

    QStringList m_steps;
    qsizetype m_at = 0;
};
