#include "resultlist.h"

#include <stdexcept>

const StoredResult &ResultList::at(qint64 index) const
{
    if (index < 0 || index >= m_count || index < m_count - kKept)
        throw std::out_of_range("record not kept");
    return m_newest[static_cast<size_t>(index % kKept)];
}

void ResultList::append(StoredResult record)
{
    m_newest[static_cast<size_t>(m_count % kKept)] = std::move(record);
    ++m_count;
}
