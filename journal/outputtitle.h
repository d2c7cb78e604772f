#pragma once

#include <QDateTime>
#include <QStringList>

// What a printed table or a workbook says above its rows, so that a page read on its own tells
// what it shows: the table and its period, the class, how the rows were picked, the files (their
// number when more than three) and when it was made, a line each.
struct OutputTitle
{
    QString subject{};   // «записи», «ученики»; empty for a workbook of both
    QString period{};    // in words, as PeriodBar::description() has it; empty for all the time
    QString className{}; // the class list's name, when one is in use
    QString search{};    // the text typed into the search field
    QString pupil{}; // the line above one pupil's attempts («Попытки: …»), as it is shown
    bool doubtfulOnly = false;
    bool absentOnly = false;      // the pupils of the class list with no attempt
    bool doubtfulCounted = false; // the doubtful records count in the pupils' summaries
    QStringList files{};          // as the tables name them
    QDateTime made{};

    QStringList lines() const;
};
