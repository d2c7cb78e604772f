#pragma once

#include <QObject>

class ClassList;
class QAction;
class NameMerges;
class PupilsModel;
class QMenuBar;
class QWidget;
class RecordsModel;

// The «Класс» menu: «Список класса…» (typed, pasted or from a file; ClassListDialog), «Убрать
// список класса», «Объединённые имена…» (MergesDialog); and «Это тот же ученик, что…» for a
// pupil (MergeDialog). The list is remembered with the files open (RememberedClassList): whenever
// the list or the files change, it is kept for the files open, and files for which a list was
// kept bring it back. The merges are the teacher's own (NameMerges).
class ClassMenu : public QObject
{
    Q_OBJECT

public:
    ClassMenu(PupilsModel &pupils, const RecordsModel &records, QWidget *window);

    void addTo(QMenuBar &bar);

    // Shows the pupils of `list`, and keeps it for the files open; an empty list takes it off.
    void setClassList(const ClassList &list);
    // Asks whom the pupil at the model's `row` is the same as, and merges them.
    void mergePupil(int row);

private:
    void chooseList();
    void filesChanged();

    PupilsModel &m_pupils;
    const RecordsModel &m_records;
    NameMerges *m_merges;
    QWidget *m_window;
    QAction *m_remove = nullptr;
};
