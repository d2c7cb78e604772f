#include "journalwindow.h"

#include "chartpage.h"
#include "classmenu.h"
#include "filepath.h"
#include "filterswitches.h"
#include "journalfilter.h"
#include "journalloader.h"
#include "journalsummary.h"
#include "newrecords.h"
#include "periodbar.h"
#include "plaintext.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "rememberedfolder.h"
#include "resourcelimits.h"
#include "skippedmodel.h"
#include "tablemenus.h"

#include <QDockWidget>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
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

// A column as wide as the longest line of its heading, or as `sample`, with room for the mark
// of the sort.
int columnWidth(const QTableView &view, int column, const QString &sample)
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

// `stretched` takes the width the other columns leave, and shrinks in a narrow window.
QTableView *makeTable(QAbstractItemModel &model, const QString &name, int stretched,
                      QWidget *parent)
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
    // Numbers take the width of their heading, or of a total.
    for (int column = 0; column < model.columnCount(); ++column)
        header->resizeSection(column, columnWidth(*view, column, QStringLiteral("00,000")));
    // And those that come later, as the class list's.
    QObject::connect(header, &QHeaderView::sectionCountChanged, view, [view](int old, int count) {
        for (int column = old; column < count; ++column)
            view->horizontalHeader()->resizeSection(column, columnWidth(*view, column, {}));
    });
    header->setSectionResizeMode(stretched, QHeaderView::Stretch);
    return view;
}

void fitLineColumn(QTableView &view, int column)
{
    view.horizontalHeader()->resizeSection(column,
                                           columnWidth(view, column, QStringLiteral("0000000")));
}

} // namespace

JournalWindow::JournalWindow(QWidget *parent)
    : QMainWindow(parent), m_records(new RecordsModel(this)),
      m_pupils(new PupilsModel(*m_records, this)), m_skipped(new SkippedModel(*m_records, this)),
      m_recordsFilter(new JournalFilter(*m_records, this)),
      m_pupilsFilter(new JournalFilter(*m_pupils, this)), m_loader(new JournalLoader)
{
    setWindowTitle(QStringLiteral("Журнал результатов"));
    resize(1100, 680);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(buildSearchRow(central));

    m_tabs = new QTabWidget(central);
    // The filters' switches beside the tabs they filter, where the search row has no room.
    auto *switches = new FilterSwitches(*m_recordsFilter, *m_pupilsFilter, *m_pupils, m_tabs);
    m_tabs->setCornerWidget(switches);
    connect(switches, &FilterSwitches::pupilsWanted, this, [this] {
        if (m_tabs->currentIndex() == kRecordsTab)
            m_tabs->setCurrentWidget(m_pupilsView);
    });
    QWidget *recordsPage = buildRecordsPage();
    m_pupilsView = makeTable(*m_pupilsFilter, QStringLiteral("pupils"), PupilsModel::Name, m_tabs);
    m_pupilsView->horizontalHeader()->resizeSection(
        PupilsModel::Attempts,
        columnWidth(*m_pupilsView, PupilsModel::Attempts, QStringLiteral("нет попыток")));
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
    auto *skippedView =
        makeTable(*m_skipped, QStringLiteral("skipped"), SkippedModel::Text, m_skippedDock);
    skippedView->setSortingEnabled(false);
    fitLineColumn(*skippedView, SkippedModel::Line);
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
    buildMenus(*menus);
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
        connect(model, &QAbstractItemModel::dataChanged, &m_summaryLater,
                qOverload<>(&QTimer::start));
    }

    m_loader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
    connect(m_loader, &JournalLoader::batchReady, this, &JournalWindow::apply);
    connect(m_loader, &JournalLoader::progress, this, &JournalWindow::showProgress);
    connect(m_loader, &JournalLoader::fileStateChanged, this, &JournalWindow::noteFileState);
    // While another program holds a file's lock, the table may stay empty: the reason is shown.
    connect(m_loader, &JournalLoader::lockWaited, this, [this](int file, bool waiting) {
        const QString name = m_records->fileLabel(file);
        m_reading->setText(
            waiting ? QStringLiteral("«%1»: файл занят другой программой, жду…").arg(name) : name);
        m_reading->setVisible(waiting || m_progress->isVisible());
    });
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

