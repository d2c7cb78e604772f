#pragma once

#include <QtGlobal>
#include <array>
#include <climits>

// What the course can give: the scores its exercises and games write into a record, and the
// total made of them. The course and the games score by these, and the journal checks the
// records of a results file against them.
namespace CourseRules {

// An exercise (the left and the right button, the double click, the drag) is done once its
// score reaches the goal...
constexpr int kExerciseGoal = 10;
// ...and a score may end one above it: after the drag task was done, its page shown again by
// the double-click task counts the very next drop.
constexpr int kExerciseMax = kExerciseGoal + 1;

// The catch game's score once the mouse is caught; 0 before.
constexpr int kCatchScore = 10;

// The sort game's score by the drops accepted so far: below `drops`, `score`. The band without
// a score leaves the score as it was.
struct SortBand
{
    int drops;
    int score;
};
constexpr int kKeepScore = -1;
constexpr std::array<SortBand, 5> kSortBands = {
    {{5, 2}, {7, 6}, {9, 8}, {12, kKeepScore}, {INT_MAX, 10}}};

constexpr int sortScore(int drops)
{
    for (const SortBand &band : kSortBands) {
        if (drops < band.drops)
            return band.score;
    }
    return kKeepScore;
}

// The total is the exercises' sum over this, exactly: a multiple of 1/8.
constexpr int kTotalDivisor = 8;

constexpr bool isExerciseScore(int score)
{
    return score >= 0 && score <= kExerciseMax;
}

constexpr bool exerciseDone(int score)
{
    return score >= kExerciseGoal && score <= kExerciseMax;
}

constexpr bool isCatchScore(int score)
{
    return score == 0 || score == kCatchScore;
}

// 0 before the first drop.
constexpr bool isSortScore(int score)
{
    if (score == 0)
        return true;
    for (const SortBand &band : kSortBands) {
        if (band.score != kKeepScore && band.score == score)
            return true;
    }
    return false;
}

// A record's scores in the order the results file has them.
using Scores = std::array<qint16, 6>;
enum Score { Left, Right, Double, Move, Catch, Sort };

constexpr double total(const Scores &scores)
{
    return double(scores[Left] + scores[Right] + scores[Double] + scores[Move]) / kTotalDivisor;
}

// What in a record the course cannot have written: a bit for each score out of its range (by
// Score), and kWrongTotal for a total other than the exercises' sum over kTotalDivisor.
constexpr quint8 kWrongTotal = 1 << 6;
constexpr quint8 doubts(const Scores &scores, double recordTotal)
{
    quint8 found = 0;
    for (int exercise : {Left, Right, Double, Move}) {
        if (!isExerciseScore(scores[size_t(exercise)]))
            found |= quint8(1 << exercise);
    }
    if (!isCatchScore(scores[Catch]))
        found |= 1 << Catch;
    if (!isSortScore(scores[Sort]))
        found |= 1 << Sort;
    if (recordTotal != total(scores))
        found |= kWrongTotal;
    return found;
}

} // namespace CourseRules
