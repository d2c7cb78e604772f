#include "workbookwriter.h"

#include "doubtmarks.h"
#include "journalfilter.h"
#include "journaltable.h"
#include "recordsmodel.h"
#include "shownnumber.h"
#include "systemerror.h"

#include <QAbstractProxyModel>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>
#include <xlsxwriter.h>

namespace {

// A spreadsheet's cell holds at most 32767 characters; a longer text is cut well short of that.
constexpr qsizetype kMaxCellText = 32000;
constexpr int kMinColumnWidth = 6;
// The rows above a sheet's table: the title's lines and a blank one.
constexpr int kMaxTitleLines = 20;
constexpr quint32 kDoubtColour = 0xFFE0B2; // a light orange, as a highlighter leaves
constexpr int kColumnsMarked = 64;         // the bits of Sheet::doubtfulCells
constexpr qint64 kProgressEvery = 4096;    // rows
// A record's time as the tables show it, «08.12.2026 10:15».
constexpr char kDateFormat[] = "dd.mm.yyyy hh:mm";
constexpr qsizetype kDateWidth = 16;
// Days from a spreadsheet's day 0 (30 December 1899) to 1 January 1970.
constexpr double kEpochDay = 25569;

// A text as a cell takes it: UTF-8, cut to what a cell holds, without what XML cannot carry
// (control characters other than a tab and a line feed, and the two non-characters).
QByteArray cellText(QString text)
{
    if (text.size() > kMaxCellText) {
        text.truncate(kMaxCellText);
        if (text.back().isHighSurrogate())
            text.chop(1);
        text += u'…';
    }
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF)
            c = u' ';
    }
    return text.toUtf8();
}

// The cell's number, if it is one a sheet can hold (no infinity, no NaN).
std::optional<double> numberOf(const QVariant &value, const QString &point)
{
    std::optional<double> number;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        number = value.toDouble();
        break;
    case QMetaType::QString: {
        const QByteArray plain = ShownNumber::plain(value.toString(), point);
        double parsed = 0;
        if (!plain.isEmpty() &&
            std::from_chars(plain.cbegin(), plain.cend(), parsed).ec == std::errc())
            number = parsed;
        break;
    }
    default:
        break;
    }
    return number && std::isfinite(*number) ? number : std::nullopt;
}

// How many characters a number takes as a cell shows it: its digits, a sign, and up to three
// decimals.
qsizetype widthOf(double number, bool whole)
{
    qsizetype width = number < 0 ? 2 : 1;
    for (double rest = std::abs(number); rest >= 10 && width < 20; rest /= 10)
        ++width;
    return whole ? width : width + 4;
}

// The moment as a spreadsheet's date, by this computer's clock, as the tables show it.
double spreadsheetDate(qint64 seconds)
{
    const std::time_t time = std::time_t(seconds);
    std::tm local = {};
    const long offset = ::localtime_r(&time, &local) ? local.tm_gmtoff : 0;
    return double(seconds + offset) / 86400 + kEpochDay;
}

// libxlsxwriter's error as the user reads it. `systemError`: errno right after the failure.
QString errorText(lxw_error error, int systemError)
{
    const auto system = [&] {
        return systemError != 0 ? SystemError::text(systemError, SystemError::Use::Write)
                                : QStringLiteral("ошибка записи");
    };
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("не хватило памяти");
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("не удалось записать временный файл рядом с ним: %1").arg(system());
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return system();
    default:
        return QStringLiteral("библиотека записи книг отказала (ошибка %1)").arg(int(error));
    }
}

// Standard error leads to /dev/null while it lives, so that the library's own lines never
// reach the user; then back where it led. Other threads' lines in that time are lost too.
class QuietStandardError
{
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        const int nowhere = m_saved < 0 ? -1 : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere < 0 || ::dup2(nowhere, STDERR_FILENO) < 0)
            m_error = errno;
        if (nowhere >= 0)
            ::close(nowhere);
    }
    ~QuietStandardError()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

    // Why standard error could not be sent away (no descriptors left); 0 when it was.
    int error() const { return m_error; }

private:
    int m_saved = -1;
    int m_error = 0;
};

