#include "workbookwriter.h"

#include "filepath.h"
#include "journalfilter.h"
#include "journaltable.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "systemerror.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <optional>
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

const QString kReasonHeading = QStringLiteral("Почему под подозрением");

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

// A plain decimal number in the locale's form, as the journal shows totals and counts: an
// optional minus, digits, and decimals after the locale's point; nothing else.
std::optional<double> plainNumber(const QString &text, QChar point)
{
    if (text.isEmpty() || text.size() > 40)
        return std::nullopt;
    char ascii[48];
    qsizetype i = 0;
    bool digits = false;
    bool pointSeen = false;
    for (const QChar c : text) {
        if (c == u'-' && i == 0) {
            ascii[i++] = '-';
        } else if (c >= u'0' && c <= u'9') {
            ascii[i++] = char(c.unicode());
            digits = true;
        } else if (c == point && digits && !pointSeen) {
            ascii[i++] = '.';
            pointSeen = true;
            digits = false; // a digit must follow
        } else {
            return std::nullopt;
        }
    }
    double value = 0;
    if (!digits || std::from_chars(ascii, ascii + i, value).ec != std::errc())
        return std::nullopt;
    return value;
}

// The cell's number, if it is one a sheet can hold (no infinity, no NaN).
std::optional<double> numberOf(const QVariant &value, QChar point)
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
    case QMetaType::QString:
        number = plainNumber(value.toString(), point);
        break;
    default:
        break;
    }
    return number && std::isfinite(*number) ? number : std::nullopt;
}

// libxlsxwriter's error as the user reads it. `systemError`: errno right after the failure.
QString errorText(lxw_error error, int systemError, const QString &temporaryFolder)
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
        return QStringLiteral("не удалось записать временный файл в папку %1: %2")
            .arg(FilePath::shown(temporaryFolder), system());
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

// The cells' formats. A plain text or whole number is left without one, which shows it as it is:
// a format equal to the default one costs libxlsxwriter a look-up in its table of formats for
// every cell, as it never keeps its number, and a cell without one is shorter to pack.
struct Formats
{
    lxw_format *title = nullptr;
    lxw_format *heading = nullptr;
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
        text[1] = workbook_add_format(book);
        whole[1] = workbook_add_format(book);
        for (int doubtful = 0; doubtful < 2; ++doubtful) {
            // Up to three decimals, as many as the number has.
            decimal[doubtful] = workbook_add_format(book);
            format_set_num_format(decimal[doubtful], "0.###");
        }
        for (lxw_format *format : {text[1], whole[1], decimal[1]}) {
            format_set_bold(format);
            format_set_bg_color(format, kDoubtColour);
        }
    }
};

// One sheet's rows, from `first` of the table on, as many as a sheet takes.
class SheetWriter
{
public:
    SheetWriter(lxw_worksheet *sheet, const WorkbookWriter::Sheet &source, const Formats &formats)
        : m_sheet(sheet), m_source(source), m_formats(formats)
    {
    }

    lxw_error write(const QStringList &title, int first, int count);

private:
    lxw_error cell(lxw_row_t row, int column, const QString &text, lxw_format *format);

    lxw_worksheet *m_sheet;
    const WorkbookWriter::Sheet &m_source;
    const Formats &m_formats;
    std::vector<qsizetype> m_widths;
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
    if (reasons && (error = cell(headingRow, columns, kReasonHeading, m_formats.heading)))
        return error;

