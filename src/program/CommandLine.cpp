// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "program/CommandLine.h"

#include "program/Translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace CommandLine {

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    Parser()
    {
        parser.setApplicationDescription(QCoreApplication::translate("CommandLine",
            "Schedules short text messages and delivers them at their minute as e-mail to "
            "phones' addresses."));
    }
};

// The program takes no file or value: any argument left over is a mistake.
std::optional<int> refused(const Parser &cli)
{
    QString problem = cli.parser.errorText();
    if (problem.isEmpty() && !cli.parser.positionalArguments().isEmpty())
        problem = QCoreApplication::translate("CommandLine", "Unexpected argument '%1'.")
                      .arg(cli.parser.positionalArguments().constFirst());
    if (problem.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "tolvane: %s\n%s\n", qPrintable(problem),
        qPrintable(QCoreApplication::translate(
            "CommandLine", "Try 'tolvane --help' for more information.")));
    return 2;
}

QtMessageHandler previousHandler = nullptr;
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QList<HeldMessage> heldMessages;

// Messages Qt writes while it looks for a display are held back: on success they are
// written as usual, on failure only one line says what is wrong.
void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        heldMessages.append(
            { type, context.file, context.function, context.category, context.line, text });
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    std::fprintf(stderr, "tolvane: cannot open a window: no usable display (%s)\n",
        display.isEmpty()
            ? "DISPLAY and WAYLAND_DISPLAY are not set"
            : qPrintable(
                QStringLiteral("DISPLAY=%1 does not answer").arg(QString::fromLocal8Bit(display))));
    // Qt would abort here; ending with a status is what a caller can act on.
    std::exit(1);
}

} // namespace

std::optional<int> answerBeforeDisplay(int argc, char **argv)
{
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        asked = asked || arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all"
            || arg == "-v" || arg == "--version";
    }
    if (!asked)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
    installTranslations();
    Parser cli;
    cli.parser.parse(QCoreApplication::arguments());
    if (cli.parser.isSet(cli.help)) {
        std::fputs(qPrintable(cli.parser.helpText()), stdout);
        return 0;
    }
    if (cli.parser.isSet(cli.version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
            qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return refused(cli).value_or(2);
}

std::optional<int> refuseUnknown()
{
    Parser cli;
    cli.parser.parse(QCoreApplication::arguments());
    return refused(cli);
}

void guardDisplay()
{
    previousHandler = qInstallMessageHandler(holdMessage);
}

void displayOpened()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &held : std::as_const(heldMessages)) {
        const QMessageLogContext context(
            held.file.constData(), held.line, held.function.constData(), held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
    heldMessages.clear();
}

} // namespace CommandLine
