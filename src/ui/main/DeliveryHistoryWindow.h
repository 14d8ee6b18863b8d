// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/DeliveryHistory.h"

#include <QDialog>
#include <optional>

class HistoryFilter;
class HistoryModel;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableView;

// "Delivery History": the attempts of the history, newest first (time, user, the
// message's minute, recipients, result), filtered by user and by result, with the whole
// reply of the selected one below. It reads the file once, when it is made, and then
// takes each attempt as it is appended. Not modal; Escape closes it.
class DeliveryHistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit DeliveryHistoryWindow(DeliveryHistory &history, QWidget *parent = nullptr);
    ~DeliveryHistoryWindow() override;

    // Shows the window in front, as it was left.
    void showInFront();
    // Shows it with no filter and that attempt selected; with none, the attempt under way
    // (a warning came during it), selected as it ends.
    void showAttempt(const std::optional<DeliveryHistory::Entry> &attempt);

private:
    void add(const DeliveryHistory::Entry &entry);
    void fillUserFilter();
    void applyFilter();
    void select(int sourceRow);
    void showReply();
    void showProblem(const QString &problem);
    void showWhyEmpty();

    DeliveryHistory &m_history;
    HistoryModel *m_model;
    HistoryFilter *m_filter;
    QComboBox *m_userFilter;
    QComboBox *m_resultFilter;
    QTableView *m_table;
    QPlainTextEdit *m_reply;
    QLabel *m_problem;
    QLabel *m_empty;
    bool m_selectNext = false;
};
