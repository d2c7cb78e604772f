#pragma once

#include <QObject>

class JournalOutputs;
class QMainWindow;
class QMenu;
class RecordsModel;

// The journal's «Файл» menu: «Открыть…» and «Закрыть файл» (an entry for each file open, named
// as the tables name it) together; the saves and the print (JournalOutputs); and last, after a
// line, «Выход» (Ctrl+Q, and Ctrl+W), away from closing a file. «Открыть…» starts in the folder
// last opened from, else beside the first file open.
class FileMenu : public QObject
{
    Q_OBJECT

public:
    FileMenu(const RecordsModel &records, JournalOutputs &outputs, QMainWindow &window);

    // «Закрыть файл» offered while a file is open.
    void update();

signals:
    void openWanted(const QStringList &paths);
    void closeWanted(int file);

private:
    void chooseFilesToOpen();
    void listFilesToClose();

    const RecordsModel &m_records;
    QMainWindow &m_window;
    QMenu *m_closeMenu;
};
