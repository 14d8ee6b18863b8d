#include "app/Program.h"

#include "app/AppTitle.h"
#include "platform/KeychainSecretStore.h"
#include "platform/MessageBoxes.h"

#include <QScopeGuard>

Program::Program(SettingsStore &settings, Clock &clock, MessageBoxes &boxes)
    : settings(settings)
    , clock(clock)
    , boxes(boxes)
    , secrets(std::make_unique<KeychainSecretStore>())
{
}

Program::~Program() = default;

void Program::ReportError(const QString &where)
{
    if (!ShowErrors)
        return;
    boxes.show(AppTitle, QStringLiteral("Error occurred in ") + where, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok);
}

void Program::ReportFailure(const QString &text)
{
    if (FailuresShown.contains(text))
        return;
    FailuresShown.append(text);
    const auto shown = qScopeGuard([&] { FailuresShown.removeOne(text); });
    boxes.show(AppTitle, text, MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}
