#include "app/Program.h"

#include "app/AppTitle.h"
#include "platform/MessageBoxes.h"

Program::Program(SettingsStore &settings, Clock &clock, MessageBoxes &boxes)
    : settings(settings)
    , clock(clock)
    , boxes(boxes)
{
}

void Program::ReportError(const QString &where)
{
    if (!ShowErrors)
        return;
    boxes.show(AppTitle, QStringLiteral("Error occurred in ") + where, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok);
}
