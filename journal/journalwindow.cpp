#include "journalwindow.h"

#include "csvfile.h"
#include "csvwriter.h"
#include "filepath.h"
#include "journalfilter.h"
#include "journalloader.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "skippedmodel.h"

#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// A batch this large is not placed row by row into a sorted table.
constexpr size_t kLargeBatch = 1000;

QTableView *makeTable(QAbstractItemModel &model, const QString &name, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(&model);
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    // Rows of one height, so that a million of them cost nothing to lay out.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Numbers take the width of their heading; the first column, a name, that of a long one.
    view->resizeColumnsToContents();
    header->resizeSection(
        0, view->fontMetrics().horizontalAdvance(QStringLiteral("Кузнецова Мария Ивановна")));
    return view;
}

} // namespace

JournalWindow::JournalWindow(QWidget *parent)
    : QMainWindow(parent), m_records(new RecordsModel(this)),
      m_pupils(new PupilsModel(*m_records, this)), m_skipped(new SkippedModel(*m_records, this)),
      m_recordsFilter(new JournalFilter(*m_records, this)),
      m_pupilsFilter(new JournalFilter(*m_pupils, this)), m_loader(new JournalLoader)
{
    setWindowTitle(QStringLiteral("Журнал результатов"));
    resize(1000, 680);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    auto *searchRow = new QHBoxLayout;
    auto *searchLabel = new QLabel(QStringLiteral("&Ученик:"), central);
    m_search = new QLineEdit(central);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(QStringLiteral("часть имени"));
    m_search->setClearButtonEnabled(true);
    searchLabel->setBuddy(m_search);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, m_search, [this] { m_search->setFocus(); });
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    layout->addLayout(searchRow);

    m_tabs = new QTabWidget(central);
    m_recordsView = makeTable(*m_recordsFilter, QStringLiteral("records"), m_tabs);
    m_pupilsView = makeTable(*m_pupilsFilter, QStringLiteral("pupils"), m_tabs);
    m_chart = new PupilsChart(*m_pupilsFilter, m_tabs);
    m_chart->setObjectName(QStringLiteral("chart"));
    auto *chartArea = new QScrollArea(m_tabs);
    chartArea->setWidget(m_chart);
    chartArea->setWidgetResizable(true);
    chartArea->setFrameShape(QFrame::NoFrame);
    m_tabs->addTab(m_recordsView, QStringLiteral("Записи"));
    m_tabs->addTab(m_pupilsView, QStringLiteral("Ученики"));
    m_tabs->addTab(chartArea, QStringLiteral("Диаграмма"));
    layout->addWidget(m_tabs, 1);
    setCentralWidget(central);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_recordsFilter->setNameFilter(text);
        m_pupilsFilter->setNameFilter(text);
    });

    m_skippedDock = new QDockWidget(QStringLiteral("Пропущенные строки"), this);
    m_skippedDock->setObjectName(QStringLiteral("skippedDock"));
    auto *skippedView = makeTable(*m_skipped, QStringLiteral("skipped"), m_skippedDock);
    skippedView->setSortingEnabled(false);
    skippedView->horizontalHeader()->setStretchLastSection(true); // the reason
    skippedView->horizontalHeader()->resizeSection(
        SkippedModel::Line,
        skippedView->fontMetrics().horizontalAdvance(QStringLiteral("Строка 0000000")));
    m_skippedDock->setWidget(skippedView);
    addDockWidget(Qt::BottomDockWidgetArea, m_skippedDock);
    resizeDocks({m_skippedDock}, {160}, Qt::Vertical);
    m_skippedDock->hide();

    buildMenus();
    buildStatusBar();

    m_summaryLater.setSingleShot(true);
    m_summaryLater.setInterval(100);
    connect(&m_summaryLater, &QTimer::timeout, this, &JournalWindow::updateSummary);
    for (QAbstractItemModel *model : {static_cast<QAbstractItemModel *>(m_recordsFilter),
                                      static_cast<QAbstractItemModel *>(m_pupilsFilter),
                                      static_cast<QAbstractItemModel *>(m_skipped)}) {
        connect(model, &QAbstractItemModel::rowsInserted, &m_summaryLater,
                qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::rowsRemoved, &m_summaryLater,
                qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::modelReset, &m_summaryLater,
                qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::layoutChanged, &m_summaryLater,
                qOverload<>(&QTimer::start));
    }

    m_loader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
    connect(m_loader, &JournalLoader::batchReady, this, &JournalWindow::apply);
    connect(m_loader, &JournalLoader::progress, this, &JournalWindow::showProgress);
    connect(m_loader, &JournalLoader::fileStateChanged, this, &JournalWindow::noteFileState);
    connect(m_loader, &JournalLoader::lookDone, this, &JournalWindow::finishLook);
    m_thread.start();
    QMetaObject::invokeMethod(m_loader, &JournalLoader::follow, Qt::QueuedConnection);
    updateSummary();
}

