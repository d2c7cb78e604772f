#include "mergedialog.h"

#include "collationranks.h"
#include "misspellings.h"
#include "namefold.h"
#include "pupilsmodel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <numeric>

namespace {

// The pupil's name, and the names a search finds them by (PupilsModel::searchedName).
constexpr int kNameRole = Qt::UserRole;
constexpr int kSearchedRole = Qt::UserRole + 1;

// The rows of the pupils whose names look like a misspelling of the pupil's at `row`, or whose
// misspelling the pupil's looks like, nearest first.
QList<int> likelyRows(const PupilsModel &pupils, int row)
{
    QStringList keys;
    for (int each = 0; each < pupils.rowCount(); ++each)
        keys << pupils.foldedName(each);
    const QString &key = keys[row];
    const QString listed = pupils.pupil(row).listed;
    QList<int> rows;
    const auto take = [&](const QString &name) {
        const int found = pupils.rowOf(name);
        if (found >= 0 && found != row && !rows.contains(found))
            rows << found;
    };
    for (const Misspellings::Hint &hint : Misspellings::find(keys, pupils.classList())) {
        if (hint.name == key) {
            for (const QString &name : hint.listed + hint.others)
                take(name);
        } else if ((!listed.isEmpty() && hint.listed.contains(listed)) ||
                   hint.others.contains(key)) {
            take(hint.name);
        }
    }
    return rows;
}

} // namespace

MergeDialog::MergeDialog(const PupilsModel &pupils, int row, QWidget *parent)
    : QDialog(parent), m_search(new QLineEdit(this)), m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Это тот же ученик, что…"));
    auto *intro = new QLabel(this);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    intro->setText(QStringLiteral("«%1» — это тот же ученик, что:").arg(pupils.pupil(row).name));
    auto *find = new QLabel(QStringLiteral("&Найти:"), this);
    find->setBuddy(m_search);
    m_search->setObjectName(QStringLiteral("mergeSearch"));
    m_search->setPlaceholderText(QStringLiteral("часть имени"));
    m_search->setClearButtonEnabled(true);
    m_list->setObjectName(QStringLiteral("mergeInto"));

    const auto heading = [this](const QString &text) {
        // A heading, in the text's own colour, that cannot be chosen.
        auto *item = new QListWidgetItem(text, m_list);
        item->setFlags(Qt::ItemIsEnabled);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    };
    const auto add = [&](int each) {
        const PupilsModel::Pupil &pupil = pupils.pupil(each);
        QString text = pupil.name;
        if (pupils.absent(each))
            text += QStringLiteral(" (нет попыток)");
        else if (pupil.listed.isEmpty() && !pupils.classList().isEmpty())
            text += QStringLiteral(" (нет в списке)");
        auto *item = new QListWidgetItem(text, m_list);
        item->setData(kNameRole, pupil.name);
        item->setData(kSearchedRole, pupils.searchedName(each));
    };
    const QList<int> likely = likelyRows(pupils, row);
    if (!likely.isEmpty()) {
        heading(QStringLiteral("Похожие имена"));
        for (const int each : likely)
            add(each);
        heading(QStringLiteral("Остальные ученики"));
    }
    QStringList names;
    for (int each = 0; each < pupils.rowCount(); ++each)
        names << pupils.pupil(each).name;
    const std::vector<int> ranks = collationRanks(names);
    std::vector<int> others(size_t(pupils.rowCount()));
    std::iota(others.begin(), others.end(), 0);
    std::stable_sort(others.begin(), others.end(),
                     [&](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
    for (const int each : others) {
        if (each != row && !likely.contains(each))
            add(each);
    }

    auto *buttons = new QDialogButtonBox(this);
    m_merge = buttons->addButton(QStringLiteral("&Объединить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    m_merge->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentItemChanged, this,
            [this] { m_merge->setEnabled(!chosen().isNull()); });
    connect(m_list, &QListWidget::itemActivated, this, [this] {
        if (!chosen().isNull())
            accept();
    });
    connect(m_search, &QLineEdit::textChanged, this, &MergeDialog::search);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(find);
    searchRow->addWidget(m_search, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(searchRow);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 28);
    if (!likely.isEmpty())
        m_list->setCurrentRow(1);
}

QString MergeDialog::chosen() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item && !item->isHidden() ? item->data(kNameRole).toString() : QString();
}

void MergeDialog::search(const QString &text)
{
    const QString needle = foldName(text);
    QListWidgetItem *heading = nullptr;
    bool anyUnder = false;
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        if (!item->data(kNameRole).isValid()) {
            if (heading)
                heading->setHidden(!anyUnder);
            heading = item;
            anyUnder = false;
            continue;
        }
        const bool kept = item->data(kSearchedRole).toString().contains(needle);
        item->setHidden(!kept);
        anyUnder = anyUnder || kept;
    }
    if (heading)
        heading->setHidden(!anyUnder);
    m_merge->setEnabled(!chosen().isNull());
}
