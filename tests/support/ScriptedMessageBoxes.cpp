#include "support/ScriptedMessageBoxes.h"

MessageBoxes::Answer ScriptedMessageBoxes::show(
    const QString &title, const QString &text, Icon icon, Buttons buttons, QWidget *)
{
    shown.append({ title, text, icon, buttons });
    if (whileShown)
        whileShown();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return m_answers.isEmpty() ? Answer::Yes : m_answers.takeFirst();
}
