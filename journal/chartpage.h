#pragma once

#include <QWidget>

class JournalFilter;
class PupilsChart;

// The chart's tab: the pupils' chart, which grows with the class and scrolls, under a choice of
// the totals it sets side by side: the best and the latest, or the first and the latest, which
// shows at a glance who has grown.
class ChartPage : public QWidget
{
    Q_OBJECT

public:
    explicit ChartPage(const JournalFilter &pupils, QWidget *parent = nullptr);

    PupilsChart *chart() const { return m_chart; }

private:
    PupilsChart *m_chart;
};
