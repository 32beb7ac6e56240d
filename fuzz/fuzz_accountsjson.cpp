// Arbitrary bytes through the JSON import. Beyond not crashing it checks its promises: a refused
// document leaves the store as it was and says why, and accounts read from any document survive
// an export and a second import unchanged.
#include "AccountsJson.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

template <class T> QList<T> Records(const AccountList<T>& list) {
    QList<T> out;
    list.enumerate([&out](int, const T& record) { out.append(record); });
    return out;
}

bool Same(const AccountStore& a, const AccountStore& b) {
    return Records(a.web) == Records(b.web) && Records(a.mail) == Records(b.mail) &&
           Records(a.other) == Records(b.other);
}

void FillOne(AccountStore& store) {
    store.web.append(WebAccount("w", "a", "u", "p", "n"));
    store.mail.append(MailAccount("m", "a", "w", "s", "p", "u", "pw", "n"));
    store.other.append(OtherAccount("o", "d", "pin", "n"));
}

} // namespace

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
