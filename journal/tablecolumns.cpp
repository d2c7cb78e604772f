#include "tablecolumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>

namespace {

// So many names are measured, and no name is given more room than so many average letters.
constexpr int kMeasuredNames = 2000;
constexpr int kLongestName = 40;
// The names' column is never narrower than a first name and a surname of the usual length.
constexpr int kShortestName = 18;

} // namespace

TableColumns::TableColumns(QTableView &view, int names)
    : QObject(&view), m_view(view), m_names(names)
{
    view.viewport()->installEventFilter(this);
    QHeaderView *header = view.horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (section != m_names)
            spread();
    });
    connect(header, &QHeaderView::sectionCountChanged, this, &TableColumns::spread);
}

QTableView *TableColumns::makeTable(QAbstractItemModel &model, const QString &name,
                                    const QString &shownName, int names, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(name);
    view->setAccessibleName(shownName);
    view->setModel(&model);
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    // Rows are chosen whole: Tab goes on to the next control rather than to the next cell.
    view->setTabKeyNavigation(false);
    // Rows of one height, so that a million of them cost nothing to lay out.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    // Numbers take the width of their heading, or of a total.
    for (int column = 0; column < model.columnCount(); ++column)
        header->resizeSection(column, width(*view, column, QStringLiteral("00,000")));
    // And those that come later, as the class list's.
    QObject::connect(header, &QHeaderView::sectionCountChanged, view, [view](int old, int count) {
        for (int column = old; column < count; ++column)
            view->horizontalHeader()->resizeSection(column, width(*view, column, {}));
    });
    auto *columns = new TableColumns(*view, names);
    columns->spread();
    return view;
}

TableColumns &TableColumns::of(const QTableView &view)
{
    return *view.findChild<TableColumns *>(QString(), Qt::FindDirectChildrenOnly);
}

int TableColumns::width(const QTableView &view, int column, const QString &sample)
{
    const QFontMetrics metrics = view.horizontalHeader()->fontMetrics();
    int widest = metrics.horizontalAdvance(sample);
    const QString heading = view.model()->headerData(column, Qt::Horizontal).toString();
    for (const QString &line : heading.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QStyle *style = view.style();
    return widest + 2 * style->pixelMetric(QStyle::PM_HeaderMargin) +
           style->pixelMetric(QStyle::PM_HeaderMarkSize) + 6;
}

void TableColumns::fit(QTableView &view, int column, const QString &sample)
{
    view.horizontalHeader()->resizeSection(column, width(view, column, sample));
}

int TableColumns::widestName(const QTableView &view, const QAbstractItemModel &model, int column)
{
    const QFontMetrics metrics = view.fontMetrics();
    const int rows = std::min(model.rowCount(), kMeasuredNames);
    int widest = 0;
    for (int row = 0; row < rows; ++row) {
        const QString name = model.index(row, column).data().toString();
        widest = std::max(widest, metrics.horizontalAdvance(name.left(kLongestName)));
    }
    // The cell's margins, and a mark beside a name that shows one.
    return std::min(widest, metrics.averageCharWidth() * kLongestName) + 2 * metrics.height();
}

void TableColumns::setWidestName(int pixels)
{
    if (pixels == m_widestName)
        return;
    m_widestName = pixels;
    spread();
}

bool TableColumns::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        spread();
    return QObject::eventFilter(watched, event);
}

// The names take the width the other columns leave, and no less than the longest needs.
void TableColumns::spread()
{
    QHeaderView *header = m_view.horizontalHeader();
    if (m_spreading || m_names >= header->count())
        return;
    m_spreading = true;
    int others = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (column != m_names && !header->isSectionHidden(column))
            others += header->sectionSize(column);
    }
    const int shortest =
        std::max(m_widestName, m_view.fontMetrics().averageCharWidth() * kShortestName);
    header->resizeSection(m_names, std::max(shortest, m_view.viewport()->width() - others));
    m_spreading = false;
}
