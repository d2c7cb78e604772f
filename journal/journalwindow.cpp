#include "journalwindow.h"

#include "chartpage.h"
#include "classmenu.h"
#include "filemenu.h"
#include "filepath.h"
#include "filterswitches.h"
#include "flowrow.h"
#include "journalfilter.h"
#include "journalloader.h"
#include "journalstatus.h"
#include "journalsummary.h"
#include "newrecords.h"
#include "periodbar.h"
#include "plaintext.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "resourcelimits.h"
#include "skippedmodel.h"
#include "tablecolumns.h"
#include "tablemenus.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <new>

namespace {

// The records are the first tab; the pupils and the chart follow.
constexpr int kRecordsTab = 0;

// A batch this large is not placed row by row into a sorted table.
constexpr size_t kLargeBatch = 1000;
// The file column fits its names up to this width; a longer one is cut, its tooltip whole.
constexpr int kWidestFile = 320;
// The size the window opens at where the screen has room for it.
constexpr QSize kFirstSize(1100, 680);
// Room left on the screen for the frame a window manager adds, before the window is shown.
constexpr QSize kFrame(16, 48);

} // namespace

JournalWindow::JournalWindow(QWidget *parent)
    : QMainWindow(parent), m_records(new RecordsModel(this)),
      m_pupils(new PupilsModel(*m_records, this)), m_skipped(new SkippedModel(*m_records, this)),
      m_recordsFilter(new JournalFilter(*m_records, this)),
      m_pupilsFilter(new JournalFilter(*m_pupils, this)), m_loader(new JournalLoader)
{
    setWindowTitle(QStringLiteral("Журнал результатов"));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    // Made in the order the Tab key goes: the search row, then the tabs.
    layout->addLayout(buildSearchRow(central));
    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setAccessibleName(QStringLiteral("Таблицы и диаграмма"));
    QWidget *recordsPage = buildRecordsPage();
    m_pupilsView = TableColumns::makeTable(*m_pupilsFilter, QStringLiteral("pupils"),
                                           QStringLiteral("Ученики"), PupilsModel::Name, m_tabs);
    TableColumns::fit(*m_pupilsView, PupilsModel::Attempts, QStringLiteral("нет попыток"));
    auto *chartPage = new ChartPage(*m_pupilsFilter, m_tabs);
    m_chart = chartPage->chart();
    m_tabs->addTab(recordsPage, QStringLiteral("Записи"));
    m_tabs->addTab(m_pupilsView, QStringLiteral("Ученики"));
    m_tabs->addTab(chartPage, QStringLiteral("Диаграмма"));
    layout->addWidget(m_tabs, 1);
    setCentralWidget(central);
    // Double-click or Enter on a pupil: their attempts.
    connect(m_pupilsView, &QAbstractItemView::activated, this, &JournalWindow::showPupil);

    m_skippedDock = new QDockWidget(QStringLiteral("Пропущенные строки"), this);
    m_skippedDock->setObjectName(QStringLiteral("skippedDock"));
    auto *skippedView = TableColumns::makeTable(*m_skipped, QStringLiteral("skipped"),
                                                QStringLiteral("Пропущенные строки"),
                                                SkippedModel::Text, m_skippedDock);
    skippedView->setSortingEnabled(false);
    TableColumns::fit(*skippedView, SkippedModel::Line, QStringLiteral("0000000"));
    skippedView->horizontalHeader()->resizeSection(
        SkippedModel::Reason, skippedView->fontMetrics().horizontalAdvance(
                                  QStringLiteral("оценка «Двойной» — слишком большое число")));
    m_skippedDock->setWidget(skippedView);
    addDockWidget(Qt::BottomDockWidgetArea, m_skippedDock);
    resizeDocks({m_skippedDock}, {160}, Qt::Vertical);
    m_skippedDock->hide();
    m_recordsView->installEventFilter(this);

    m_outputs = new JournalOutputs(
        *m_records, *m_recordsFilter, *m_pupilsFilter,
        [this] { return m_tabs->currentIndex() == kRecordsTab ? Table::Records : Table::Pupils; },
        this);
    connect(m_outputs, &JournalOutputs::reportDone, this, &JournalWindow::applyHeld);
    m_classMenu = new ClassMenu(*m_pupils, *m_records, this);
    m_outputs->setShown([this] {
        return OutputTitle{.period = m_periodBar->description(),
                           .className = m_pupils->classList().name(),
                           .search = m_search->text(),
                           .pupil = m_pupil.isEmpty() ? QString() : m_pupilName->text(),
                           .doubtfulOnly = m_recordsFilter->doubtfulOnly(),
                           .absentOnly = m_pupilsFilter->absentOnly(),
                           .doubtfulCounted = m_pupils->countsDoubtful()};
    });
    auto *menus = new TableMenus(*m_recordsView, *m_pupilsView, {skippedView}, *m_tabs, *m_outputs,
                                 *m_classMenu);
    connect(menus, &TableMenus::pupilChosen, this, &JournalWindow::showPupil);
    m_fileMenu = new FileMenu(*m_records, *m_outputs, *this);
    connect(m_fileMenu, &FileMenu::openWanted, this, &JournalWindow::openFiles);
    connect(m_fileMenu, &FileMenu::closeWanted, this, &JournalWindow::closeFile);
    menus->addTo(*menuBar());
    QMenu *view = menuBar()->addMenu(QStringLiteral("&Вид"));
    m_classMenu->addTo(*menuBar());
    m_status = new JournalStatus(*statusBar(), *m_records, *m_newRecords, *m_skippedDock);
    m_status->addTo(*view);
    connect(m_status, &JournalStatus::cancelWanted, this, [this] { m_loader->cancel(); });

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
        connect(model, &QAbstractItemModel::dataChanged, &m_summaryLater,
                qOverload<>(&QTimer::start));
    }

    m_loader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
    connect(m_loader, &JournalLoader::batchReady, this, &JournalWindow::apply);
    connect(m_loader, &JournalLoader::progress, this, [this](int file, qint64 done, qint64 size) {
        m_status->showProgress(file,
                               size > 0 ? int(std::min<qint64>(1000, done * 1000 / size)) : 0);
    });
    connect(m_loader, &JournalLoader::fileStateChanged, m_status, &JournalStatus::noteFileState);
    connect(m_loader, &JournalLoader::lockWaited, m_status, &JournalStatus::showLockWait);
    connect(m_loader, &JournalLoader::lookDone, this, &JournalWindow::finishLook);
    connect(
        &m_thread, &QThread::finished, this,
        [this] {
            if (m_thread.outOfMemory)
                throw std::bad_alloc();
        },
        Qt::QueuedConnection);
    m_thread.start();
    // The system makes no thread without memory for its stack.
    if (!m_thread.isRunning())
        throw std::bad_alloc();
    QMetaObject::invokeMethod(m_loader, &JournalLoader::follow, Qt::QueuedConnection);
    updateSummary();
    updateTitle();
    fitTo(screen()->availableGeometry());
}

