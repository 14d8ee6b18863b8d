#include "app/Program.h"

#include "app/AppTitle.h"
#include "platform/KeychainSecretStore.h"
#include "platform/MessageBoxes.h"

#include <QScopeGuard>
#include <QTimer>

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
    if (ShowErrors)
        showOnce(QStringLiteral("Error occurred in ") + where);
}

void Program::ReportFailure(const QString &text)
{
    showOnce(text);
}

void Program::ReportLater(const QString &where, const QString &text)
{
    QTimer::singleShot(0, &m_context, [this, where, text] {
        if (text.isEmpty())
            ReportError(where);
        else
            ReportFailure(text);
    });
}

void Program::showOnce(const QString &text)
{
    // A box waits for the user while timers go on; the failure that opened it, met again
    // meanwhile, must not stack a second box on the first.
    if (FailuresShown.contains(text))
        return;
    FailuresShown.append(text);
    const auto shown = qScopeGuard([&] { FailuresShown.removeOne(text); });
    boxes.show(AppTitle, text, MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}