QLayout *JournalWindow::buildSearchRow(QWidget *central)
{
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("&Ученик:"), central);
    m_search = new QLineEdit(central);
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
    row->addWidget(label);
    row->addWidget(m_search, 1);
    row->addSpacing(12);
    row->addWidget(m_periodBar);
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
    m_recordsView =
        makeTable(*m_recordsFilter, QStringLiteral("records"), RecordsModel::Name, page);
    fitLineColumn(*m_recordsView, RecordsModel::Line);
    QHeaderView *header = m_recordsView->horizontalHeader();
    header->resizeSection(RecordsModel::When, columnWidth(*m_recordsView, RecordsModel::When,
                                                          QStringLiteral("≈ 00.00.0000 00:00")));
    header->resizeSection(RecordsModel::Host, columnWidth(*m_recordsView, RecordsModel::Host,
                                                          QStringLiteral("компьютер-00")));
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
            column, std::max(columnWidth(*view, column, {}), std::min(widest + 16, kWidestFile)));
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

void JournalWindow::buildMenus(TableMenus &tableMenus)
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Файл"));
    file->addAction(QStringLiteral("&Открыть…"), QKeySequence::Open, this,
                    &JournalWindow::chooseFilesToOpen);
    m_closeMenu = file->addMenu(QStringLiteral("Закрыть &файл"));
    m_closeMenu->setObjectName(QStringLiteral("closeFile"));
    connect(m_closeMenu, &QMenu::aboutToShow, this, &JournalWindow::listFilesToClose);
    file->addSeparator();
    m_outputs->addActions(*file);
    file->addSeparator();
    file->addAction(QStringLiteral("&Закрыть"), QKeySequence::Close, this, &QWidget::close);
    tableMenus.addTo(*menuBar());

    QMenu *view = menuBar()->addMenu(QStringLiteral("&Вид"));
    QAction *skipped = m_skippedDock->toggleViewAction();
    skipped->setText(QStringLiteral("&Пропущенные строки"));
    view->addAction(skipped);
    m_classMenu->addTo(*menuBar());
}

// A menu entry for each file open, named as the tables name it.
void JournalWindow::listFilesToClose()
{
    m_closeMenu->clear();
    for (int file = 0; file < m_records->fileCount(); ++file) {
        if (!m_records->isOpen(file))
            continue;
        QString label = m_records->fileLabel(file);
        QAction *action = m_closeMenu->addAction(label.replace(u'&', QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [this, file] { closeFile(file); });
    }
}

void JournalWindow::buildStatusBar()
{
    // Labels that show file names and the reasons a file was not read: plain text, whatever
    // the name.
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
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
    statusBar()->addWidget(m_newRecords->button());
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
    QStringList absolute;
    for (const QString &path : paths)
        absolute << FilePath::absolute(path);
    const QStringList taken = FilePath::withoutRepeats(absolute, m_records->openFiles())
                                  .mid(0, JournalLoader::kMaxFiles - m_records->fileCount());
    if (taken.isEmpty())
        return;
    m_records->addFiles(taken);
    m_fileProblems.resize(m_records->fileCount());
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
    m_fileProblems[file].clear();
    showProblems();
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
    m_closeMenu->menuAction()->setEnabled(!open.isEmpty());
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
                                  FileEncodings encodings)
{
    if (!m_records->isOpen(file))
        return;
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
        // The pupils' programs write Windows-1251: names in another encoding came from
        // elsewhere, and are read otherwise.
        if (encodings.utf8)
            note = encodings.cp1251
                       ? QStringLiteral("«%1»: имена в кодировках UTF-8 и Windows-1251").arg(name)
                       : QStringLiteral("«%1»: в кодировке UTF-8").arg(name);
        else
            note.clear();
    }
    showProblems();
}

void JournalWindow::showProblems()
{
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
    m_summary->setText(
        JournalSummary::text(*m_records, *m_recordsFilter, *m_pupils, *m_pupilsFilter));
    m_newRecords->update();
    const int skipped = m_skipped->rowCount();
    m_skippedButton->setText(QStringLiteral("Пропущено строк: %1").arg(skipped));
    m_skippedButton->setVisible(skipped > 0);
}

void JournalWindow::chooseFilesToOpen()
{
    const QString key = QStringLiteral("openFolder");
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Открыть файлы результатов"), RememberedFolder::get(key),
        QStringLiteral("Файлы результатов (*.txt);;Все файлы (*)"));
    if (paths.isEmpty())
        return;
    RememberedFolder::keep(key, paths.front());
    openFiles(paths);
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
