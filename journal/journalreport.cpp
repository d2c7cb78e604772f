#include "journalreport.h"

#include "journalfilter.h"
#include "tablewriter.h"

#include <QBuffer>
#include <QIODevice>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <numeric>

namespace {

constexpr char16_t kEllipsis = u'…';

qsizetype pastBlanks(const QString &text, qsizetype from)
{
    while (from < text.size() && text[from] == u' ')
        ++from;
    return from;
}

// Where the word at `from` or after the blanks there ends.
qsizetype wordEnd(const QString &text, qsizetype from)
{
    from = pastBlanks(text, from);
    while (from < text.size() && text[from] != u' ')
        ++from;
    return from;
}

// The longest start of `text` that fits `width` with «…» after it, cut between two letters.
QString elided(const QString &text, const QFontMetricsF &metrics, qreal width)
{
    QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, text);
    std::vector<qsizetype> cuts;
    for (qsizetype at = letters.toNextBoundary(); at > 0 && at < text.size();
         at = letters.toNextBoundary())
        cuts.push_back(at);
    const auto fits = [&](qsizetype cut) {
        return metrics.horizontalAdvance(text.left(cut) + kEllipsis) <= width;
    };
    const auto end = std::partition_point(cuts.cbegin(), cuts.cend(), fits);
    return (end == cuts.cbegin() ? QString() : text.left(*(end - 1))) + kEllipsis;
}

// `text` in lines at most `width` wide, broken only at blanks: the blanks at a break go, every
// other one stays. A word wider than `width` is cut short with «…», and so is the last line
// when the text needs more than kMaxLines lines.
QStringList wrapped(const QString &text, const QFontMetricsF &metrics, qreal width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text.isEmpty() ? QStringList() : QStringList{text};
    const auto advance = [&](qsizetype from, qsizetype to, const QString &after = {}) {
        return metrics.horizontalAdvance(text.mid(from, to - from) + after);
    };
    QStringList lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = wordEnd(text, start);
        while (end < text.size() && advance(start, wordEnd(text, end)) <= width)
            end = wordEnd(text, end);
        const qsizetype next = pastBlanks(text, end);
        if (next < text.size() && lines.size() == JournalReport::kMaxLines - 1) {
            // The last line there is room for: the words that fit before «…».
            end = wordEnd(text, start);
            if (advance(start, end, QString(kEllipsis)) > width) {
                lines << elided(text.mid(start, end - start), metrics, width);
            } else {
                while (end < text.size() &&
                       advance(start, wordEnd(text, end), QString(kEllipsis)) <= width)
                    end = wordEnd(text, end);
                lines << text.mid(start, end - start) + kEllipsis;
            }
            break;
        }
        const QString line = text.mid(start, end - start);
        lines << (metrics.horizontalAdvance(line) > width ? elided(line, metrics, width) : line);
        start = next;
    }
    return lines;
}

// The widest piece of `text` that wrapped() keeps on one line.
qreal widestWord(const QString &text, const QFontMetricsF &metrics)
{
    qreal widest = 0;
    for (qsizetype start = 0, end = 0; start < text.size(); start = pastBlanks(text, end)) {
        end = wordEnd(text, start);
        widest = std::max(widest, metrics.horizontalAdvance(text.mid(start, end - start)));
    }
    return widest;
}

// Hands what is written on to `device`, and remembers whether any of it was not taken, which
// the PDF writer does not tell.
class CheckedWrite : public QIODevice
{
public:
    explicit CheckedWrite(QIODevice &device) : m_device(device)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        for (qint64 written = 0; written < size && !m_failed;) {
            const qint64 n = m_device.write(data + written, size - written);
            m_failed = n <= 0;
            written += n;
        }
        return m_failed ? -1 : size;
    }

private:
    QIODevice &m_device;
    bool m_failed = false;
};

} // namespace

JournalReport::JournalReport(const JournalFilter &table, const QStringList &title)
    : m_table(table), m_title(title), m_doubts(table),
      m_bodyFont(QStringLiteral("Liberation Sans"), 10), m_headingFont(m_bodyFont),
      m_titleFont(m_bodyFont)
{
    m_headingFont.setBold(true);
    m_titleFont.setBold(true);
    m_titleFont.setPointSize(14);
}

bool JournalReport::going(qint64 done)
{
    // Asked every so many rows: a call for each would cost more than the row.
    constexpr qint64 kEvery = 256;
    if (!m_stopped && m_progress && ++m_steps % kEvery == 0)
        m_stopped = !m_progress(done, 3 * qint64(m_rows));
    return !m_stopped;
}

