#pragma once

#include <QWidget>

class JournalFilter;
class PupilsChart;
class QScrollBar;

// The chart's tab: the pupils' chart, which grows with the class and scrolls, under a choice of
// the totals it sets side by side: the best and the latest, or the first and the latest, which
// shows at a glance who has grown. The arrows and the page keys scroll it.
class ChartPage : public QWidget
{
    Q_OBJECT

public:
    explicit ChartPage(const JournalFilter &pupils, QWidget *parent = nullptr);

    PupilsChart *chart() const { return m_chart; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PupilsChart *m_chart;
    QScrollBar *m_scroll;
};
