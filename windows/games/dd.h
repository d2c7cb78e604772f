#pragma once

#include "controlref.h"
#include "form.h"
#include "int16.h"

class BoxControl;
class Label;

// The sort game: drag each flag onto its continent. Every accepted drop counts, and the count
// becomes the score in the course window's G2.
class DD : public Form
{
public:
    // `score` is the course window's G2, which the game writes.
    explicit DD(Int16 &score);

    // Turns the number of accepted drops into the score and writes it to G2.
    void Tota();

private:
    // Whether a section takes the picture with this index.
    using AcceptRule = bool (*)(int index);

    void connectEvents() override;
    void sectionDragDrop(Label &section, AcceptRule accepts, BoxControl &source, float x, float y);

    Int16 &m_score;

    // Accepted drops in the whole run: neither the close box nor a new user resets it.
    Int16 n;

    ControlRef<Label> Label1{this, "Label1"};
    ControlRef<Label> Label2{this, "Label2"};
    ControlRef<Label> Label3{this, "Label3"};
};
