#include "collationranks.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <algorithm>
#include <numeric>

std::vector<int> collationRanks(const QStringList &names)
{
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(names.size()));
    for (const QString &name : names)
        keys.push_back(collator.sortKey(name));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<int> ranks(keys.size());
    int rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[size_t(order[i - 1])].compare(keys[size_t(order[i])]) != 0)
            ++rank;
        ranks[size_t(order[i])] = rank;
    }
    return ranks;
}