void JournalReport::measure(const QPagedPaintDevice &device)
{
    if (m_fonts && m_resolution == device.logicalDpiX())
        return;
    m_resolution = device.logicalDpiX();
    m_fonts.emplace(Fonts{QFontMetricsF(m_bodyFont, &device), QFontMetricsF(m_headingFont, &device),
                          QFontMetricsF(m_titleFont, &device)});
    const Fonts &fonts = *m_fonts;
    m_padding = fonts.body.height() / 4;
    m_markWidth = fonts.body.horizontalAdvance(DoubtMarks::kMark);
    m_rows = m_table.rowCount();
    m_columns.assign(size_t(m_table.columnCount()), {});
    for (int column = 0; column < int(m_columns.size()); ++column) {
        Column &each = m_columns[size_t(column)];
        const QString heading = headingText(column);
        each.word = widestWord(heading, fonts.heading);
        each.heading = fonts.heading.horizontalAdvance(heading);
        each.right = m_rows > 0 && m_table.index(0, column)
                                       .data(Qt::TextAlignmentRole)
                                       .value<Qt::Alignment>()
                                       .testFlag(Qt::AlignRight);
        for (int row = 0; row < m_rows; ++row) {
            if (!going((qint64(m_rows) * column + row) / qint64(m_columns.size())))
                return;
            const QString text = m_table.index(row, column).data().toString();
            // A mark goes after the last word.
            const qreal mark = marked(row, column) ? m_markWidth : 0;
            const qreal whole = fonts.body.horizontalAdvance(text) + mark;
            each.whole = std::max(each.whole, whole);
            each.word = std::max(each.word,
                                 text.contains(u' ') ? widestWord(text, fonts.body) + mark : whole);
        }
    }
}

QSizeF JournalReport::pageSize(const QPagedPaintDevice &device,
                               QPageLayout::Orientation orientation) const
{
    QPageLayout layout = device.pageLayout();
    layout.setOrientation(orientation);
    return layout.paintRectPixels(device.logicalDpiX()).size().toSizeF();
}

QPageLayout::Orientation JournalReport::orientation(const QPagedPaintDevice &device)
{
    measure(device);
    qreal wanted = 0;
    for (const Column &column : m_columns)
        wanted += std::max({column.word, column.whole, column.heading}) + 2 * m_padding;
    return wanted <= pageSize(device, QPageLayout::Portrait).width() ? QPageLayout::Portrait
                                                                     : QPageLayout::Landscape;
}

qreal JournalReport::fitColumns(qreal width)
{
    const size_t count = m_columns.size();
    // Each column's least width: its widest word, though a word wider than a quarter of the
    // page (never less than eight letters or so) is cut short rather than take the others'
    // room. Then the room its cells want beyond that to stand on one line, and the room its
    // heading wants beyond that.
    const qreal smallest = 8 * m_fonts->body.averageCharWidth() + 2 * m_padding;
    std::vector<qreal> widths(count);
    std::vector<qreal> cells(count);
    std::vector<qreal> heading(count);
    for (size_t column = 0; column < count; ++column) {
        const Column &each = m_columns[column];
        widths[column] = std::min(each.word + 2 * m_padding, std::max(width / 4, smallest));
        cells[column] =
            std::max(qreal(0), std::max(each.word, each.whole) + 2 * m_padding - widths[column]);
        heading[column] = std::max(qreal(0), each.heading - std::max(each.word, each.whole));
    }
    qreal total = std::accumulate(widths.cbegin(), widths.cend(), qreal(0));
    if (total > width) {
        // The widest words give way first, down to a common cap that makes the columns fit.
        std::vector<qreal> sorted = widths;
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        qreal others = total;
        qreal cap = 0;
        for (size_t capped = 1; capped <= count; ++capped) {
            others -= sorted[capped - 1];
            cap = (width - others) / qreal(capped);
            if (capped == count || cap >= sorted[capped])
                break;
        }
        for (size_t column = 0; column < count; ++column) {
            const qreal least = std::min(widths[column], std::max(cap, smallest));
            cells[column] += widths[column] - least;
            widths[column] = least;
        }
        total = std::accumulate(widths.cbegin(), widths.cend(), qreal(0));
    }

    // What is left over goes first to a heading over short cells («Игра 1» on one line), the
    // cheapest first, each within a fair share; then evenly to the cells that would wrap, none
    // beyond what it wants; then to the headings still wrapped. A heading's room comes whole
    // or not at all: a little more would leave it on two lines all the same.
    qreal spare = std::max(qreal(0), width - total);
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t left, size_t right) { return heading[left] < heading[right]; });
    const auto giveHeading = [&](size_t column) {
        widths[column] += heading[column];
        spare -= heading[column];
        heading[column] = 0;
    };
    auto wanting = std::count_if(order.cbegin(), order.cend(), [&](size_t column) {
        return cells[column] > 0 || heading[column] > 0;
    });
    for (size_t column : order) {
        if (heading[column] == 0 || cells[column] > 0)
            continue;
        if (heading[column] > spare / qreal(wanting))
            break;
        giveHeading(column);
        --wanting;
    }
    std::sort(order.begin(), order.end(),
              [&](size_t left, size_t right) { return cells[left] < cells[right]; });
    wanting = std::count_if(order.cbegin(), order.cend(),
                            [&](size_t column) { return cells[column] > 0; });
    for (size_t column : order) {
        if (cells[column] == 0)
            continue;
        const qreal more = std::min(cells[column], spare / qreal(wanting--));
        widths[column] += more;
        spare -= more;
        cells[column] -= more;
    }
    std::sort(order.begin(), order.end(),
              [&](size_t left, size_t right) { return heading[left] < heading[right]; });
    for (size_t column : order) {
        if (heading[column] > 0 && heading[column] <= spare && cells[column] == 0)
            giveHeading(column);
    }
    for (size_t column = 0; column < count; ++column)
        m_columns[column].width = widths[column];
    return std::max(width, total);
}

