#include "journalstatus.h"

#include "newrecords.h"
#include "plaintext.h"
#include "recordsmodel.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>

namespace {

// Labels that show file names and the reasons a file was not read: plain text, whatever the
// name; cut in a narrow window rather than widen it past the screen, and whole in the tooltip.
QLabel *makeLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 12);
    return label;
}

void setText(QLabel &label, const QString &text)
{
    label.setText(text);
    label.setToolTip(text.isEmpty() ? QString() : PlainText::html(text));
}

} // namespace

JournalStatus::JournalStatus(QStatusBar &bar, const RecordsModel &records, NewRecords &newRecords,
                             QDockWidget &skippedDock)
    : QObject(&bar), m_records(records), m_newRecords(newRecords), m_skippedDock(skippedDock),
      m_summary(makeLabel("summary", &bar)), m_problems(makeLabel("problems", &bar)),
      m_skippedButton(new QPushButton(&bar)), m_reading(makeLabel("reading", &bar)),
      m_progress(new QProgressBar(&bar)),
      m_cancel(new QPushButton(QStringLiteral("Отменить"), &bar))
{
    m_skippedButton->setObjectName(QStringLiteral("skippedButton"));
    m_skippedButton->setFlat(true);
    m_skippedButton->setToolTip(QStringLiteral("Показать пропущенные строки"));
    connect(m_skippedButton, &QPushButton::clicked, &m_skippedDock, &QWidget::show);
    // The bar's own text would take "%p" or "%v" in a file's name for a number.
    m_progress->setMaximumWidth(200);
    m_progress->setRange(0, 1000);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->setAccessibleName(QStringLiteral("Прочитано"));
    connect(m_cancel, &QPushButton::clicked, this, &JournalStatus::cancelWanted);
    bar.addWidget(m_summary);
    bar.addWidget(m_newRecords.button());
    bar.addWidget(m_skippedButton);
    bar.addWidget(m_problems, 1);
    bar.addPermanentWidget(m_reading);
    bar.addPermanentWidget(m_progress);
    bar.addPermanentWidget(m_cancel);
    m_reading->hide();
    m_progress->hide();
    m_cancel->hide();
}

void JournalStatus::addTo(QMenu &view)
{
    QAction *fresh =
        view.addAction(QStringLiteral("&Новые записи"), m_newRecords.button(), &QPushButton::click);
    fresh->setObjectName(QStringLiteral("showFresh"));
    QAction *skipped = m_skippedDock.toggleViewAction();
    skipped->setText(QStringLiteral("&Пропущенные строки"));
    view.addAction(skipped);
    // Offered while the status bar offers them.
    connect(&view, &QMenu::aboutToShow, this,
            [this, fresh] { fresh->setEnabled(!m_newRecords.button()->isHidden()); });
}

void JournalStatus::setSummary(const QString &text, int skipped)
{
    setText(*m_summary, text);
    m_skippedButton->setText(QStringLiteral("Пропущено строк: %1").arg(skipped));
    m_skippedButton->setVisible(skipped > 0);
}

void JournalStatus::showProgress(int file, int done)
{
    m_progress->setValue(done);
    setText(*m_reading, m_records.fileLabel(file));
    m_reading->show();
    m_progress->show();
    m_cancel->show();
}

void JournalStatus::showLockWait(int file, bool waiting)
{
    const QString name = m_records.fileLabel(file);
    setText(*m_reading,
            waiting ? QStringLiteral("«%1»: файл занят другой программой, жду…").arg(name) : name);
    m_reading->setVisible(waiting || m_progress->isVisible());
}

void JournalStatus::hideProgress()
{
    m_reading->hide();
    m_progress->hide();
    m_cancel->hide();
}

void JournalStatus::noteFileState(int file, FileFollower::State state, const QString &problem,
                                  FileEncodings encodings)
{
    if (!m_records.isOpen(file))
        return;
    m_fileProblems.resize(std::max<qsizetype>(m_fileProblems.size(), file + 1));
    QString &note = m_fileProblems[file];
    const QString name = m_records.fileLabel(file);
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

void JournalStatus::dropFile(int file)
{
    if (file < m_fileProblems.size())
        m_fileProblems[file].clear();
    showProblems();
}

void JournalStatus::showProblems()
{
    QStringList notes;
    for (const QString &each : std::as_const(m_fileProblems)) {
        if (!each.isEmpty())
            notes.append(each);
    }
    setText(*m_problems, notes.join(QStringLiteral("; ")));
}
