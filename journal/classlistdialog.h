#pragma once

#include "classlist.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// «Список класса»: the pupils' names typed or pasted into a box, one a line, or taken from a
// text file with «Открыть файл…», which puts its names into the box. Under the box, what was
// read: how many names, the names written more than once, or why the list cannot be taken.
class ClassListDialog : public QDialog
{
    Q_OBJECT

public:
    // Starts with the names of `current`; «Открыть файл…» starts beside the first of `openFiles`
    // when no folder is remembered.
    explicit ClassListDialog(const ClassList &current, const QStringList &openFiles = {},
                             QWidget *parent = nullptr);

    // The list in the box as it is now.
    const ClassList &list() const { return m_list; }

    // Puts the names of the file into the box, and says what was read of it.
    void openFile(const QString &path);

private:
    void chooseFile();
    void readBox();

    QStringList m_openFiles;
    QPlainTextEdit *m_box;
    QLabel *m_report;
    QPushButton *m_take;
    QTimer m_readLater;
    ClassList m_list;
    QString m_name;     // the class's: the file's it came from, kept when the names are edited
    QString m_fileNote; // what the file opened held, until the box is edited
    bool m_filling = false;
};
