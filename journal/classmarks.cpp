#include "classmarks.h"

#include "csvwriter.h"
#include "namefold.h"
#include "namemerges.h"
#include "recordscsv.h"

namespace {

// A class has a few dozen names; a file of millions would have them all kept.
constexpr qsizetype kMostNamesKept = 65536;

} // namespace

ClassMarks::ClassMarks(const ClassList &list, const NameMerges &merges)
    : m_list(list), m_merges(merges)
{
    // A name merged into another listed one is that pupil, under the first spelling.
    for (int i = 0; i < list.names().size(); ++i) {
        const QString key = merges.pupilOf(foldName(list.names()[i]));
        if (!m_listedKeys.contains(key))
            m_listedKeys.insert(key, i);
    }
}

QByteArrayView ClassMarks::mark(std::string_view name, TextEncoding encoding, bool cut,
                                Cp1251 &codePage)
{
    // Looked up without copying the bytes: most lines name a pupil met before.
    QHash<QByteArray, int> &pupils = m_byBytes[size_t(encoding) * 2 + cut];
    const QByteArray key = QByteArray::fromRawData(name.data(), qsizetype(name.size()));
    auto found = pupils.constFind(key);
    if (found == pupils.cend()) {
        if (pupils.size() >= kMostNamesKept)
            pupils.clear();
        const QString text = EncodingGuess::text(encoding, codePage, name, cut);
        found = pupils.insert(QByteArray(name.data(), qsizetype(name.size())),
                              m_listedKeys.value(m_merges.pupilOf(foldName(text)), -1));
    }
    if (found.value() < 0)
        return "нет";
    m_named.insert(found.value());
    return "да";
}

void ClassMarks::writeAbsent(CsvWriter &csv) const
{
    for (int i = 0; i < m_list.names().size(); ++i) {
        const int pupil = m_listedKeys.value(m_merges.pupilOf(foldName(m_list.names()[i])));
        if (pupil == i && !m_named.contains(pupil))
            RecordsCsv::writeAbsent(csv, CsvWriter::textField(m_list.names()[i]));
    }
}
