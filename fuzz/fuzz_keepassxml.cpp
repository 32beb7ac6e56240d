// Arbitrary bytes through the KeePass XML and CSV imports. Beyond not crashing they keep their
// promises: a refused document leaves the store as it was and says why, and accounts read from
// any document survive our own export in that format and a second import unchanged.
#include "AccountsCsv.h"
#include "AccountsKeePassXml.h"
#include "FuzzChecks.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

using namespace fuzzchecks;

namespace {

template <class Import, class Export>
void Exercise(const QByteArray& bytes, Import import, Export exportAgain) {
    AccountStore store;
    FillOne(store);
    AccountStore before;
    FillOne(before);
    QString error;
    if (!import(bytes, store, error)) {
        Check(!error.isEmpty());
        Check(Same(store, before));
        return;
    }
    AccountStore reread;
    QString again;
    Check(import(exportAgain(store), reread, again));
    Check(Same(store, reread));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Exercise(bytes, AccountsFromKeePassXml, [](const AccountStore& store) {
        QByteArray xml;
        QString error;
        Check(AccountsToKeePassXml(store, xml, error)); // imports hold only what XML carries
        return xml;
    });
    Exercise(bytes, AccountsFromCsv, AccountsToCsv);
    return 0;
}
