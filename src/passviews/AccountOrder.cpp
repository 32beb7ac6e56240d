#include "AccountOrder.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {
// The C locale names no language, and its collator compares code points, letter case
// included; the root order of Unicode, which English follows, still applies there.
QLocale CollationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}
} // namespace

AccountOrder::AccountOrder() : m_collator(CollationLocale()) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Digits compare as text: numeric mode makes every sort key much longer to build.
    m_collator.setNumericMode(false);
}

bool AccountOrder::Less(const QString& a, const QString& b) const {
    return m_collator.compare(a, b) < 0;
}

void AccountOrder::Sort(std::vector<std::pair<QString, int>>& names) const {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const auto& entry : names)
        keys.push_back(m_collator.sortKey(entry.first));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<std::pair<QString, int>> sorted;
    sorted.reserve(names.size());
    for (size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}