void JournalReport::layOut(const QPagedPaintDevice &device)
{
    measure(device);
    const QSizeF size = pageSize(device, device.pageLayout().orientation());
    m_scale = size.width() / fitColumns(size.width());
    m_page = size / m_scale;

    m_noteLines = int(wrapped(m_doubts.note(), m_fonts->body, m_page.width()).size());
    const qreal headerHeight = height(header(), m_fonts->heading);
    // The pages after the first repeat the title's first line above the header.
    const qreal runningHead = 2 * m_fonts->body.lineSpacing();
    qreal top = titleHeight() + headerHeight;
    m_pageStarts = {0};
    m_pageMarked = {false};
    for (int index = 0; index < m_rows; ++index) {
        if (!going(m_rows + index))
            return;
        const qreal rowHeight = height(row(index), m_fonts->body);
        const bool marked = m_doubts.cells(index) != 0;
        if (top + rowHeight > m_page.height() - footHeight(m_pageMarked.back() || marked) &&
            index > m_pageStarts.back()) {
            m_pageStarts.push_back(index);
            m_pageMarked.push_back(false);
            top = runningHead + headerHeight;
        }
        m_pageMarked.back() = m_pageMarked.back() || marked;
        top += rowHeight;
    }
}

qreal JournalReport::footHeight(bool marked) const
{
    // A blank line, then the page's number; above them the note, wrapped to the page.
    const qreal lines = 2 + (marked ? m_noteLines + 0.5 : 0);
    return lines * m_fonts->body.lineSpacing();
}

// A table may head a column in two lines to keep it narrow on the screen; the report wraps
// headings itself, at their blanks.
QString JournalReport::headingText(int column) const
{
    return TableWriter::heading(m_table, column);
}

JournalReport::Row JournalReport::header() const
{
    Row cells;
    for (int column = 0; column < int(m_columns.size()); ++column)
        cells.push_back(wrapped(headingText(column), m_fonts->heading,
                                m_columns[size_t(column)].width - 2 * m_padding));
    return cells;
}

bool JournalReport::marked(int row, int column) const
{
    return column < 64 && (m_doubts.cells(row) >> column & 1);
}

// A doubtful value's mark stands after its last line, also when the text is cut short.
JournalReport::Row JournalReport::row(int index) const
{
    Row cells;
    const quint64 doubtful = m_doubts.cells(index);
    for (int column = 0; column < int(m_columns.size()); ++column) {
        const bool mark = column < 64 && (doubtful >> column & 1);
        QStringList lines =
            wrapped(m_table.index(index, column).data().toString(), m_fonts->body,
                    m_columns[size_t(column)].width - 2 * m_padding - (mark ? m_markWidth : 0));
        if (mark && lines.isEmpty())
            lines << QString();
        if (mark)
            lines.back() += DoubtMarks::kMark;
        cells.push_back(lines);
    }
    return cells;
}

qreal JournalReport::height(const Row &row, const QFontMetricsF &metrics) const
{
    qsizetype lines = 1;
    for (const QStringList &cell : row)
        lines = std::max(lines, cell.size());
    return qreal(lines) * metrics.lineSpacing() + m_padding;
}

std::vector<JournalReport::Row> JournalReport::page(int index) const
{
    std::vector<Row> rows = {header()};
    const int end = index + 1 < pageCount() ? m_pageStarts[size_t(index) + 1] : m_rows;
    for (int row = m_pageStarts[size_t(index)]; row < end; ++row)
        rows.push_back(this->row(row));
    return rows;
}

qreal JournalReport::titleHeight() const
{
    const QStringList lines = title();
    qreal height = m_fonts->body.lineSpacing(); // the gap above the table
    for (qsizetype line = 0; line < lines.size(); ++line) {
        const QFontMetricsF &metrics = line == 0 ? m_fonts->title : m_fonts->body;
        height +=
            qreal(wrapped(lines[line], metrics, m_page.width()).size()) * metrics.lineSpacing();
    }
    return height;
}

