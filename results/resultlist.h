#pragma once

#include "storedresult.h"

#include <QtGlobal>
#include <array>

// The records of res.txt in file order, index 0 the oldest. Only the newest nine are kept (all
// that the results table shows), so memory does not grow with the file; the count covers all.
class ResultList
{
public:
    static constexpr int kKept = 9;

    ResultList() = default;
    // A list that starts after `older` records which are counted but not kept.
    explicit ResultList(qint64 older) : m_count(older) {}

    qint64 count() const { return m_count; }
    // The record at `index`, which must be one of the newest nine.
    const StoredResult &at(qint64 index) const;
    void append(StoredResult record);

private:
    std::array<StoredResult, kKept> m_newest; // ring: record i sits at i % kKept
    qint64 m_count = 0;
};
