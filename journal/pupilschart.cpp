#include "pupilschart.h"

#include "journalfilter.h"
#include "plaintext.h"
#include "pupilsmodel.h"
#include "totaltext.h"

#include <QAccessibleWidget>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// A screen reader meets the chart as a chart, named by its title and described by its values.
QAccessibleInterface *chartInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("PupilsChart") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Chart);
    return nullptr;
}

} // namespace

PupilsChart::Axis PupilsChart::niceAxis(double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        low = high = 0;
    // The loop starts from the power of ten just below the step the range needs.
    const double needed = (high - low) / (kMaxTicks - 1);
    for (double decade = needed > 1 ? std::pow(10.0, std::floor(std::log10(needed))) : 1;;
         decade *= 10) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * decade;
            const double first = std::floor(low / step);
            const double last = std::max(std::ceil(high / step), first + 1);
            if (last - first + 1 <= kMaxTicks)
                return {first * step + 0.0, last * step + 0.0, step, int(last - first) + 1};
        }
    }
}

PupilsChart::PupilsChart(const JournalFilter &pupils, QWidget *parent)
    : QChartView(parent), m_pupils(pupils)
{
    static const bool accessible = [] {
        QAccessible::installFactory(chartInterface);
        return true;
    }();
    Q_UNUSED(accessible);
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

void PupilsChart::setPair(Pair pair)
{
    if (pair == m_pair)
        return;
    m_pair = pair;
    redraw();
}

void PupilsChart::redraw()
{
    m_later.stop();
    const auto &model = static_cast<const PupilsModel &>(*m_pupils.sourceModel());
    const int shown = std::min(m_pupils.rowCount(), kMaxPupils);
    const bool fromFirst = m_pair == Pair::FirstAndLatest;

    auto *other =
        new QBarSet(PupilsModel::title(fromFirst ? PupilsModel::First : PupilsModel::Best));
    auto *latest = new QBarSet(PupilsModel::title(PupilsModel::Latest));
    QStringList names;
    QStringList spoken; // what a screen reader reads for the chart, pupil by pupil, from the top
    double low = 0;
    double high = 5;
    // A horizontal chart draws its first category at the bottom: go from the last row up, so
    // that it reads from the top as the table does.
    for (int row = shown - 1; row >= 0; --row) {
        const PupilsModel::Pupil &pupil =
            model.pupil(m_pupils.mapToSource(m_pupils.index(row, 0)).row());
        // The axis reads its labels as HTML. Categories must differ: pupils' names do, and an
        // empty one is marked in italics, unlike a name typed as the same words.
        QString label = pupil.name.isEmpty() ? QStringLiteral("<i>(без имени)</i>")
                                             : PlainText::html(pupil.name);
        QString said = pupil.name.isEmpty()            ? QStringLiteral("(без имени)")
                       : pupil.name.size() > kSaidName ? pupil.name.left(kSaidName) + u'…'
                                                       : pupil.name;
        // A pupil without summaries has no bars, and says why in italics.
        if (pupil.summarized == 0) {
            label += pupil.attempts == 0 ? QStringLiteral(" <i>— нет попыток</i>")
                                         : QStringLiteral(" <i>— попытки не учтены</i>");
            spoken.prepend(said + (pupil.attempts == 0 ? QStringLiteral(": нет попыток")
                                                       : QStringLiteral(": попытки не учтены")));
            *other << 0;
            *latest << 0;
            names.append(label);
            continue;
        }
        names.append(label);
        const double first = fromFirst ? pupil.first : pupil.best;
        spoken.prepend(QStringLiteral("%1: %2 %3, последний %4")
                           .arg(said,
                                fromFirst ? QStringLiteral("первый") : QStringLiteral("лучший"),
                                localeTotalText(first), localeTotalText(pupil.latest)));
        *other << first;
        *latest << pupil.latest;
        low = std::min({low, first, pupil.latest});
        high = std::max({high, first, pupil.latest});
    }
    auto *series = new QHorizontalBarSeries;
    series->append(other);
    series->append(latest);

    auto *chart = new QChart;
    chart->addSeries(series);
    QString title = fromFirst ? QStringLiteral("Первый и последний итог")
                              : QStringLiteral("Лучший и последний итог");
    if (m_pupils.rowCount() > shown)
        title += QStringLiteral(": первые %1 учеников из %2").arg(shown).arg(m_pupils.rowCount());
    chart->setTitle(title);
    // The chart is a picture: a screen reader reads its title and its values instead.
    setAccessibleName(QStringLiteral("Диаграмма: ") + title.front().toLower() + title.mid(1));
    QString description = spoken.join(QStringLiteral("; "));
    if (m_pupils.rowCount() > shown)
        description += QStringLiteral(". Остальные ученики — в таблице «Ученики»");
    setAccessibleDescription(description);
    auto *categories = new QBarCategoryAxis;
    categories->append(names);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto *values = new QValueAxis;
    const Axis axis = niceAxis(low, high);
    values->setRange(axis.low, axis.high);
    values->setTickCount(axis.ticks);
    values->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Room for every name to be read: the chart grows, and the tab scrolls.
    setMinimumHeight(kChrome + kPerPupil * shown);

    QChart *old = this->chart();
    setChart(chart);
    delete old;
}
