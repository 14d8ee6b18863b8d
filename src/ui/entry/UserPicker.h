// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <QList>
#include <array>

class AppContext;
class QCheckBox;
class QLabel;
class QPushButton;

// The user picker: the configured users as a column of check boxes in alphabetical order
// of their names. Its opener says what may be chosen and gets the chosen users back:
//     const QList<int> users = picker.pick({ .several = true, .offerCurrentUser = true,
//                                            .required = true });
// The users come in the order of the boxes, that is in alphabetical order of their names;
// the list is empty when the picker was cancelled or nobody was chosen.
//
// begin() only sets the picker up afresh for an opening (show() or exec() then puts it on
// the screen) and chosen() is what its Apply chose; pick() does all three.
class UserPicker : public QDialog {
    Q_OBJECT
public:
    struct Mode {
        // Any number of users may be ticked, with Select All and Clear All; otherwise a
        // tick unticks every other box.
        bool several = false;
        // The logged-in user has a box, ticked when the picker opens.
        bool offerCurrentUser = false;
        // Apply and Cancel refuse while no box is ticked.
        bool required = false;
    };
    static constexpr int BoxCount = 10;

    explicit UserPicker(AppContext &context, QWidget *parent = nullptr);

    void begin(const Mode &mode);
    QList<int> pick(const Mode &mode);
    QList<int> chosen() const { return m_chosen; }

    // The close box and Escape are Cancel, with its refusal.
    void reject() override;

private:
    void tick(int box);
    void apply();
    void cancel();
    void tickAll(bool ticked);
    bool refusedEmpty();

    AppContext &m_context;
    Mode m_mode;
    QLabel *m_prompt = nullptr;
    std::array<QCheckBox *, BoxCount> m_boxes {};
    std::array<int, BoxCount> m_users {}; // the user behind each box, 0 for none
    QPushButton *m_selectAll = nullptr;
    QPushButton *m_clearAll = nullptr;
    QList<int> m_chosen;
};
