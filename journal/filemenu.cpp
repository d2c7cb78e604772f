#include "filemenu.h"

#include "journaloutputs.h"
#include "recordsmodel.h"
#include "rememberedfolder.h"

#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>

FileMenu::FileMenu(const RecordsModel &records, JournalOutputs &outputs, QMainWindow &window)
    : QObject(&window), m_records(records), m_window(window)
{
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&Файл"));
    file->addAction(QStringLiteral("&Открыть…"), QKeySequence::Open, this,
                    &FileMenu::chooseFilesToOpen);
    m_closeMenu = file->addMenu(QStringLiteral("Закрыть &файл"));
    m_closeMenu->setObjectName(QStringLiteral("closeFile"));
    connect(m_closeMenu, &QMenu::aboutToShow, this, &FileMenu::listFilesToClose);
    file->addSeparator();
    outputs.addActions(*file);
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("В&ыход"), &window, &QWidget::close);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcuts({QKeySequence::Quit, QKeySequence::Close});
    update();
}

void FileMenu::update()
{
    for (int file = 0; file < m_records.fileCount(); ++file) {
        if (m_records.isOpen(file)) {
            m_closeMenu->menuAction()->setEnabled(true);
            return;
        }
    }
    m_closeMenu->menuAction()->setEnabled(false);
}

void FileMenu::chooseFilesToOpen()
{
    const QString key = QStringLiteral("openFolder");
    const QStringList paths =
        QFileDialog::getOpenFileNames(&m_window, QStringLiteral("Открыть файлы результатов"),
                                      RememberedFolder::get(key, m_records.openFiles()),
                                      QStringLiteral("Файлы результатов (*.txt);;Все файлы (*)"));
    if (paths.isEmpty())
        return;
    RememberedFolder::keep(key, paths.front());
    emit openWanted(paths);
}

// The first nine files have a digit to choose them by.
void FileMenu::listFilesToClose()
{
    m_closeMenu->clear();
    int shown = 0;
    for (int file = 0; file < m_records.fileCount(); ++file) {
        if (!m_records.isOpen(file))
            continue;
        QString label = m_records.fileLabel(file);
        label.replace(u'&', QStringLiteral("&&"));
        if (++shown < 10)
            label = QStringLiteral("&%1 %2").arg(shown).arg(label);
        QAction *action = m_closeMenu->addAction(label);
        connect(action, &QAction::triggered, this, [this, file] { emit closeWanted(file); });
    }
}
