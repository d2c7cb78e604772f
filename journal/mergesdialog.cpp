#include "mergesdialog.h"

#include "namemerges.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

MergesDialog::MergesDialog(NameMerges &merges, QWidget *parent)
    : QDialog(parent), m_merges(merges), m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Объединённые имена"));
    auto *intro = new QLabel(QStringLiteral("&Имена, которые вы объединили: слева — имя, справа — "
                                            "ученик, которым оно считается. Объединения "
                                            "хранятся в настройках журнала, файлы результатов "
                                            "не меняются."),
                             this);
    intro->setWordWrap(true);
    intro->setBuddy(m_list);
    m_list->setObjectName(QStringLiteral("merges"));
    auto *buttons = new QDialogButtonBox(this);
    m_undo =
        buttons->addButton(QStringLiteral("&Отменить объединение"), QDialogButtonBox::ActionRole);
    m_undo->setObjectName(QStringLiteral("undoMerge"));
    buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        if (const QListWidgetItem *item = m_list->currentItem())
            m_merges.undo(item->data(Qt::UserRole).toString());
    });
    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { m_undo->setEnabled(row >= 0); });
    connect(&m_merges, &NameMerges::changed, this, &MergesDialog::list);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 20);
    list();
}

void MergesDialog::list()
{
    m_list->clear();
    for (const NameMerges::Merge &merge : m_merges.merges()) {
        auto *item =
            new QListWidgetItem(QStringLiteral("«%1» → «%2»").arg(merge.name, merge.into), m_list);
        item->setData(Qt::UserRole, merge.name);
    }
    if (m_list->count() == 0) {
        auto *none = new QListWidgetItem(QStringLiteral("Объединённых имён нет"), m_list);
        none->setFlags(Qt::NoItemFlags);
    }
    m_list->setCurrentRow(-1);
    m_undo->setEnabled(false);
}
