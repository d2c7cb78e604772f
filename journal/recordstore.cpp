#include "recordstore.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace {

constexpr size_t kBlockBytes = size_t(RecordStore::kBlockSize) * sizeof(JournalRecord);
constexpr size_t kHugePage = size_t(2) << 20;
// aligned_alloc wants a size that is a whole number of its alignment.
static_assert(kBlockBytes % kHugePage == 0);

// A block is whole huge pages where the system offers them: a million records then cost a few
// dozen page faults instead of some twelve thousand.
JournalRecord *newBlock()
{
    void *memory = std::aligned_alloc(kHugePage, kBlockBytes);
    if (!memory)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(memory, kBlockBytes, MADV_HUGEPAGE);
#endif
    return static_cast<JournalRecord *>(memory);
}

} // namespace

void RecordStore::BlockDeleter::operator()(JournalRecord *block) const
{
    std::free(block);
}

void RecordStore::append(const std::vector<JournalRecord> &records)
{
    for (const JournalRecord &record : records) {
        if ((m_size & (kBlockSize - 1)) == 0 && size_t(m_size >> kBlockBits) == m_blocks.size())
            m_blocks.emplace_back(newBlock());
        at(m_size++) = record;
    }
}

void RecordStore::erase(qsizetype index)
{
    for (qsizetype i = index + 1; i < m_size; ++i)
        at(i - 1) = (*this)[i];
    shrinkTo(m_size - 1);
}

void RecordStore::shrinkTo(qsizetype size)
{
    m_size = size;
    m_blocks.resize(size_t((size + kBlockSize - 1) >> kBlockBits));
}
