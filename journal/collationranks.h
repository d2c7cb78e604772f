#pragma once

#include <QStringList>
#include <vector>

// The place of each name in Russian alphabetical order, equal names sharing a place.
std::vector<int> collationRanks(const QStringList &names);
