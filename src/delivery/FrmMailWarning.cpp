#include "delivery/FrmMailWarning.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int TwipsPerInch = 1440;

} // namespace

FrmMailWarning::FrmMailWarning(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , lblMessage(new QLabel(this))
    , cmdOkay(new QPushButton(QStringLiteral("&OK"), this))
{
    setObjectName(QStringLiteral("frmMailWarning"));
    setWindowTitle(QStringLiteral("Tolvane Warning"));
    setWindowModality(Qt::NonModal);

    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setFont(QFont(QStringLiteral("Arial")));
    // Server replies are shown as they came; none of their text is markup.
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->setGeometry(twipsRect(120, 120, 5295, 855));

    cmdOkay->setObjectName(QStringLiteral("cmdOkay"));
    cmdOkay->setGeometry(twipsRect(2160, 1080, 1215, 375));
    cmdOkay->setDefault(true);
    connect(cmdOkay, &QPushButton::clicked, this, &FrmMailWarning::cmdOkay_Click);

    setFixedSize(twipsRect(0, 0, 5490, 1560).size());
}

QRect FrmMailWarning::twipsRect(int left, int top, int width, int height) const
{
    const auto x = [&](int twips) { return twips * logicalDpiX() / TwipsPerInch; };
    const auto y = [&](int twips) { return twips * logicalDpiY() / TwipsPerInch; };
    return QRect(x(left), y(top), x(width), y(height));
}

void FrmMailWarning::ShowWarning(const QString &text)
{
    lblMessage->setText(text);
    show();
}

void FrmMailWarning::cmdOkay_Click()
{
    hide();
}
