#pragma once

#include <QChartView>
#include <QTimer>

class JournalFilter;

// Each pupil's best and latest total side by side, or the first and the latest, for the pupils
// the filter shows and in the order they are sorted. It follows the table, a moment later, so
// that a batch of a thousand records draws it once. A screen reader reads its title as its name
// and its values, pupil by pupil, as its description.
class PupilsChart : public QChartView
{
    Q_OBJECT

public:
    static constexpr int kMaxPupils = 40;
    static constexpr int kPerPupil = 36; // pixels for a pupil's two bars and name
    static constexpr int kChrome = 140;  // the title, the axis and the legend

    static constexpr int kMaxTicks = 12;
    // A name is read aloud up to so many letters: the chart's text stays short for a big class.
    static constexpr int kSaidName = 60;

    // The totals' axis as a person reads it at a glance: a step of 1, 2 or 5 times a power of
    // ten, at most kMaxTicks ticks, from a whole step at or below `low` to one at or above
    // `high`. A range of a few units has a tick at each whole number.
    struct Axis
    {
        double low = 0;
        double high = 0;
        double step = 1;
        int ticks = 1;
    };
    static Axis niceAxis(double low, double high);

    // Which two totals stand side by side: the first is the pupils' column of it.
    enum class Pair { BestAndLatest, FirstAndLatest };

    PupilsChart(const JournalFilter &pupils, QWidget *parent = nullptr);

    void setPair(Pair pair);
    // Draws it now.
    void redraw();

private:
    const JournalFilter &m_pupils;
    Pair m_pair = Pair::BestAndLatest;
    QTimer m_later;
};
