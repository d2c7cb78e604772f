#include "classmenu.h"

#include "classlist.h"
#include "classlistdialog.h"
#include "mergedialog.h"
#include "mergesdialog.h"
#include "namemerges.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "rememberedclasslist.h"

#include <QMenuBar>
#include <QMessageBox>

ClassMenu::ClassMenu(PupilsModel &pupils, const RecordsModel &records, QWidget *window)
    : QObject(window), m_pupils(pupils), m_records(records), m_merges(new NameMerges(this)),
      m_window(window)
{
    m_pupils.setMerges(*m_merges);
    connect(&records, &RecordsModel::filesChanged, this, &ClassMenu::filesChanged);
}

void ClassMenu::addTo(QMenuBar &bar)
{
    QMenu *menu = bar.addMenu(QStringLiteral("&Класс"));
    menu->setObjectName(QStringLiteral("classMenu"));
    QAction *list =
        menu->addAction(QStringLiteral("&Список класса…"), this, &ClassMenu::chooseList);
    list->setStatusTip(QStringLiteral("Кого ждать на уроке: ученики из списка без попыток "
                                      "видны в таблице «Ученики»"));
    m_remove = menu->addAction(QStringLiteral("&Убрать список класса"), this,
                               [this] { setClassList(ClassList()); });
    m_remove->setEnabled(!m_pupils.classList().isEmpty());
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Объединённые имена…"), this, [this] {
        MergesDialog dialog(*m_merges, m_window);
        dialog.exec();
    });
}

void ClassMenu::setClassList(const ClassList &list)
{
    m_pupils.setClassList(list);
    RememberedClassList::keep(m_records.openFiles(), list);
    if (m_remove)
        m_remove->setEnabled(!list.isEmpty());
}

void ClassMenu::filesChanged()
{
    const ClassList kept = RememberedClassList::get(m_records.openFiles());
    if (!kept.isEmpty())
        setClassList(kept);
    else if (!m_pupils.classList().isEmpty())
        RememberedClassList::keep(m_records.openFiles(), m_pupils.classList());
}

void ClassMenu::chooseList()
{
    ClassListDialog dialog(m_pupils.classList(), m_records.openFiles(), m_window);
    if (dialog.exec() == QDialog::Accepted)
        setClassList(dialog.list());
}

void ClassMenu::mergePupil(int row)
{
    if (row < 0 || row >= m_pupils.rowCount())
        return;
    // Records may arrive while the dialog is open, and make the rows anew.
    const QString name = m_pupils.mergedName(row);
    MergeDialog dialog(m_pupils, row, m_window);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isNull())
        return;
    QString problem;
    if (!m_merges->merge(name, dialog.chosen(), &problem)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Журнал результатов"), problem,
                        QMessageBox::Ok, m_window);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}
