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

// Called once from LLVMFuzzerInitialize. The targets write files on every run, and the
// program flushes each one to disk: in memory those flushes cost nothing, so the runs go
// fast and the disk shared with others is left alone.
inline void StartFuzzProcess(int *argc, char ***argv)
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (qEnvironmentVariableIsEmpty("TMPDIR") && shm.isDir() && shm.isWritable())
        qputenv("TMPDIR", "/dev/shm");
    // Kept for the whole run (it is the instance()); QSettings and the sockets expect one.
    new QCoreApplication(*argc, *argv);
}

inline void WriteFuzzFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}
