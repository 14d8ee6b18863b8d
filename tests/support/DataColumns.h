// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTest>
#include <array>

// Declares a data table's columns in one line: Columns<QString, int>({ "text", "code" }).
template<typename... Types> void Columns(const std::array<const char *, sizeof...(Types)> &names)
{
    std::size_t i = 0;
    (QTest::addColumn<Types>(names[i++]), ...);
}

// Adds a row in one line: Row("name", "text", 3); a const char * fills a QString column.
template<typename... Values> void Row(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}