// The cells' formats. A plain text or whole number is left without one, which shows it as it is:
// a format equal to the default one costs libxlsxwriter a look-up in its table of formats for
// every cell, as it never keeps its number, and a cell without one is shorter to pack.
struct Formats
{
    lxw_format *title = nullptr;
    lxw_format *heading = nullptr;
    lxw_format *date = nullptr;
    // Plain and doubtful.
    std::array<lxw_format *, 2> text{};
    std::array<lxw_format *, 2> whole{};
    std::array<lxw_format *, 2> decimal{};

    explicit Formats(lxw_workbook *book)
    {
        title = workbook_add_format(book);
        format_set_bold(title);
        heading = workbook_add_format(book);
        format_set_bold(heading);
        format_set_bottom(heading, LXW_BORDER_THIN);
        date = workbook_add_format(book);
        format_set_num_format(date, kDateFormat);
        text[1] = workbook_add_format(book);
        whole[1] = workbook_add_format(book);
        for (int doubtful = 0; doubtful < 2; ++doubtful) {
            // As many decimals as the number has: a total is a multiple of 1/8. A pattern such as
            // 0.### would show a whole total with a bare decimal point in some spreadsheets.
            decimal[doubtful] = workbook_add_format(book);
            format_set_num_format(decimal[doubtful], "General");
        }
        for (lxw_format *format : {text[1], whole[1], decimal[1]}) {
            format_set_bold(format);
            format_set_bg_color(format, kDoubtColour);
        }
    }
};

// How far the sheets are written, and whether to stop.
struct Job
{
    const WorkbookWriter::Progress &progress;
    qint64 total = 0;
    qint64 done = 0;
    bool stopped = false;

    bool going()
    {
        if (++done % kProgressEvery == 0 && progress && !progress(done, total))
            stopped = true;
        return !stopped;
    }
};

// A text made a cell once, for every row that repeats it: a name, a file, a computer.
struct Made
{
    QByteArray bytes;
    qsizetype width = -1; // not made yet
};

// One sheet's rows, from `first` of the table on, as many as a sheet takes.
class SheetWriter
{
public:
    SheetWriter(lxw_worksheet *sheet, const WorkbookWriter::Sheet &source, const Formats &formats,
                Job &job)
        : m_sheet(sheet), m_source(source), m_formats(formats), m_job(job)
    {
    }

    lxw_error write(const QStringList &title, int first, int count);

private:
    lxw_error cell(lxw_row_t row, int column, const QString &text, lxw_format *format);
    lxw_error text(lxw_row_t row, int column, Made &made, const QString &text);
    lxw_error number(lxw_row_t row, int column, double value, bool doubtful);
    lxw_error shownRow(lxw_row_t row, int each, const std::vector<bool> &typed);
    lxw_error recordRow(lxw_row_t row, int each);

    lxw_worksheet *m_sheet;
    const WorkbookWriter::Sheet &m_source;
    const Formats &m_formats;
    Job &m_job;
    std::vector<qsizetype> m_widths;
    QString m_point = QLocale().decimalPoint();
    std::vector<Made> m_names;
    std::vector<Made> m_files;
    std::vector<Made> m_hosts;
};

lxw_error SheetWriter::cell(lxw_row_t row, int column, const QString &text, lxw_format *format)
{
    if (text.isEmpty())
        return LXW_NO_ERROR;
    qsizetype &width = m_widths[size_t(column)];
    width = std::max(width, text.size());
    return worksheet_write_string(m_sheet, row, lxw_col_t(column), cellText(text).constData(),
                                  format);
}

lxw_error SheetWriter::text(lxw_row_t row, int column, Made &made, const QString &text)
{
    if (made.width < 0) {
        made.bytes = cellText(text);
        made.width = text.size();
    }
    if (made.bytes.isEmpty())
        return LXW_NO_ERROR;
    qsizetype &width = m_widths[size_t(column)];
    width = std::max(width, made.width);
    return worksheet_write_string(m_sheet, row, lxw_col_t(column), made.bytes.constData(), nullptr);
}

lxw_error SheetWriter::number(lxw_row_t row, int column, double value, bool doubtful)
{
    const bool whole = std::trunc(value) == value;
    qsizetype &width = m_widths[size_t(column)];
    width = std::max(width, widthOf(value, whole));
    return worksheet_write_number(m_sheet, row, lxw_col_t(column), value,
                                  whole ? m_formats.whole[doubtful] : m_formats.decimal[doubtful]);
}

