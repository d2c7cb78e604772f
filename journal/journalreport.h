#pragma once

#include "doubtmarks.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class JournalFilter;
class QIODevice;
class QPagedPaintDevice;
class QPainter;

// A table of the journal on paper or in a PDF, as its filter shows it: a title (see
// OutputTitle), then the rows under a header that every page repeats, the title's first line
// above it on the pages after the first, and «стр. N из M» at the foot of each page. A value
// the course cannot have written carries a mark, which the foot of each page that shows one
// explains (DoubtMarks). The columns take the width of their contents; a cell wraps only at
// its blanks, to three lines at most, and a single word wider than its column is cut short with
// «…», never broken over lines. A row is never split between pages.
//
// Every text is drawn as it is, blanks included: nothing in a name is read as markup. The
// report measures the table once, when first laid out, and reads its rows again for each page
// it paints, so it holds no copy of a large one; a table that changes wants a new report.
class JournalReport
{
public:
    static constexpr int kMaxLines = 3;

    // A row as printed: each cell's lines, top to bottom.
    using Row = std::vector<QStringList>;

    // Told how far measuring, laying out and painting have come, in rows of the table three
    // times over; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // `title`: its lines, the first in large letters.
    JournalReport(const JournalFilter &table, const QStringList &title);

    // A large table takes seconds: the window shows how far it is, and may stop it. A report
    // stopped lays out and paints nothing more.
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    bool stopped() const { return m_stopped; }

    const QStringList &title() const { return m_title; }

    // Portrait when every column gets the width it wants on it; landscape otherwise.
    QPageLayout::Orientation orientation(const QPagedPaintDevice &device);

    // Lays the table out on the device's pages as they are set now.
    void layOut(const QPagedPaintDevice &device);
    int pageCount() const { return int(m_pageStarts.size()); }
    // A laid-out page's rows, the header first.
    std::vector<Row> page(int index) const;

    // Lays out and paints pages `first` to `last` (counted from 1; 0 and 0 for all of them),
    // the last first when `reversed`, as a print dialog asks; false when the device could not
    // be painted on.
    bool print(QPagedPaintDevice &device, int first = 0, int last = 0, bool reversed = false);
    // As a PDF on A4, turned as orientation() says; false when it was not all written.
    bool writePdf(QIODevice &device);
    // As a PDF on the pages `layout` sets up (a print dialog's), pages `first` to `last` as
    // print() takes them.
    bool writePdf(QIODevice &device, const QPageLayout &layout, int resolution, int first, int last,
                  bool reversed);

private:
    struct Column
    {
        qreal word = 0;     // the widest word, heading included
        qreal whole = 0;    // the widest cell on one line
        qreal heading = 0;  // the heading on one line
        qreal width = 0;    // as laid out, padding included
        bool right = false; // numbers stand at the right
    };
    struct Fonts
    {
        QFontMetricsF body;
        QFontMetricsF heading;
        QFontMetricsF title;
    };

    // False once the progress asked to stop.
    bool going(qint64 done);
    void measure(const QPagedPaintDevice &device);
    // The page's width and height, without its margins, at the device's resolution.
    QSizeF pageSize(const QPagedPaintDevice &device, QPageLayout::Orientation orientation) const;
    // Gives the columns their widths on a page `width` wide: the page's width in the report's
    // units, which is more than `width` when the smallest widths do not fit and the report is
    // drawn smaller.
    qreal fitColumns(qreal width);
    QString headingText(int column) const;
    // Whether the cell holds a doubtful value, which is printed with a mark.
    bool marked(int row, int column) const;
    Row header() const;
    Row row(int index) const;
    qreal height(const Row &row, const QFontMetricsF &metrics) const;
    qreal titleHeight() const;
    // The room the foot of a page takes, with the note that explains the marks or without.
    qreal footHeight(bool marked) const;
    void paintPage(QPainter &painter, int index) const;
    void paintRow(QPainter &painter, const Row &row, qreal top, bool heading) const;

    const JournalFilter &m_table;
    QStringList m_title;
    DoubtMarks m_doubts;
    QFont m_bodyFont;
    QFont m_headingFont;
    QFont m_titleFont;

    // What the table was measured at; a table changed since wants a new report.
    std::optional<Fonts> m_fonts;
    int m_resolution = 0;
    std::vector<Column> m_columns;
    qreal m_padding = 0;
    qreal m_markWidth = 0;
    qreal m_scale = 1;
    QSizeF m_page;                  // in the report's units
    std::vector<int> m_pageStarts;  // the first row of each page
    std::vector<bool> m_pageMarked; // whether a page shows a doubtful value
    int m_noteLines = 0;            // the note that explains the marks, wrapped to the page
    int m_rows = 0;
    Progress m_progress;
    qint64 m_steps = 0;
    bool m_stopped = false;
};
