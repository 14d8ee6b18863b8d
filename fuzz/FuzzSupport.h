// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

// A broken property ends the run at once, so that libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Each target checks one input in fuzzOne, after what it needs for every run is set up once.
void setUpFuzz();
void fuzzOne(const QByteArray &input);

// The targets write files on every run, and the program flushes each one to disk: in memory
// those flushes cost nothing, so the runs go fast and the disk shared with others is left alone.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (qEnvironmentVariableIsEmpty("TMPDIR") && shm.isDir() && shm.isWritable())
        qputenv("TMPDIR", "/dev/shm");
    new QCoreApplication(*argc, *argv); // for the whole run: QSettings and the sockets want one
    setUpFuzz();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzOne(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

inline void writeFuzzFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}