lxw_error SheetWriter::shownRow(lxw_row_t row, int each, const std::vector<bool> &typed)
{
    const QAbstractItemModel &table = *m_source.table;
    const quint64 doubts = m_source.doubtfulCells ? m_source.doubtfulCells(each) : 0;
    for (int column = 0; column < int(typed.size()); ++column) {
        const int doubtful = column < kColumnsMarked && (doubts >> column & 1) ? 1 : 0;
        const QVariant value = table.index(each, column).data();
        const std::optional<double> number =
            typed[size_t(column)] ? std::nullopt : numberOf(value, m_point);
        const lxw_error error = number
                                    ? this->number(row, column, *number, doubtful)
                                    : cell(row, column, value.toString(), m_formats.text[doubtful]);
        if (error)
            return error;
    }
    return LXW_NO_ERROR;
}

// The record's own fields, in the table's columns: no text is made for a number, and a name, a
// file or a computer is made a cell once.
lxw_error SheetWriter::recordRow(lxw_row_t row, int each)
{
    const RecordsModel &records = *m_source.records;
    const auto &shown = static_cast<const QAbstractProxyModel &>(*m_source.table);
    const JournalRecord &record = records.record(shown.mapToSource(shown.index(each, 0)).row());
    const auto made = [](std::vector<Made> &cache, size_t id) -> Made & {
        if (cache.size() <= id)
            cache.resize(id + 1);
        return cache[id];
    };
    lxw_error error = LXW_NO_ERROR;
    for (int column = 0; column < RecordsModel::ColumnCount && !error; ++column) {
        const bool doubtful = (record.doubts & RecordsModel::doubtBit(column)) != 0;
        switch (column) {
        case RecordsModel::Name:
            error = text(row, column, made(m_names, record.name), records.name(record.name));
            break;
        case RecordsModel::Total:
            error = number(row, column, record.total, doubtful);
            break;
        case RecordsModel::When:
            // A time the journal only saw is no date from the file, as in the CSV.
            if (record.dating == JournalRecord::Dating::Exact) {
                m_widths[size_t(column)] = kDateWidth;
                error = worksheet_write_number(m_sheet, row, lxw_col_t(column),
                                               spreadsheetDate(record.when), m_formats.date);
            }
            break;
        case RecordsModel::Host:
            error = text(row, column, made(m_hosts, record.host), records.hostName(record.host));
            break;
        case RecordsModel::File:
            error = text(row, column, made(m_files, record.file), records.fileLabel(record.file));
            break;
        case RecordsModel::Line:
            error = number(row, column, record.line, false);
            break;
        default:
            error =
                number(row, column, record.scores[size_t(column - RecordsModel::Left)], doubtful);
        }
    }
    return error;
}

lxw_error SheetWriter::write(const QStringList &title, int first, int count)
{
    const QAbstractItemModel &table = *m_source.table;
    const int columns = table.columnCount();
    const bool reasons = bool(m_source.reason);
    m_widths.assign(size_t(columns + reasons), kMinColumnWidth);
    lxw_error error = LXW_NO_ERROR;
    lxw_row_t row = 0;
    // Titles run on over the empty cells beside them, and leave the columns' widths alone.
    for (const QString &line : title) {
        error =
            worksheet_write_string(m_sheet, row++, 0, cellText(line).constData(), m_formats.title);
        if (error)
            return error;
    }
    if (!title.isEmpty())
        ++row;
    const lxw_row_t headingRow = row++;
    std::vector<bool> typed;
    for (int column = 0; column < columns; ++column) {
        const QString heading = table.headerData(column, Qt::Horizontal, Qt::DisplayRole)
                                    .toString()
                                    .replace(u'\n', u' ');
        typed.push_back(table.headerData(column, Qt::Horizontal, JournalTable::TypedRole).toBool());
        if ((error = cell(headingRow, column, heading, m_formats.heading)))
            return error;
    }
    if (reasons && (error = cell(headingRow, columns, DoubtMarks::heading(), m_formats.heading)))
        return error;

    const bool records = m_source.records && columns == RecordsModel::ColumnCount;
    for (int each = first; each < first + count; ++each, ++row) {
        if (!m_job.going())
            return LXW_NO_ERROR;
        error = records ? recordRow(row, each) : shownRow(row, each, typed);
        if (!error && reasons)
            error = cell(row, columns, m_source.reason(each), m_formats.text[0]);
        if (error)
            return error;
    }

    worksheet_freeze_panes(m_sheet, headingRow + 1, 0);
    const int lastColumn = columns + reasons - 1;
    if (lastColumn >= 0 &&
        (error = worksheet_autofilter(m_sheet, headingRow, 0, row - 1, lxw_col_t(lastColumn))))
        return error;
    for (size_t column = 0; column < m_widths.size(); ++column) {
        const double width =
            double(std::min<qsizetype>(m_widths[column] + 2, WorkbookWriter::kMaxColumnWidth));
        if ((error = worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), width,
                                          nullptr)))
            return error;
    }
    return LXW_NO_ERROR;
}