JournalWindow::~JournalWindow()
{
    // A thread that ended early (memory ran out on it) took the loader with it.
    if (m_thread.isRunning())
        m_loader->cancel();
    m_thread.quit();
    m_thread.wait();
}

void JournalWindow::ReadingThread::run()
{
    try {
        exec();
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
}

// The search, the period and the filters' switches in a row, which wraps in a narrow window.
QLayout *JournalWindow::buildSearchRow(QWidget *central)
{
    auto *search = new QWidget(central);
    auto *label = new QLabel(QStringLiteral("&Ученик:"), search);
    m_search = new QLineEdit(search);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(QStringLiteral("часть имени"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this); // Escape clears it
    label->setBuddy(m_search);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, m_search, [this] { m_search->setFocus(); });
    // Typing searches the whole class again, one pupil's attempts shown or not.
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        leavePupil();
        m_recordsFilter->setNameFilter(text);
        m_pupilsFilter->setNameFilter(text);
    });
    // Every table, the chart, the print and the saves count the period's records alone.
    m_periodBar = new PeriodBar(central);
    connect(m_periodBar, &PeriodBar::periodChanged, m_records, &RecordsModel::setPeriod);
    m_search->setMinimumWidth(m_search->fontMetrics().averageCharWidth() * 12);
    auto *searchRow = new QHBoxLayout(search);
    searchRow->setContentsMargins(0, 0, 12, 0);
    searchRow->addWidget(label);
    searchRow->addWidget(m_search, 1);
    search->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *switches = new FilterSwitches(*m_recordsFilter, *m_pupilsFilter, *m_pupils, central);
    connect(switches, &FilterSwitches::pupilsWanted, this, [this] {
        if (m_tabs->currentIndex() == kRecordsTab)
            m_tabs->setCurrentWidget(m_pupilsView);
    });
    auto *row = new FlowRow;
    row->setSpacing(6);
    row->addWidget(search);
    row->addWidget(m_periodBar);
    row->addWidget(switches);
    return row;
}

void JournalWindow::setPeriod(qint64 from, qint64 until)
{
    m_periodBar->setDates(from, until);
}