JournalWindow::~JournalWindow()
{
    m_loader->cancel();
    m_thread.quit();
    m_thread.wait();
}

void JournalWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Файл"));
    file->addAction(QStringLiteral("&Открыть…"), QKeySequence::Open, this,
                    &JournalWindow::chooseFilesToOpen);
    file->addSeparator();
    file->addAction(QStringLiteral("Сохранить &записи в CSV…"), this,
                    [this] { chooseCsv(Table::Records); });
    file->addAction(QStringLiteral("Сохранить &учеников в CSV…"), this,
                    [this] { chooseCsv(Table::Pupils); });
    // The records or the pupils, from the tab shown; the chart's tab prints its pupils.
    QAction *pdf =
        file->addAction(QStringLiteral("Сохранить в &PDF…"), this, &JournalWindow::saveTablePdf);
    pdf->setStatusTip(QStringLiteral(
        "Сохранить в PDF таблицу открытой вкладки: записи или учеников (с диаграммы — учеников)"));
    QAction *print = file->addAction(QStringLiteral("&Печать…"), QKeySequence::Print, this,
                                     &JournalWindow::printTable);
    print->setStatusTip(QStringLiteral(
        "Напечатать таблицу открытой вкладки: записи или учеников (с диаграммы — учеников)"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Закрыть"), QKeySequence::Close, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&Вид"));
    QAction *skipped = m_skippedDock->toggleViewAction();
    skipped->setText(QStringLiteral("&Пропущенные строки"));
    view->addAction(skipped);
}

void JournalWindow::buildStatusBar()
{
    // Labels that show file names and the reasons a file was not read: plain text, whatever
    // the name.
    m_summary = new QLabel(this);
    m_summary->setTextFormat(Qt::PlainText);
    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("problems"));
    m_problems->setTextFormat(Qt::PlainText);
    m_skippedButton = new QPushButton(this);
    m_skippedButton->setFlat(true);
    m_skippedButton->setToolTip(QStringLiteral("Показать пропущенные строки"));
    connect(m_skippedButton, &QPushButton::clicked, m_skippedDock, &QWidget::show);
    m_reading = new QLabel(this);
    m_reading->setObjectName(QStringLiteral("reading"));
    m_reading->setTextFormat(Qt::PlainText);
    // The bar's own text would take "%p" or "%v" in a file's name for a number.
    m_progress = new QProgressBar(this);
    m_progress->setMaximumWidth(200);
    m_progress->setRange(0, 1000);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_cancel = new QPushButton(QStringLiteral("Отменить"), this);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_loader->cancel(); });
    statusBar()->addWidget(m_summary);
    statusBar()->addWidget(m_skippedButton);
    statusBar()->addWidget(m_problems, 1);
    statusBar()->addPermanentWidget(m_reading);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_cancel);
    m_reading->hide();
    m_progress->hide();
    m_cancel->hide();
}

