#pragma once

#include "controlref.h"
#include "form.h"
#include "int16.h"

class Image;
class Label;
class MenuItem;
class PictureBox;
class Timer;

// The catch game: click the running mouse five times. The victory writes 10 into the course
// window's G1 and cycles the window's colours.
class Form4 : public Form
{
public:
    // `score` is the course window's G1, which the victory writes.
    explicit Form4(Int16 &score);

private:
    void connectEvents() override;
    void formLoad() override;

    void NewGame();
    void ShowVictory();
    void Timer1Timer();
    void Timer2Timer();
    void picClick();

    Int16 &m_score;

    // These outlive an unload by the close box; only NewGame resets Sum and Total.
    Int16 Sum;   // catches in the current game, 0..5
    Int16 col;   // step of the victory colour cycle, 0..8; a new game continues it
    Int16 Total; // score of the current game: 0, or 10 after the victory

    ControlRef<Timer> Timer1{this, "Timer1"};
    ControlRef<Timer> Timer2{this, "Timer2"};
    ControlRef<PictureBox> pic{this, "pic"};
    ControlRef<Label> lblSuccess{this, "lblSuccess"};
    ControlRef<Image> imSuc{this, "imSuc"};
    ControlArrayRef<Image> Image1{this, "Image1"};
    ControlRef<MenuItem> mnuNew{this, "mnuNew"};
    ControlRef<MenuItem> mnuExit{this, "mnuExit"};
};
