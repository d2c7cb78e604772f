#pragma once

#include "classlist.h"
#include "encodingguess.h"

#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <array>
#include <string_view>

class Cp1251;
class CsvWriter;
class NameMerges;

// The class list in the records' CSV that --export writes with --class: each record marked «да»
// when its pupil is on the list (the names the teacher merged in the journal taken in), «нет»
// when not; then a row for each pupil of the list no record named, marked «нет попыток».
class ClassMarks
{
public:
    ClassMarks(const ClassList &list, const NameMerges &merges);

    // The mark of a record's name, by its bytes as the results file holds them.
    QByteArrayView mark(std::string_view name, TextEncoding encoding, bool cut, Cp1251 &codePage);
    // The rows of the listed pupils not marked yet.
    void writeAbsent(CsvWriter &csv) const;

private:
    const ClassList &m_list;
    const NameMerges &m_merges;
    QHash<QString, int> m_listedKeys; // the pupils of the list, by their merged folded names
    QSet<int> m_named;                // the listed pupils some record named
    // A name's bytes, by its encoding and whether it is cut: its pupil on the list, or -1.
    std::array<QHash<QByteArray, int>, 4> m_byBytes;
};