    const QChar point = QLocale().decimalPoint().front();
    for (int each = first; each < first + count; ++each, ++row) {
        const quint64 doubts = m_source.doubtfulCells ? m_source.doubtfulCells(each) : 0;
        for (int column = 0; column < columns; ++column) {
            const int doubtful = column < kColumnsMarked && (doubts >> column & 1) ? 1 : 0;
            const QVariant value = table.index(each, column).data();
            const std::optional<double> number =
                typed[size_t(column)] ? std::nullopt : numberOf(value, point);
            if (!number) {
                error = cell(row, column, value.toString(), m_formats.text[doubtful]);
            } else {
                const bool whole = std::trunc(*number) == *number;
                // Its digits, a sign and up to three decimals.
                qsizetype &width = m_widths[size_t(column)];
                width = std::max(width, qsizetype(std::log10(std::abs(*number) + 1)) + 2 +
                                            (whole ? 0 : 4));
                error = worksheet_write_number(m_sheet, row, lxw_col_t(column), *number,
                                               whole ? m_formats.whole[doubtful]
                                                     : m_formats.decimal[doubtful]);
            }
            if (error)
                return error;
        }
        if (reasons && (error = cell(row, columns, m_source.reason(each), m_formats.text[0])))
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

} // namespace

WorkbookWriter::Sheet WorkbookWriter::pupilsSheet(const JournalFilter &shown,
                                                  const PupilsModel &pupils)
{
    const auto pupilAt = [&shown, &pupils](int row) -> const PupilsModel::Pupil & {
        return pupils.pupil(shown.mapToSource(shown.index(row, 0)).row());
    };
    return {
        QString::fromUtf16(kPupilsSheet), &shown,
        [pupilAt](int row) {
            return pupilAt(row).doubtful > 0 ? quint64(1) << PupilsModel::Name : 0;
        },
        [pupilAt](int row) {
            const int doubtful = pupilAt(row).doubtful;
            return doubtful == 0
                       ? QString()
                       : QStringLiteral("Попыток, которые курс не мог записать: %1").arg(doubtful);
        }};
}

WorkbookWriter::Sheet WorkbookWriter::recordsSheet(const JournalFilter &shown,
                                                   const RecordsModel &records)
{
    const auto recordAt = [&shown, &records](int row) -> const JournalRecord & {
        return records.record(shown.mapToSource(shown.index(row, 0)).row());
    };
    return {QString::fromUtf16(kRecordsSheet), &shown,
            [recordAt](int row) {
                const JournalRecord &record = recordAt(row);
                quint64 cells = 0;
                for (int column = 0; record.doubts != 0 && column < RecordsModel::ColumnCount;
                     ++column) {
                    if (record.doubts & RecordsModel::doubtBit(column))
                        cells |= quint64(1) << column;
                }
                return cells;
            },
            [recordAt](int row) {
                const JournalRecord &record = recordAt(row);
                return record.doubts == 0
                           ? QString()
                           : RecordsModel::doubtReasons(record).join(QStringLiteral("; "));
            }};
}

bool WorkbookWriter::write(const QString &fileName, const QList<Sheet> &sheets)
{
    m_problem.clear();
    const QStringList title = m_title.mid(0, kMaxTitleLines);
    const QString folder =
        m_temporaryFolder.isEmpty() ? QFileInfo(fileName).absolutePath() : m_temporaryFolder;
    QByteArray folderBytes = FilePath::encode(folder);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folderBytes.data();
    // A million records make a sheet larger than a plain zip archive holds.
    options.use_zip64 = LXW_TRUE;

    const auto fail = [&](lxw_error error) {
        m_problem = errorText(error, errno, folder);
        return false;
    };
    errno = 0;
    lxw_workbook *book = workbook_new_opt(FilePath::encode(fileName).constData(), &options);
    if (!book)
        return fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const Formats formats(book);
    const int headRows = int(title.size()) + (title.isEmpty() ? 0 : 1) + 1;
    const int rowsPerSheet = LXW_ROW_MAX - headRows;
    for (const Sheet &sheet : sheets) {
        const int rows = sheet.table->rowCount();
        for (int part = 0, first = 0; part == 0 || first < rows; ++part, first += rowsPerSheet) {
            errno = 0;
            lxw_worksheet *worksheet =
                workbook_add_worksheet(book, sheetName(sheet.name, part).toUtf8().constData());
            // Only a temporary file that could not be made, or memory, fail here.
            const lxw_error error =
                !worksheet ? LXW_ERROR_CREATING_TMPFILE
                           : SheetWriter(worksheet, sheet, formats)
                                 .write(title, first, std::min(rowsPerSheet, rows - first));
            if (error) {
                const int systemError = errno;
                lxw_workbook_free(book);
                errno = systemError;
                return fail(error);
            }
        }
    }
    errno = 0;
    const lxw_error error = workbook_close(book);
    return error == LXW_NO_ERROR || fail(error);
}
