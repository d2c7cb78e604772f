#include "journaloutputs.h"

#include "filepath.h"
#include "journalfilter.h"
#include "outputfile.h"
#include "recordsmodel.h"
#include "rememberedfolder.h"
#include "tablewriter.h"
#include "workbookwriter.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTableView>

namespace {

const QString kSaveFolder = QStringLiteral("saveFolder");

QString notSaved(const QString &path, const QString &reason)
{
    return QStringLiteral("Не удалось сохранить файл %1: %2").arg(FilePath::shown(path), reason);
}

} // namespace

JournalOutputs::JournalOutputs(const RecordsModel &records, const JournalFilter &recordsShown,
                               const JournalFilter &pupilsShown, std::function<Table()> shownTable,
                               QWidget *window)
    : QObject(window), m_records(records), m_recordsShown(recordsShown), m_pupilsShown(pupilsShown),
      m_shownTable(std::move(shownTable)), m_window(window)
{
}

void JournalOutputs::addActions(QMenu &file)
{
    file.addAction(QStringLiteral("Сохранить &записи в CSV…"), this,
                   [this] { chooseCsv(Table::Records); });
    file.addAction(QStringLiteral("Сохранить &учеников в CSV…"), this,
                   [this] { chooseCsv(Table::Pupils); });
    QAction *workbook = file.addAction(QStringLiteral("Сохранить для &таблиц (.xlsx)…"), this,
                                       &JournalOutputs::chooseWorkbook);
    workbook->setStatusTip(QStringLiteral("Сохранить учеников и записи книгой для LibreOffice "
                                          "Calc или Excel: два листа, числа — числами"));
    // The records or the pupils, from the tab shown; the chart's tab prints its pupils.
    QAction *pdf =
        file.addAction(QStringLiteral("Сохранить в &PDF…"), this, &JournalOutputs::choosePdf);
    pdf->setStatusTip(QStringLiteral(
        "Сохранить в PDF таблицу открытой вкладки: записи или учеников (с диаграммы — учеников)"));
    QAction *print = file.addAction(QStringLiteral("&Печать…"), QKeySequence::Print, this,
                                    &JournalOutputs::choosePrinter);
    print->setStatusTip(QStringLiteral(
        "Напечатать таблицу открытой вкладки: записи или учеников (с диаграммы — учеников)"));
}

bool JournalOutputs::saveCsv(Table table, const QString &path, QString *problem)
{
    return TableWriter::saveCsv(table == Table::Records ? m_recordsShown : m_pupilsShown, m_records,
                                path, problem);
}

void JournalOutputs::chooseCsv(Table table)
{
    chooseAndSave(QStringLiteral("Сохранить в CSV"),
                  table == Table::Records ? QStringLiteral("записи.csv")
                                          : QStringLiteral("ученики.csv"),
                  QStringLiteral("Таблица CSV (*.csv)"), [this, table](const QString &path) {
                      QString problem;
                      return saveCsv(table, path, &problem) ? QString() : notSaved(path, problem);
                  });
}

void JournalOutputs::chooseWorkbook()
{
    chooseAndSave(QStringLiteral("Сохранить для таблиц"), QStringLiteral("журнал.xlsx"),
                  QStringLiteral("Книга Excel (*.xlsx)"),
                  [this](const QString &path) { return saveWorkbook(path); });
}

void JournalOutputs::chooseAndSave(const QString &title, const QString &suggested,
                                   const QString &filter,
                                   const std::function<QString(const QString &)> &save)
{
    const QString path = QFileDialog::getSaveFileName(
        m_window, title,
        QDir(RememberedFolder::get(kSaveFolder, m_records.openFiles())).filePath(suggested),
        filter);
    if (path.isEmpty())
        return;
    RememberedFolder::keep(kSaveFolder, path);
    const QString problem = save(path);
    if (!problem.isEmpty())
        showProblem(problem);
}

QString JournalOutputs::saveWorkbook(const QString &path)
{
    OutputFile file;
    if (file.start(path, m_records.openFiles()) != OutputFile::Opened::Yes)
        return notSaved(path, file.errorString());
    WorkbookWriter writer;
    const bool written =
        withProgress(QStringLiteral("Книга сохраняется…"), [&](const Progress &progress) {
            writer.setProgress(progress);
            return writer.write(
                file.writingName(),
                {WorkbookWriter::pupilsSheet(m_pupilsShown, title(Table::Pupils)),
                 WorkbookWriter::recordsSheet(m_recordsShown, m_records, title(Table::Records))},
                file.writingFolder());
        });
    if (writer.stopped())
        return {}; // the new file goes with `file`
    if (!written)
        return notSaved(path, writer.problem());
    if (!file.commit())
        return notSaved(path, file.errorString());
    return {};
}

QStringList JournalOutputs::title(Table table) const
{
    OutputTitle title = m_shown ? m_shown() : OutputTitle();
    title.subject = table == Table::Records ? QStringLiteral("записи") : QStringLiteral("ученики");
    // One pupil's attempts are a view of the records alone.
    if (table == Table::Pupils)
        title.pupil.clear();
    for (int file = 0; file < m_records.fileCount(); ++file) {
        if (m_records.isOpen(file))
            title.files << m_records.fileLabel(file);
    }
    title.made = QDateTime::currentDateTime();
    return title.lines();
}

