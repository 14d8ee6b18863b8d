#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The one warning window of the delivery: a small non-modal window with the text of the
// latest problem and an OK button that hides it, so that delivery never waits for the
// user. A new warning replaces the text of the one before.
class FrmMailWarning : public QWidget {
    Q_OBJECT
public:
    explicit FrmMailWarning(QWidget *parent = nullptr);

    QLabel *lblMessage;
    QPushButton *cmdOkay;

public slots:
    // Puts the text in lblMessage and shows the window without waiting.
    void ShowWarning(const QString &text);
    void cmdOkay_Click();

private:
    QRect twipsRect(int left, int top, int width, int height) const;
};
