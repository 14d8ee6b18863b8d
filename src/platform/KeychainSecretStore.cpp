#include "platform/KeychainSecretStore.h"

#include "platform/EventWait.h"

#include <memory>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Tolvane");

// Runs a job (made with new; it deletes itself when it finishes) in a nested event loop
// and gives what it reported. A job that outlives the wait, say behind an unlock prompt
// nobody answers, still ends on its own later; its answer then goes nowhere.
SecretStore::Result finish(QKeychain::Job *job)
{
    // QtKeychain can fall back to a plain-text file of its own; a password must never
    // land there.
    job->setInsecureFallback(false);
    auto result = std::make_shared<SecretStore::Result>();
    auto done = std::make_shared<bool>(false);
    EventWait wait;
    QObject::connect(job, &QKeychain::Job::finished, &wait, [=, &wait](QKeychain::Job *j) {
        *done = true;
        result->ok = j->error() == QKeychain::NoError;
        result->notFound = j->error() == QKeychain::EntryNotFound;
        if (!result->ok)
            result->error = j->errorString();
        else if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(j))
            result->password = read->textData();
        wait.wake();
    });
    job->start();
    if (!wait.waitUntil([&] { return *done; }, KeychainSecretStore::Patience))
        result->error = QStringLiteral("the secret store did not answer");
    return *result;
}

} // namespace

SecretStore::Result KeychainSecretStore::readPassword(const QString &key)
{
    auto *job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(key);
    return finish(job);
}

SecretStore::Result KeychainSecretStore::writePassword(const QString &key, const QString &password)
{
    auto *job = new QKeychain::WritePasswordJob(Service);
    job->setKey(key);
    job->setTextData(password);
    return finish(job);
}

SecretStore::Result KeychainSecretStore::removePassword(const QString &key)
{
    auto *job = new QKeychain::DeletePasswordJob(Service);
    job->setKey(key);
    Result result = finish(job);
    if (result.notFound) // nothing to remove is what was wanted
        result = Result { true, false, {}, {} };
    return result;
}
