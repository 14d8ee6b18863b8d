// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/KeychainSecretStore.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Tolvane");

// Starts a job (made with new; it deletes itself when it finishes) and hands what it
// reports, or the end of the patience, to the answer: once, and only while the context
// lives.
void ask(QKeychain::Job *job, QObject *context, SecretStore::Answer answer, bool removing)
{
    // QtKeychain can fall back to a plain-text file of its own; a password must never
    // land there.
    job->setInsecureFallback(false);
    auto answered = std::make_shared<bool>(false);
    const QPointer<QObject> receiver(context);
    QObject::connect(job, &QKeychain::Job::finished, job, [=](QKeychain::Job *j) {
        if (*answered)
            return;
        *answered = true;
        SecretStore::Result result;
        result.ok = j->error() == QKeychain::NoError;
        result.notFound = j->error() == QKeychain::EntryNotFound;
        if (!result.ok)
            result.error = j->errorString();
        else if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(j))
            result.password = read->textData();
        if (removing && result.notFound) // nothing to remove is what was wanted
            result = { true, false, {}, {} };
        // The job may finish inside start(); the caller hears of it from the event loop.
        if (receiver)
            QTimer::singleShot(0, receiver.data(), [answer, result] { answer(result); });
    });
    auto *patience = new QTimer(job);
    patience->setSingleShot(true);
    QObject::connect(patience, &QTimer::timeout, job, [=] {
        if (*answered || !receiver)
            return;
        *answered = true;
        answer({ false, false, {},
            QCoreApplication::translate(
                "KeychainSecretStore", "the secret store did not answer") });
    });
    patience->start(KeychainSecretStore::Patience);
    job->start();
}

} // namespace

void KeychainSecretStore::readPassword(const QString &key, QObject *context, Answer answer)
{
    auto *job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(key);
    ask(job, context, std::move(answer), false);
}

void KeychainSecretStore::writePassword(
    const QString &key, const QString &password, QObject *context, Answer answer)
{
    auto *job = new QKeychain::WritePasswordJob(Service);
    job->setKey(key);
    job->setTextData(password);
    ask(job, context, std::move(answer), false);
}

void KeychainSecretStore::removePassword(const QString &key, QObject *context, Answer answer)
{
    auto *job = new QKeychain::DeletePasswordJob(Service);
    job->setKey(key);
    ask(job, context, std::move(answer), true);
}
