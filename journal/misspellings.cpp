#include "misspellings.h"

#include "classlist.h"
#include "namefold.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kFar = Misspellings::kMaxEdits + 1;

// A name near another, and how near.
struct Near
{
    int edits;
    int index;
};

QStringList nearest(std::vector<Near> &near, const QStringList &names)
{
    std::stable_sort(near.begin(), near.end(),
                     [](const Near &a, const Near &b) { return a.edits < b.edits; });
    QStringList result;
    for (const Near &each : near)
        result << names[each.index];
    return result;
}

} // namespace

// The optimal string alignment distance, only along the diagonals within kMaxEdits of the middle
// one, as anything farther is more edits than are counted: a pair costs a few cells a letter,
// and a pair that parts early stops there. Each row also sets the cells just beyond its band as
// far, which is all the next two rows read outside their own bands.
int Misspellings::distance(QStringView a, QStringView b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    const qsizetype n = a.size();
    const qsizetype m = b.size();
    if (m - n > kMaxEdits)
        return kFar;
    constexpr qsizetype kStackWidth = 256;
    std::array<std::array<int, kStackWidth>, 3> stackRows;
    std::vector<int> heapRows;
    int *rows[3];
    if (m + 1 <= kStackWidth) {
        for (int r = 0; r < 3; ++r)
            rows[r] = stackRows[size_t(r)].data();
    } else {
        heapRows.resize(size_t(3 * (m + 1)));
        for (int r = 0; r < 3; ++r)
            rows[r] = heapRows.data() + r * (m + 1);
    }
    int *twoUp = rows[0];
    int *up = rows[1];
    int *row = rows[2];
    for (qsizetype j = 0; j <= std::min<qsizetype>(m, kMaxEdits + 1); ++j)
        up[j] = int(std::min<qsizetype>(j, kFar));
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype low = std::max<qsizetype>(1, i - kMaxEdits);
        const qsizetype high = std::min<qsizetype>(m, i + kMaxEdits);
        row[low - 1] = i <= kMaxEdits ? int(i) : kFar;
        if (high < m)
            row[high + 1] = kFar;
        int best = row[low - 1];
        for (qsizetype j = low; j <= high; ++j) {
            const bool same = a[i - 1] == b[j - 1];
            int cell = std::min({up[j] + 1, row[j - 1] + 1, up[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                cell = std::min(cell, twoUp[j - 2] + 1);
            row[j] = std::min(cell, kFar);
            best = std::min(best, row[j]);
        }
        if (best >= kFar)
            return kFar;
        std::swap(twoUp, up);
        std::swap(up, row);
    }
    return up[m];
}

std::vector<Misspellings::Hint> Misspellings::find(const QStringList &names, const ClassList &list)
{
    QStringList listed;
    for (const QString &name : list.names())
        listed << foldName(name);
    QStringList off;
    for (const QString &name : names) {
        if (!list.contains(name))
            off << name;
    }
    std::vector<std::vector<Near>> toListed(size_t(off.size()));
    std::vector<std::vector<Near>> toOthers(size_t(off.size()));
    for (int i = 0; i < off.size(); ++i) {
        for (int l = 0; l < listed.size(); ++l) {
            const int edits = distance(off[i], listed[l]);
            if (edits <= kMaxEdits)
                toListed[size_t(i)].push_back({edits, l});
        }
        // Each pair once, for both its names.
        for (int o = i + 1; o < off.size(); ++o) {
            const int edits = distance(off[i], off[o]);
            if (edits <= kMaxEdits) {
                toOthers[size_t(i)].push_back({edits, o});
                toOthers[size_t(o)].push_back({edits, i});
            }
        }
    }
    std::vector<Hint> hints;
    for (int i = 0; i < off.size(); ++i) {
        if (toListed[size_t(i)].empty() && toOthers[size_t(i)].empty())
            continue;
        hints.push_back({off[i], nearest(toListed[size_t(i)], list.names()),
                         nearest(toOthers[size_t(i)], off)});
    }
    return hints;
}
