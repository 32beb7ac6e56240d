// What the fuzz targets over the passwords model share: a failed promise stops the run at
// once, and accounts are compared list by list in their order.
#pragma once

#include "AccountStore.h"

#include <QList>

namespace fuzzchecks {

inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

template <class T> QList<T> Records(const AccountList<T>& list) {
    QList<T> out;
    list.enumerate([&out](int, const T& record) { out.append(record); });
    return out;
}

inline bool Same(const AccountStore& a, const AccountStore& b) {
    return Records(a.web) == Records(b.web) && Records(a.mail) == Records(b.mail) &&
           Records(a.other) == Records(b.other);
}

// One account in each list, so that a refused input can be seen to leave them alone.
inline void FillOne(AccountStore& store) {
    store.web.append(WebAccount("w", "a", "u", "p", "n"));
    store.mail.append(MailAccount("m", "a", "w", "s", "p", "u", "pw", "n"));
    store.other.append(OtherAccount("o", "d", "pin", "n"));
}

} // namespace fuzzchecks
