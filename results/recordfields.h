#pragma once

#include <QString>
#include <array>

// The eight fields of a record, by the titles the results table heads them with: the journal's
// tables, its CSV and its print head their columns with these, and a skipped line's reason
// names a field by them.
namespace RecordFields {

enum Field { Name, Left, Right, Double, Move, Game1, Game2, Total, Count };

inline constexpr std::array<const char16_t *, Count> kTitles = {
    u"Имя", u"Левая", u"Правая", u"Двойной", u"Движ", u"Игра 1", u"Игра 2", u"Итог"};

inline QString title(int field)
{
    return QString::fromUtf16(kTitles[size_t(field)]);
}

// A column's heading in the journal's tables and what is written from them: a game's title
// over the game's name as the course's menu starts it, as a teacher knows the game. Scripts
// read the titles alone (--export's CSV), which stay as they are.
inline QString heading(int field)
{
    switch (field) {
    case Game1:
        return title(field) + QStringLiteral("\n«Поймай»");
    case Game2:
        return title(field) + QStringLiteral("\n«Помести»");
    default:
        return title(field);
    }
}

} // namespace RecordFields
