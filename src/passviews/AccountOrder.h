#pragma once

#include <QCollator>
#include <QString>

#include <utility>
#include <vector>

// The order of account names in the tree: as the person's language sorts them (accented
// letters beside their base letters), letter case aside.
class AccountOrder {
public:
    // The language of the default locale.
    AccountOrder();

    bool Less(const QString& a, const QString& b) const;
    // Sorts names with their slots; equal names keep their order. One sort key per name, so
    // a large document is not compared through the collator again and again.
    void Sort(std::vector<std::pair<QString, int>>& names) const;

private:
    QCollator m_collator;
};
