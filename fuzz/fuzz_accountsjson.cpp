// Arbitrary bytes through the JSON import. Beyond not crashing it checks its promises: a refused
// document leaves the store as it was and says why, and accounts read from any document survive
// an export and a second import unchanged.
#include "AccountsJson.h"
#include "FuzzChecks.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

using namespace fuzzchecks;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // An import appends: start from a store that already holds an account of each kind.
    AccountStore store;
    FillOne(store);
    AccountStore before;
    FillOne(before);

    QString error;
    if (!AccountsFromJson(bytes, store, error)) {
        Check(!error.isEmpty());
        Check(Same(store, before));
        return 0;
    }

    // What was imported exports and imports again to the same accounts.
    AccountStore reread;
    QString again;
    Check(AccountsFromJson(AccountsToJson(store), reread, again));
    Check(Same(store, reread));
    return 0;
}
