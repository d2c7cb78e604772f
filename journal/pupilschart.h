#pragma once

#include <QChartView>
#include <QTimer>

class PupilsModel;
class QAbstractItemModel;
class QSortFilterProxyModel;

// Each pupil's best and latest total side by side, for the pupils the filter shows and in the
// order they are sorted. It follows the table, a moment later, so that a batch of a thousand
// records draws it once.
class PupilsChart : public QChartView
{
    Q_OBJECT

public:
    static constexpr int kMaxPupils = 40;
    static constexpr int kPerPupil = 36; // pixels for a pupil's two bars and name
    static constexpr int kChrome = 140;  // the title, the axis and the legend

    PupilsChart(const QSortFilterProxyModel &pupils, QWidget *parent = nullptr);

    // Draws it now.
    void redraw();

private:
    const QSortFilterProxyModel &m_pupils;
    QTimer m_later;
};