JournalReport JournalOutputs::report() const
{
    const Table table = m_shownTable();
    return JournalReport(table == Table::Records ? m_recordsShown : m_pupilsShown, title(table));
}

void JournalOutputs::choosePdf()
{
    chooseAndSave(QStringLiteral("Сохранить в PDF"),
                  m_shownTable() == Table::Records ? QStringLiteral("записи.pdf")
                                                   : QStringLiteral("ученики.pdf"),
                  QStringLiteral("Документ PDF (*.pdf)"),
                  [this](const QString &path) { return savePdf(path); });
}

QString JournalOutputs::savePdf(const QString &path)
{
    return writePdf(path,
                    [](JournalReport &report, QIODevice &file) { return report.writePdf(file); });
}

QString JournalOutputs::writePdf(const QString &path,
                                 const std::function<bool(JournalReport &, QIODevice &)> &write)
{
    OutputFile file;
    if (file.start(path, m_records.openFiles()) != OutputFile::Opened::Yes)
        return notSaved(path, file.errorString());
    JournalReport saved = report();
    const bool written = withProgress(saved, [&] { return write(saved, file); });
    if (saved.stopped())
        return {}; // the new file goes with `file`
    if (!written || !file.commit())
        return notSaved(path, file.errorString());
    return {};
}

void JournalOutputs::choosePrinter()
{
    QPrinter printer(QPrinter::HighResolution);
    {
        // The dialog offers the turn that suits the table; the person may choose the other.
        JournalReport measured = report();
        withProgress(measured, [&] {
            printer.setPageOrientation(measured.orientation(printer));
            return true;
        });
        if (measured.stopped())
            return;
    }
    // A print to a file is offered where the other saves go, under the table's name. Naming the
    // file turns the printer into a file; a printer the system has stays the one offered.
    const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat;
    printer.setOutputFileName(QDir(RememberedFolder::get(kSaveFolder, m_records.openFiles()))
                                  .filePath(m_shownTable() == Table::Records
                                                ? QStringLiteral("записи.pdf")
                                                : QStringLiteral("ученики.pdf")));
    if (toPrinter)
        printer.setOutputFormat(QPrinter::NativeFormat);
    QPrintDialog dialog(&printer, m_window);
    dialog.setWindowTitle(m_shownTable() == Table::Records ? QStringLiteral("Печать записей")
                                                           : QStringLiteral("Печать учеников"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString problem = print(printer);
    if (!problem.isEmpty())
        showProblem(problem);
}

QString JournalOutputs::print(QPrinter &printer)
{
    const bool reversed = printer.pageOrder() == QPrinter::LastPageFirst;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // The printer would write the file itself, in place, over whatever the name leads to.
        const QPageLayout layout = printer.pageLayout();
        const int resolution = printer.resolution();
        const int first = printer.fromPage();
        const int last = printer.toPage();
        return writePdf(printer.outputFileName(), [&](JournalReport &report, QIODevice &file) {
            return report.writePdf(file, layout, resolution, first, last, reversed);
        });
    }
    // Made anew: the table may have grown while the dialog was open.
    JournalReport printed = report();
    if (!withProgress(printed,
                      [&] {
                          return printed.print(printer, printer.fromPage(), printer.toPage(),
                                               reversed);
                      }) &&
        !printed.stopped())
        return QStringLiteral("Не удалось напечатать таблицу.");
    return {};
}

bool JournalOutputs::withProgress(const QString &label,
                                  const std::function<bool(const Progress &)> &work)
{
    QProgressDialog progress(label, QStringLiteral("Остановить"), 0, 1000, m_window);
    progress.setWindowTitle(QStringLiteral("Журнал результатов"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    m_reporting = true;
    const bool done = work([&progress](qint64 done, qint64 total) {
        progress.setValue(int(done * 1000 / std::max<qint64>(total, 1)));
        return !progress.wasCanceled();
    });
    m_reporting = false;
    progress.reset();
    emit reportDone();
    return done;
}

bool JournalOutputs::withProgress(JournalReport &report, const std::function<bool()> &work)
{
    return withProgress(QStringLiteral("Таблица готовится к печати…"),
                        [&](const Progress &progress) {
                            report.setProgress(progress);
                            return work();
                        });
}

void JournalOutputs::copy(const QTableView &view)
{
    const TableWriter::Rows rows = TableWriter::selectedRows(view.selectionModel()->selection());
    const qint64 count = TableWriter::count(rows);
    if (count > kMostCopied) {
        const QLocale russian(QLocale::Russian);
        QString text = QStringLiteral("Выделено строк: %1. За раз копируется не больше %2 строк: "
                                      "выделите меньше")
                           .arg(russian.toString(count), russian.toString(kMostCopied));
        if (view.model() == &m_recordsShown || view.model() == &m_pupilsShown)
            text += QStringLiteral(" или сохраните таблицу в CSV (меню «Файл»)");
        showProblem(text + u'.');
        return;
    }
    const QString text = TableWriter::copiedRows(*view.model(), rows);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

// A path in the text is plain text, whatever it holds.
void JournalOutputs::showProblem(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Журнал результатов"), text,
                    QMessageBox::Ok, m_window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