void JournalWindow::openFiles(const QStringList &paths)
{
    // A file opened twice would show each of its records twice.
    QStringList taken;
    for (const QString &path : paths) {
        const QString absolute = FilePath::absolute(path);
        if (!m_records->files().contains(absolute) && !taken.contains(absolute) &&
            m_records->files().size() + taken.size() < JournalLoader::kMaxFiles)
            taken.append(absolute);
    }
    if (taken.isEmpty())
        return;
    m_records->addFiles(taken);
    m_fileProblems.resize(m_records->files().size());
    QMetaObject::invokeMethod(
        m_loader, [loader = m_loader, taken] { loader->addFiles(taken); }, Qt::QueuedConnection);
    // "[*]" in a window title marks where a star goes; doubled, it shows as written.
    const QString label = m_records->files().size() == 1
                              ? QString(m_records->fileLabel(0))
                                    .replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"))
                              : QStringLiteral("файлов: %1").arg(m_records->files().size());
    setWindowTitle(QStringLiteral("Журнал результатов — %1").arg(label));
}

void JournalWindow::apply(const std::shared_ptr<JournalBatch> &batch)
{
    if (batch->records.size() >= kLargeBatch && m_recordsFilter->sortColumn() >= 0) {
        m_heldSortColumn = m_recordsFilter->sortColumn();
        m_heldSortOrder = m_recordsFilter->sortOrder();
        m_recordsView->sortByColumn(-1, Qt::AscendingOrder);
    }
    m_records->apply(*batch);
    m_skipped->apply(*batch);
    m_loader->batchTaken(batch);
}

void JournalWindow::showProgress(int file, qint64 done, qint64 size)
{
    m_progress->setValue(size > 0 ? int(std::min<qint64>(1000, done * 1000 / size)) : 0);
    m_reading->setText(m_records->fileLabel(file));
    m_reading->show();
    m_progress->show();
    m_cancel->show();
}

void JournalWindow::finishLook()
{
    m_reading->hide();
    m_progress->hide();
    m_cancel->hide();
    if (m_heldSortColumn >= 0) {
        m_recordsView->sortByColumn(m_heldSortColumn, m_heldSortOrder);
        m_heldSortColumn = -1;
    }
    updateSummary();
    emit lookDone();
}

void JournalWindow::noteFileState(int file, FileFollower::State state, const QString &problem,
                                  TextEncoding encoding)
{
    QString &note = m_fileProblems[file];
    const QString name = m_records->fileLabel(file);
    switch (state) {
    case FileFollower::State::Missing:
        note = QStringLiteral("«%1»: файл не найден").arg(name);
        break;
    case FileFollower::State::Unreadable:
    case FileFollower::State::Cancelled:
        note = QStringLiteral("«%1»: %2").arg(name, problem);
        break;
    default:
        // The pupils' programs write Windows-1251: a file in another encoding came from
        // elsewhere, and its names are read otherwise.
        note = encoding == TextEncoding::Utf8 ? QStringLiteral("«%1»: в кодировке UTF-8").arg(name)
                                              : QString();
    }
    QStringList notes;
    for (const QString &each : std::as_const(m_fileProblems)) {
        if (!each.isEmpty())
            notes.append(each);
    }
    m_problems->setText(notes.join(QStringLiteral("; ")));
}

void JournalWindow::updateSummary()
{
    m_summaryLater.stop();
    const int records = m_recordsFilter->rowCount();
    const int pupils = m_pupilsFilter->rowCount();
    QString summary = QStringLiteral("Записей: %1").arg(records);
    if (records != m_records->rowCount())
        summary += QStringLiteral(" из %1").arg(m_records->rowCount());
    summary += QStringLiteral(" · учеников: %1").arg(pupils);
    m_summary->setText(summary);
    const int skipped = m_skipped->rowCount();
    m_skippedButton->setText(QStringLiteral("Пропущено строк: %1").arg(skipped));
    m_skippedButton->setVisible(skipped > 0);
}

