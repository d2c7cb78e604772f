#include "classlistdialog.h"

#include "filepath.h"
#include "rememberedfolder.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kFolderKey = QStringLiteral("classListFolder");

// "25 учеников", with the noun agreeing with the number.
QString pupilsCount(qsizetype count)
{
    const qsizetype tens = count % 100;
    const qsizetype ones = count % 10;
    const char16_t *noun = tens >= 11 && tens <= 14 ? u"учеников"
                           : ones == 1              ? u"ученик"
                           : ones >= 2 && ones <= 4 ? u"ученика"
                                                    : u"учеников";
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf16(noun));
}

} // namespace

ClassListDialog::ClassListDialog(const ClassList &current, const QStringList &openFiles,
                                 QWidget *parent)
    : QDialog(parent), m_openFiles(openFiles), m_box(new QPlainTextEdit(this)),
      m_report(new QLabel(this)), m_list(current), m_name(current.name())
{
    setWindowTitle(QStringLiteral("Список класса"));
    auto *intro = new QLabel(QStringLiteral("&Имена учеников, по одному в строке. Пустые строки и "
                                            "строки, которые начинаются с #, не считаются."),
                             this);
    intro->setWordWrap(true);
    intro->setBuddy(m_box);
    m_box->setObjectName(QStringLiteral("classNames"));
    m_box->setPlainText(current.names().join(u'\n'));
    m_box->setTabChangesFocus(true);
    m_report->setObjectName(QStringLiteral("classReport"));
    m_report->setTextFormat(Qt::PlainText);
    m_report->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    auto *open = buttons->addButton(QStringLiteral("&Открыть файл…"), QDialogButtonBox::ActionRole);
    open->setToolTip(QStringLiteral("Взять имена из текстового файла: UTF-8 или Windows-1251, "
                                    "по одному в строке"));
    m_take = buttons->addButton(QStringLiteral("&Взять список"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(open, &QPushButton::clicked, this, &ClassListDialog::chooseFile);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // A pasted list of a thousand names is read once the typing stops.
    m_readLater.setSingleShot(true);
    m_readLater.setInterval(200);
    connect(&m_readLater, &QTimer::timeout, this, &ClassListDialog::readBox);
    connect(m_box, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            m_fileNote.clear();
        m_take->setEnabled(false);
        m_readLater.start();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_box, 1);
    layout->addWidget(m_report);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 30);
    readBox();
}

void ClassListDialog::chooseFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Открыть список класса"),
                                     RememberedFolder::get(kFolderKey, m_openFiles),
                                     QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    RememberedFolder::keep(kFolderKey, path);
    openFile(path);
}

void ClassListDialog::openFile(const QString &path)
{
    const ClassList read = ClassList::fromFile(path);
    const QString name = FilePath::shown(path);
    if (!read.problem().isEmpty()) {
        // The box keeps what it held.
        readBox();
        m_report->setText(QStringLiteral("«%1»: %2").arg(name, read.problem()));
        return;
    }
    QStringList notes{
        QStringLiteral("Из файла «%1»: %2.").arg(name, pupilsCount(read.names().size()))};
    for (const QString &note : read.repeatNotes())
        notes << note + QStringLiteral(" — взято один раз.");
    m_filling = true;
    m_box->setPlainText(read.names().join(u'\n'));
    m_filling = false;
    m_fileNote = notes.join(u'\n');
    m_name = read.name();
    readBox();
}

void ClassListDialog::readBox()
{
    m_readLater.stop();
    m_list = ClassList::fromText(m_box->toPlainText(), m_name);
    QStringList notes;
    if (!m_fileNote.isEmpty())
        notes << m_fileNote;
    else if (!m_list.problem().isEmpty())
        notes << m_list.problem();
    else if (m_list.isEmpty())
        notes << QStringLiteral("В списке нет ни одного имени.");
    else
        notes << QStringLiteral("В списке %1.").arg(pupilsCount(m_list.names().size()));
    if (m_fileNote.isEmpty()) {
        for (const QString &note : m_list.repeatNotes())
            notes << note + QStringLiteral(" — взято один раз.");
    }
    m_report->setText(notes.join(u'\n'));
    m_take->setEnabled(m_list.problem().isEmpty() && !m_list.isEmpty());
}