// The records, under a bar that names the pupil while they are one pupil's.
QWidget *JournalWindow::buildRecordsPage()
{
    auto *page = new QWidget(m_tabs);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pupilBar = new QWidget(page);
    m_pupilBar->setObjectName(QStringLiteral("pupilBar"));
    auto *bar = new QHBoxLayout(m_pupilBar);
    bar->setContentsMargins(6, 6, 6, 0);
    m_pupilName = new QLabel(m_pupilBar);
    m_pupilName->setObjectName(QStringLiteral("pupilName"));
    m_pupilName->setTextFormat(Qt::PlainText);
    // A long name is cut by the window rather than widening it.
    m_pupilName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *all = new QPushButton(QStringLiteral("Все ученики"), m_pupilBar);
    all->setObjectName(QStringLiteral("allPupils"));
    all->setToolTip(QStringLiteral("Вернуться к списку учеников (Esc)"));
    connect(all, &QPushButton::clicked, this, [this] {
        leavePupil();
        m_tabs->setCurrentWidget(m_pupilsView);
        m_pupilsView->setFocus();
    });
    bar->addWidget(m_pupilName, 1);
    bar->addWidget(all);
    layout->addWidget(m_pupilBar);
    m_newRecords = new NewRecords(*m_records, *m_recordsFilter, page);
    connect(m_newRecords, &NewRecords::shown, this, [this] {
        leavePupil();
        m_tabs->setCurrentIndex(kRecordsTab);
        m_recordsView->setFocus();
    });
    layout->addWidget(m_newRecords->bar());
    m_recordsView = TableColumns::makeTable(*m_recordsFilter, QStringLiteral("records"),
                                            QStringLiteral("Записи"), RecordsModel::Name, page);
    TableColumns::fit(*m_recordsView, RecordsModel::Line, QStringLiteral("0000000"));
    TableColumns::fit(*m_recordsView, RecordsModel::When, QStringLiteral("≈ 00.00.0000 00:00"));
    TableColumns::fit(*m_recordsView, RecordsModel::Host, QStringLiteral("компьютер-00"));
    layout->addWidget(m_recordsView, 1);
    m_pupilBar->hide();
    return page;
}

// The file column as wide as the names of the files open.
void JournalWindow::fitColumns()
{
    const QFontMetrics metrics = m_recordsView->fontMetrics();
    int widest = 0;
    for (int file = 0; file < m_records->fileCount(); ++file) {
        if (m_records->isOpen(file))
            widest = std::max(widest, metrics.horizontalAdvance(m_records->fileLabel(file)));
    }
    for (QTableView *view : {m_recordsView, m_skippedDock->findChild<QTableView *>()}) {
        const int column = view == m_recordsView ? int(RecordsModel::File) : SkippedModel::File;
        view->horizontalHeader()->resizeSection(
            column,
            std::max(TableColumns::width(*view, column, {}), std::min(widest + 16, kWidestFile)));
    }
}

// Shows the pupil's records alone (the same folded name, not every name that holds it) in the
// order of the files and their lines; the search is cleared, as it would hide some of them.
void JournalWindow::showPupil(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int pupil = m_pupilsFilter->mapToSource(index).row();
    leavePupil();
    m_newRecords->leave();
    m_search->clear();
    m_sortBeforePupil = m_recordsFilter->sortColumn();
    m_orderBeforePupil = m_recordsFilter->sortOrder();
    m_pupil = m_pupils->foldedName(pupil);
    m_recordsFilter->setNamesFilter(m_pupils->foldedNames(pupil));
    // Rows of one file keep the order they were read in.
    m_recordsView->sortByColumn(RecordsModel::File, Qt::AscendingOrder);
    const QString name = m_pupils->pupil(pupil).name;
    m_pupilName->setText(QStringLiteral("Попытки: %1").arg(name));
    m_pupilName->setToolTip(PlainText::html(name));
    m_pupilBar->show();
    m_tabs->setCurrentIndex(kRecordsTab);
    m_recordsView->setFocus();
}

// The records of the whole class again, sorted as before.
void JournalWindow::leavePupil()
{
    if (m_pupil.isEmpty())
        return;
    m_pupil.clear();
    m_pupilBar->hide();
    m_recordsFilter->setNameFilter(m_search->text());
    m_recordsView->sortByColumn(m_sortBeforePupil, m_orderBeforePupil);
}

