#include "pupilschart.h"

#include "pupilsmodel.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QSortFilterProxyModel>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

PupilsChart::PupilsChart(const QSortFilterProxyModel &pupils, QWidget *parent)
    : QChartView(parent), m_pupils(pupils)
{
    setRenderHint(QPainter::Antialiasing);
    m_later.setSingleShot(true);
    m_later.setInterval(200);
    connect(&m_later, &QTimer::timeout, this, &PupilsChart::redraw);
    const auto later = [this] { m_later.start(); };
    connect(&pupils, &QAbstractItemModel::rowsInserted, this, later);
    connect(&pupils, &QAbstractItemModel::rowsRemoved, this, later);
    connect(&pupils, &QAbstractItemModel::dataChanged, this, later);
    connect(&pupils, &QAbstractItemModel::layoutChanged, this, later);
    connect(&pupils, &QAbstractItemModel::modelReset, this, later);
    redraw();
}

void PupilsChart::redraw()
{
    m_later.stop();
    const auto &model = static_cast<const PupilsModel &>(*m_pupils.sourceModel());
    const int shown = std::min(m_pupils.rowCount(), kMaxPupils);

    auto *best = new QBarSet(PupilsModel::title(PupilsModel::Best));
    auto *latest = new QBarSet(PupilsModel::title(PupilsModel::Latest));
    QStringList names;
    double low = 0;
    double high = 5;
    // A horizontal chart draws its first category at the bottom: go from the last row up, so
    // that it reads from the top as the table does.
    for (int row = shown - 1; row >= 0; --row) {
        const PupilsModel::Pupil &pupil =
            model.pupil(m_pupils.mapToSource(m_pupils.index(row, 0)).row());
        // Categories must differ; pupils' names do, but for an empty one.
        names.append(pupil.name.isEmpty() ? QStringLiteral("(без имени)") : pupil.name);
        *best << pupil.best;
        *latest << pupil.latest;
        low = std::min({low, pupil.best, pupil.latest});
        high = std::max({high, pupil.best, pupil.latest});
    }
    auto *series = new QHorizontalBarSeries;
    series->append(best);
    series->append(latest);

    auto *chart = new QChart;
    chart->addSeries(series);
    QString title = QStringLiteral("Лучший и последний итог");
    if (m_pupils.rowCount() > shown)
        title += QStringLiteral(": первые %1 учеников из %2").arg(shown).arg(m_pupils.rowCount());
    chart->setTitle(title);
    auto *categories = new QBarCategoryAxis;
    categories->append(names);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto *values = new QValueAxis;
    values->setRange(std::floor(low), std::ceil(high));
    values->setTickCount(int(std::ceil(high) - std::floor(low)) + 1);
    values->setLabelFormat(QStringLiteral("%g")); // whole numbers, one a tick
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Room for every name to be read: the chart grows, and the tab scrolls.
    setMinimumHeight(kChrome + kPerPupil * shown);

    QChart *old = this->chart();
    setChart(chart);
    delete old;
}
