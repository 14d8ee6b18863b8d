// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Shows the program in the user's language (QLocale::system(): LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG): its own translation from the program, Qt's for the standard
// buttons of boxes and dialogs from the system's Qt. English, or a language without a
// translation, keeps the texts the program is written in. Call once a QCoreApplication
// exists.
void installTranslations();