bool JournalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_search && key->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
        m_search->clear();
        return true;
    }
    if (watched == m_recordsView && key->key() == Qt::Key_Escape && !m_pupil.isEmpty()) {
        m_pupilBar->findChild<QPushButton *>()->click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void JournalWindow::openFiles(const QStringList &paths)
{
    // A file opened twice would show each of its records twice.
    QStringList absolute;
    for (const QString &path : paths)
        absolute << FilePath::absolute(path);
    const QStringList taken = FilePath::withoutRepeats(absolute, m_records->openFiles())
                                  .mid(0, JournalLoader::kMaxFiles - m_records->fileCount());
    if (taken.isEmpty())
        return;
    m_records->addFiles(taken);
    QMetaObject::invokeMethod(
        m_loader, [loader = m_loader, taken] { loader->addFiles(taken); }, Qt::QueuedConnection);
    fitColumns();
    updateTitle();
}

void JournalWindow::closeFile(int file)
{
    if (file < 0 || file >= m_records->fileCount() || !m_records->isOpen(file))
        return;
    m_records->closeFile(file);
    m_skipped->dropFile(file);
    QMetaObject::invokeMethod(
        m_loader, [loader = m_loader, file] { loader->closeFile(file); }, Qt::QueuedConnection);
    m_status->dropFile(file);
    fitColumns();
    updateTitle();
    updateSummary();
}

void JournalWindow::updateTitle()
{
    QList<int> open;
    for (int file = 0; file < m_records->fileCount(); ++file) {
        if (m_records->isOpen(file))
            open << file;
    }
    m_fileMenu->update();
    if (open.isEmpty()) {
        setWindowTitle(QStringLiteral("Журнал результатов"));
        return;
    }
    // "[*]" in a window title marks where a star goes; doubled, it shows as written.
    const QString label = open.size() == 1
                              ? QString(m_records->fileLabel(open.front()))
                                    .replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"))
                              : QStringLiteral("файлов: %1").arg(open.size());
    setWindowTitle(QStringLiteral("Журнал результатов — %1").arg(label));
}

void JournalWindow::apply(const std::shared_ptr<JournalBatch> &batch)
{
    // Memory running short ends the journal as a failed allocation does, with a box (see the
    // journal's main()), before a part of Qt meets one, which it would not survive.
    if (!ResourceLimits::spareMemory(ResourceLimits::kWindowMemory))
        throw std::bad_alloc();
    // A report reads the rows it measured again when it paints them.
    if (m_outputs->reporting()) {
        m_heldBatches.push_back(batch);
        return;
    }
    if (batch->records.size() >= kLargeBatch && m_recordsFilter->sortColumn() >= 0) {
        m_heldSortColumn = m_recordsFilter->sortColumn();
        m_heldSortOrder = m_recordsFilter->sortOrder();
        m_recordsView->sortByColumn(-1, Qt::AscendingOrder);
    }
    // The models take nothing more of a file closed meanwhile.
    m_records->apply(*batch);
    m_skipped->apply(*batch);
    m_loader->batchTaken(batch);
}

void JournalWindow::finishLook()
{
    m_status->hideProgress();
    if (m_heldSortColumn >= 0) {
        m_recordsView->sortByColumn(m_heldSortColumn, m_heldSortOrder);
        m_heldSortColumn = -1;
    }
    updateSummary();
    emit lookDone();
}

void JournalWindow::updateSummary()
{
    m_summaryLater.stop();
    m_status->setSummary(
        JournalSummary::text(*m_records, *m_recordsFilter, *m_pupils, *m_pupilsFilter),
        m_skipped->rowCount());
    m_newRecords->update();
    // The names' columns as wide as the longest name.
    const int widest = TableColumns::widestName(*m_pupilsView, *m_pupils, PupilsModel::Name);
    for (QTableView *view : {m_recordsView, m_pupilsView})
        TableColumns::of(*view).setWidestName(widest);
}

void JournalWindow::setClassList(const ClassList &list)
{
    m_classMenu->setClassList(list);
}

bool JournalWindow::saveCsv(Table table, const QString &path, QString *problem)
{
    return m_outputs->saveCsv(table, path, problem);
}

JournalReport JournalWindow::report() const
{
    return m_outputs->report();
}

void JournalWindow::applyHeld()
{
    for (const std::shared_ptr<JournalBatch> &batch : std::exchange(m_heldBatches, {}))
        apply(batch);
}

void JournalWindow::fitTo(const QRect &available)
{
    const QSize room = available.size() - kFrame;
    resize(kFirstSize.boundedTo(room).expandedTo(minimumSizeHint()));
    move(available.topLeft() + QPoint(std::max(0, (room.width() - width()) / 2),
                                      std::max(0, (room.height() - height()) / 2)));
}
