#include "tablemenus.h"

#include "classmenu.h"
#include "journalfilter.h"
#include "journaloutputs.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>

TableMenus::TableMenus(QTableView &records, QTableView &pupils, const QList<QTableView *> &others,
                       QTabWidget &tabs, JournalOutputs &outputs, ClassMenu &classMenu)
    : QObject(&tabs), m_records(records), m_pupils(pupils), m_tabs(tabs), m_outputs(outputs),
      m_classMenu(classMenu)
{
    for (QTableView *view : QList<QTableView *>{&records, &pupils} + others) {
        view->installEventFilter(this);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint &at) { showMenu(*view, view->indexAt(at), at); });
    }
}

void TableMenus::addTo(QMenuBar &bar)
{
    // The keys themselves reach the tables (eventFilter), which a search field's own Ctrl+C and
    // Ctrl+A must not lose: the menu only shows them.
    QMenu *edit = bar.addMenu(QStringLiteral("&Правка"));
    QAction *copy =
        edit->addAction(QStringLiteral("&Копировать"), this, [this] { m_outputs.copy(target()); });
    copy->setShortcut(QKeySequence::Copy);
    QAction *all =
        edit->addAction(QStringLiteral("Выделить &всё"), this, [this] { target().selectAll(); });
    all->setShortcut(QKeySequence::SelectAll);
    for (QAction *action : {copy, all})
        action->setShortcutContext(Qt::WidgetShortcut);
}

QTableView &TableMenus::target() const
{
    if (auto *focused = qobject_cast<QTableView *>(QApplication::focusWidget()))
        return *focused;
    return m_tabs.currentWidget()->isAncestorOf(&m_records) ? m_records : m_pupils;
}

bool TableMenus::eventFilter(QObject *watched, QEvent *event)
{
    // Only the keys and the keyboard's menu event are the table's: others also come while it is
    // taken apart.
    bool menuKey = false;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy)) {
            m_outputs.copy(*static_cast<QTableView *>(watched));
            return true;
        }
        menuKey = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
    } else if (event->type() == QEvent::ContextMenu) {
        menuKey = static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
    }
    // The menu key and Shift+F10 open the menu of the current row, on its cell.
    if (!menuKey)
        return QObject::eventFilter(watched, event);
    auto &view = *static_cast<QTableView *>(watched);
    const QModelIndex current = view.currentIndex();
    if (current.isValid()) {
        view.scrollTo(current);
        showMenu(view, current, view.visualRect(current).center());
    }
    return true;
}

void TableMenus::showMenu(QTableView &view, const QModelIndex &index, const QPoint &at)
{
    if (!index.isValid())
        return;
    QMenu menu(&view);
    QAction *copy = menu.addAction(QStringLiteral("&Копировать"), this,
                                   [this, &view] { m_outputs.copy(view); });
    copy->setShortcut(QKeySequence::Copy);
    if (&view == &m_pupils) {
        menu.addAction(QStringLiteral("&Попытки ученика"), this,
                       [this, index = QPersistentModelIndex(index)] { emit pupilChosen(index); });
        const int row = static_cast<const JournalFilter *>(view.model())->mapToSource(index).row();
        menu.addAction(QStringLiteral("&Это тот же ученик, что…"), this,
                       [this, row] { m_classMenu.mergePupil(row); });
    }
    menu.exec(view.viewport()->mapToGlobal(at));
}
