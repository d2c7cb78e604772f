#pragma once

#include "journalrecord.h"

#include <QtGlobal>
#include <memory>
#include <vector>

// The journal's records in blocks of a fixed size. Appending never moves what is stored, so a
// million records cost their own size and at most one block besides, and never twice that while
// a growing array is copied.
class RecordStore
{
public:
    // Of records of 48 bytes, 6 MiB: three huge pages whole.
    static constexpr int kBlockBits = 17;
    static constexpr qsizetype kBlockSize = qsizetype(1) << kBlockBits;

    qsizetype size() const { return m_size; }
    const JournalRecord &operator[](qsizetype index) const
    {
        return m_blocks[size_t(index >> kBlockBits)][size_t(index & (kBlockSize - 1))];
    }
    JournalRecord &at(qsizetype index)
    {
        return m_blocks[size_t(index >> kBlockBits)][size_t(index & (kBlockSize - 1))];
    }

    void append(const std::vector<JournalRecord> &records);
    void erase(qsizetype index);
    // Removes the records for which `drop` holds, keeping the order of the rest; returns how
    // many went.
    template <class Predicate> qsizetype removeIf(Predicate drop);

private:
    struct BlockDeleter
    {
        void operator()(JournalRecord *block) const;
    };
    using Block = std::unique_ptr<JournalRecord[], BlockDeleter>;

    void shrinkTo(qsizetype size);

    std::vector<Block> m_blocks;
    qsizetype m_size = 0;
};

template <class Predicate> qsizetype RecordStore::removeIf(Predicate drop)
{
    qsizetype kept = 0;
    for (qsizetype i = 0; i < m_size; ++i) {
        if (drop((*this)[i]))
            continue;
        if (kept != i)
            at(kept) = (*this)[i];
        ++kept;
    }
    const qsizetype removed = m_size - kept;
    shrinkTo(kept);
    return removed;
}
