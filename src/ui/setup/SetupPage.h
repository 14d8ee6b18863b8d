#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QTimer>
#include <functional>

class Program;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class SetupWizard;

// What the three set-up pages share: the "Tolvane Setup" frame with the picture, the
// text boxes txtData, the labels lblInfo, the buttons, the refresh timer, Cancel, Help
// and the double-click selection.
//
// A page is shown modally by ShowModal(), which returns once the page has been hidden
// again. Next and Back hide their page and show the neighbour from inside their own
// handler, so the opener's single call returns only when the whole chain has ended.
// Each showing waits in its own event loop, so a page may be shown again (after Back)
// while an earlier showing of it is still unwinding.
class SetupPage : public QDialog {
    Q_OBJECT
public:
    // Every page has this design size; the dialog placement is made for it.
    static constexpr int DesignWidth = 406;
    static constexpr int DesignHeight = 305;

    QGroupBox *fraSetup = nullptr;
    QLabel *picture = nullptr;
    QList<QLineEdit *> txtData;
    QMap<int, QLabel *> lblInfo;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdBack = nullptr; // pages 2 and 3 only
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdCancel = nullptr;
    QTimer tmrRefresh; // 1 ms, disabled; the opener enables it just before showing

    // Shows the page modally; returns when it and every page it opened are hidden.
    void ShowModal();

    // The page's load logic: fills the page for the current mode and values.
    virtual void Form_Load() = 0;
    virtual void cmdNext_Click() = 0;
    virtual void cmdBack_Click() { }
    void tmrRefresh_Timer();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void txtData_DblClick(int index);

    // Esc and the window's close box are the Cancel button, with its question in the
    // first run: a "No" there keeps the page open.
    void reject() override;

signals:
    void hidden();

protected:
    SetupPage(Program &program, SetupWizard &wizard, const QString &formName, bool hasBack,
        QWidget *parent = nullptr);

    // The page's own rows go here, between the status line and the instruction line.
    QVBoxLayout *content = nullptr;
    // Rows that need the frame's whole width, below the picture.
    QVBoxLayout *footer = nullptr;

    QLabel *addLabel(int index, const QString &text);
    QLineEdit *addBox();
    void finishTabOrder(); // once the page's boxes are made
    void setNextCaption(const QString &caption);
    void setInstructionLine(QLabel *line);
    bool wizardMode() const;
    void focusFirstBox();

    // Runs one of the page's procedures under the error trap, as "<form>.<procedure>".
    void trap(const char *procedure, const std::function<void()> &body);

    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    Program &p;
    SetupWizard &wizard;
    const QString m_formName;
};
