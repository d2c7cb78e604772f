#include "dd.h"

#include "courserules.h"
#include "ddlayout.h"
#include "label.h"

namespace {

// Flag indices as laid out in the row: 4 Japan, 6 Russia, 10 Canada, 11 USA.
constexpr int kJapan = 4;
constexpr int kRussia = 6;

bool northAmericaAccepts(int index)
{
    return index > 9;
}

// Europe takes every European flag; Russia's belongs to Europe and to Asia.
bool europeAccepts(int index)
{
    return index < 10 && index != kJapan;
}

bool asiaAccepts(int index)
{
    return index == kJapan || index == kRussia;
}

} // namespace

DD::DD(Int16 &score) : Form(ddLayout()), m_score(score) {}

void DD::connectEvents()
{
    Label1->onDragDrop([this](BoxControl &source, float x, float y) {
        sectionDragDrop(*Label1, northAmericaAccepts, source, x, y);
    });
    Label2->onDragDrop([this](BoxControl &source, float x, float y) {
        sectionDragDrop(*Label2, europeAccepts, source, x, y);
    });
    Label3->onDragDrop([this](BoxControl &source, float x, float y) {
        sectionDragDrop(*Label3, asiaAccepts, source, x, y);
    });
}

// An accepted picture goes where the pointer was released, whatever its size; a refused one
// stays where it was and is not counted.
void DD::sectionDragDrop(Label &section, AcceptRule accepts, BoxControl &source, float x, float y)
{
    if (!accepts(source.index()))
        return;
    source.move(section.left() + x, section.top() + y);
    n = n + 1;
    Tota();
}

// A count in the band without a score (9 to 11) leaves G2 as it was.
void DD::Tota()
{
    const int score = CourseRules::sortScore(n);
    if (score != CourseRules::kKeepScore)
        m_score = score;
}