void JournalReport::paintPage(QPainter &painter, int index) const
{
    painter.save();
    painter.scale(m_scale, m_scale);
    qreal top = 0;
    if (index == 0) {
        const QStringList lines = title();
        for (qsizetype line = 0; line < lines.size(); ++line) {
            const QFontMetricsF &metrics = line == 0 ? m_fonts->title : m_fonts->body;
            painter.setFont(line == 0 ? m_titleFont : m_bodyFont);
            for (const QString &part : wrapped(lines[line], metrics, m_page.width())) {
                painter.drawText(QPointF(0, top + metrics.ascent()), part);
                top += metrics.lineSpacing();
            }
        }
        top += m_fonts->body.lineSpacing();
    } else {
        painter.setFont(m_bodyFont);
        painter.drawText(QPointF(0, top + m_fonts->body.ascent()),
                         wrapped(m_title.value(0), m_fonts->body, m_page.width()).value(0));
        top += 2 * m_fonts->body.lineSpacing();
    }
    const std::vector<Row> rows = page(index);
    for (size_t row = 0; row < rows.size(); ++row) {
        paintRow(painter, rows[row], top, row == 0);
        top += height(rows[row], row == 0 ? m_fonts->heading : m_fonts->body);
    }
    painter.setFont(m_bodyFont);
    if (m_pageMarked[size_t(index)]) {
        qreal baseline = m_page.height() - footHeight(true) + m_fonts->body.lineSpacing() / 2 +
                         m_fonts->body.ascent();
        for (const QString &line : wrapped(m_doubts.note(), m_fonts->body, m_page.width())) {
            painter.drawText(QPointF(0, baseline), line);
            baseline += m_fonts->body.lineSpacing();
        }
    }
    const QString number = QStringLiteral("стр. %1 из %2").arg(index + 1).arg(pageCount());
    painter.drawText(QPointF((m_page.width() - m_fonts->body.horizontalAdvance(number)) / 2,
                             m_page.height() - m_fonts->body.descent()),
                     number);
    painter.restore();
}

void JournalReport::paintRow(QPainter &painter, const Row &row, qreal top, bool heading) const
{
    const QFontMetricsF &metrics = heading ? m_fonts->heading : m_fonts->body;
    const qreal rowHeight = height(row, metrics);
    // Hairlines a printer can draw: about half a point.
    const QPen rule(QColor(0x80, 0x80, 0x80), metrics.height() / 25);
    const QPen ink(Qt::black);
    painter.setFont(heading ? m_headingFont : m_bodyFont);
    qreal left = 0;
    for (size_t column = 0; column < row.size(); ++column) {
        const QRectF cell(left, top, m_columns[column].width, rowHeight);
        if (heading)
            painter.fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
        painter.setPen(rule);
        painter.drawRect(cell);
        painter.setPen(ink);
        qreal baseline = top + m_padding / 2 + metrics.ascent();
        for (const QString &line : row[column]) {
            const qreal spare = cell.width() - 2 * m_padding - metrics.horizontalAdvance(line);
            const qreal shift = heading ? spare / 2 : m_columns[column].right ? spare : 0;
            painter.drawText(QPointF(cell.left() + m_padding + shift, baseline), line);
            baseline += metrics.lineSpacing();
        }
        left += cell.width();
    }
}

bool JournalReport::print(QPagedPaintDevice &device, int first, int last, bool reversed)
{
    layOut(device);
    if (m_stopped)
        return false;
    first = first > 0 ? std::min(first, pageCount()) : 1;
    last = last > 0 ? std::clamp(last, first, pageCount()) : pageCount();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = first; page <= last; ++page) {
        const int index = (reversed ? first + last - page : page) - 1;
        if (!going(2 * qint64(m_rows) + m_pageStarts[size_t(index)]) ||
            (page > first && !device.newPage())) {
            painter.end();
            return false;
        }
        paintPage(painter, index);
    }
    return painter.end();
}

bool JournalReport::writePdf(QIODevice &device)
{
    // Measured on a writer of nothing: only the one that paints writes to the device.
    QBuffer nothing;
    QPdfWriter measured(&nothing);
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
    measured.setPageLayout(layout);
    layout.setOrientation(orientation(measured));
    return writePdf(device, layout, measured.resolution(), 0, 0, false);
}

bool JournalReport::writePdf(QIODevice &device, const QPageLayout &layout, int resolution,
                             int first, int last, bool reversed)
{
    CheckedWrite out(device);
    QPdfWriter writer(&out);
    writer.setTitle(m_title.value(0));
    writer.setCreator(QStringLiteral("Мышь"));
    writer.setResolution(resolution);
    writer.setPageLayout(layout);
    return print(writer, first, last, reversed) && !out.failed();
}