void JournalWindow::chooseFilesToOpen()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Открыть файлы результатов"), QDir::homePath(),
        QStringLiteral("Файлы результатов (*.txt);;Все файлы (*)"));
    openFiles(paths);
}

bool JournalWindow::saveCsv(Table table, const QString &path, QString *problem)
{
    CsvFile file;
    if (file.start(path, m_records->files()) != CsvFile::Opened::Yes) {
        if (problem)
            *problem = file.errorString();
        return false;
    }
    CsvWriter csv(file);
    const JournalFilter &filter = table == Table::Records ? *m_recordsFilter : *m_pupilsFilter;
    const int columns = filter.columnCount();
    for (int column = 0; column < columns; ++column)
        csv.addText(filter.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    csv.endRow();
    for (int row = 0; row < filter.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QString value = filter.index(row, column).data().toString();
            // Names and file names are typed by people; every other cell is made here.
            const bool typed = table == Table::Records
                                   ? column == RecordsModel::Name || column == RecordsModel::File
                                   : column == PupilsModel::Name;
            csv.addField(typed ? CsvWriter::textField(value) : CsvWriter::plainField(value));
        }
        csv.endRow();
    }
    if (!csv.finish() || !file.commit()) {
        if (problem)
            *problem = file.errorString();
        return false;
    }
    return true;
}

void JournalWindow::chooseCsv(Table table)
{
    const QString suggested =
        table == Table::Records ? QStringLiteral("записи.csv") : QStringLiteral("ученики.csv");
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в CSV"),
                                                      QDir::home().filePath(suggested),
                                                      QStringLiteral("Таблица CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QString problem;
    if (!saveCsv(table, path, &problem))
        showProblem(
            QStringLiteral("Не удалось сохранить файл %1: %2").arg(FilePath::shown(path), problem));
}

// A path in the text is plain text, whatever it holds.
void JournalWindow::showProblem(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Журнал результатов"), text,
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool JournalWindow::recordsShown() const
{
    return m_tabs->currentWidget() == m_recordsView;
}

JournalReport JournalWindow::report() const
{
    QStringList files;
    for (int file = 0; file < m_records->files().size(); ++file)
        files << m_records->fileLabel(file);
    return recordsShown() ? JournalReport(*m_recordsFilter, QStringLiteral("записи"), files,
                                          QDateTime::currentDateTime())
                          : JournalReport(*m_pupilsFilter, QStringLiteral("ученики"), files,
                                          QDateTime::currentDateTime());
}

void JournalWindow::printTable()
{
    QPrinter printer(QPrinter::HighResolution);
    // The dialog offers the turn that suits the table; the person may choose the other.
    printer.setPageOrientation(report().orientation(printer));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(recordsShown() ? QStringLiteral("Печать записей")
                                         : QStringLiteral("Печать учеников"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Made anew: the table may have grown while the dialog was open.
    if (!report().print(printer, printer.fromPage(), printer.toPage(),
                        printer.pageOrder() == QPrinter::LastPageFirst))
        showProblem(QStringLiteral("Не удалось напечатать таблицу."));
}

void JournalWindow::saveTablePdf()
{
    const QString suggested =
        recordsShown() ? QStringLiteral("записи.pdf") : QStringLiteral("ученики.pdf");
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в PDF"),
                                                      QDir::home().filePath(suggested),
                                                      QStringLiteral("Документ PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    // Written whole or not at all, and never over a results file, as a CSV table is.
    CsvFile file;
    if (file.start(path, m_records->files()) != CsvFile::Opened::Yes || !report().writePdf(file) ||
        !file.commit())
        showProblem(QStringLiteral("Не удалось сохранить файл %1: %2")
                        .arg(FilePath::shown(path), file.errorString()));
}
