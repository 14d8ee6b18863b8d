#pragma once

#include <QDialog>
#include <QTimer>
#include <array>

class Program;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The recipient picker: the configured users as a column of check boxes in alphabetical
// order of their names; its only result is Program::Recipients.
//
// How a caller uses it:
//     program.SingleSelect = ...; program.IncludeCurrentUser = ...;
//     program.RequireSelection = ...;
//     picker.showModal();
//     if (program.Recipients[0] != 0) ... entries 0..k-1 hold the chosen user numbers
// Entry 0 is 0 exactly when the picker was cancelled or nothing was chosen.
//
// The form is created once and hidden, not destroyed, when it closes; showModal()
// enables tmrRefresh, whose one tick after the show rebuilds the form from the flags.
class FrmUserSelect : public QDialog {
    Q_OBJECT
public:
    static constexpr int BoxCount = 10;

    explicit FrmUserSelect(Program &program, QWidget *parent = nullptr);

    // Enables tmrRefresh and shows the form modally; returns when Apply or Cancel has
    // closed it (QDialog::Accepted after Apply).
    int showModal();

    // The number of the user behind box i (0 when the box shows nobody).
    int userBehind(int box) const { return m_numbers.at(box); }

    QGroupBox *fraUsers;
    QLabel *lblInfo;
    std::array<QCheckBox *, BoxCount> chkUser {};
    QPushButton *cmdNext;
    QPushButton *cmdCancel;
    QPushButton *cmdSelectAll;
    QPushButton *cmdClearAll;
    QTimer tmrRefresh;

    void Form_Load();
    void tmrRefresh_Timer();
    void chkUser_Click(int box);
    void cmdNext_Click();
    void cmdCancel_Click();
    void cmdSelectAll_Click();
    void cmdClearAll_Click();

    // The close box and Escape are Cancel, with its refusal.
    void reject() override;

private:
    bool anyTicked() const;
    void refuseEmptySelection();
    void clearRecipients();

    Program &p;
    std::array<int, BoxCount> m_numbers {};
};