// A sheet's name, and that of the ones it goes on in: «Записи», «Записи (2)».
QString sheetName(const QString &name, int part)
{
    const QString suffix = part == 0 ? QString() : QStringLiteral(" (%1)").arg(part + 1);
    return name.left(LXW_SHEETNAME_MAX - suffix.size()) + suffix;
}

WorkbookWriter::Sheet sheetOf(const QString &name, const JournalFilter &shown,
                              const QStringList &title)
{
    const auto doubts = std::make_shared<DoubtMarks>(shown);
    return {name, title, &shown, [doubts](int row) { return doubts->cells(row); },
            [doubts](int row) { return doubts->reason(row); }};
}

} // namespace

WorkbookWriter::Sheet WorkbookWriter::pupilsSheet(const JournalFilter &shown,
                                                  const QStringList &title)
{
    return sheetOf(QString::fromUtf16(kPupilsSheet), shown, title);
}

WorkbookWriter::Sheet WorkbookWriter::recordsSheet(const JournalFilter &shown,
                                                   const RecordsModel &records,
                                                   const QStringList &title)
{
    Sheet sheet = sheetOf(QString::fromUtf16(kRecordsSheet), shown, title);
    if (&shown.table() == &records)
        sheet.records = &records;
    return sheet;
}

bool WorkbookWriter::write(const QByteArray &fileName, const QList<Sheet> &sheets,
                           QByteArray temporaryFolder)
{
    m_problem.clear();
    m_stopped = false;
    const QuietStandardError quiet;
    if (quiet.error() != 0) {
        m_problem = SystemError::text(quiet.error(), SystemError::Use::Write);
        return false;
    }
    if (temporaryFolder.isEmpty()) {
        const qsizetype slash = fileName.lastIndexOf('/');
        temporaryFolder =
            slash < 0 ? QByteArray(".") : fileName.left(std::max<qsizetype>(slash, 1));
    }
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = temporaryFolder.data();
    // A million records make a sheet larger than a plain zip archive holds.
    options.use_zip64 = LXW_TRUE;

    const auto fail = [&](lxw_error error) {
        m_problem = errorText(error, errno);
        return false;
    };
    errno = 0;
    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book)
        return fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const Formats formats(book);
    Job job{m_progress};
    for (const Sheet &sheet : sheets)
        job.total += sheet.table->rowCount();
    for (const Sheet &sheet : sheets) {
        const QStringList title = sheet.title.mid(0, kMaxTitleLines);
        const int headRows = int(title.size()) + (title.isEmpty() ? 0 : 1) + 1;
        const int rowsPerSheet = LXW_ROW_MAX - headRows;
        const int rows = sheet.table->rowCount();
        for (int part = 0, first = 0; part == 0 || first < rows; ++part, first += rowsPerSheet) {
            errno = 0;
            lxw_worksheet *worksheet =
                workbook_add_worksheet(book, sheetName(sheet.name, part).toUtf8().constData());
            // Only a temporary file that could not be made, or memory, fail here.
            const lxw_error error =
                !worksheet ? LXW_ERROR_CREATING_TMPFILE
                           : SheetWriter(worksheet, sheet, formats, job)
                                 .write(title, first, std::min(rowsPerSheet, rows - first));
            if (error || job.stopped) {
                const int systemError = errno;
                lxw_workbook_free(book);
                m_stopped = job.stopped;
                errno = systemError;
                return !m_stopped && fail(error);
            }
        }
    }
    errno = 0;
    const lxw_error error = workbook_close(book);
    return error == LXW_NO_ERROR || fail(error);
}
