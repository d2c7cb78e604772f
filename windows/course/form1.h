#pragma once

#include "controlref.h"
#include "form.h"
#include "int16.h"

#include <QString>

class BoxControl;
class CommandButton;
class Image;
class Label;
class Line;
class MenuItem;
class PictureBox;
class Program;

// The course window: the lesson page and the four exercises on one client area, the menus
// that lead everywhere, and the course state shared with the games and the results.
class Form1 : public Form
{
public:
    explicit Form1(Program &program);

    // The course state. Counters and flags are 16-bit; a flag is -1 (true) or 0 (false).
    QString Tasks;    // the page now shown: "0", "D", "L", "L2", "R", "R2", "Dbl", "Dbl2", "Mov"
    Int16 L;          // left-button score
    Int16 LDown;      // left task 1 scored in this course
    Int16 R;          // right-button score
    Int16 RDown;      // right task 1 scored in this course
    Int16 Dbl;        // double-click score
    Int16 DblDown;    // double-click task 1 scored in this course
    Int16 M;          // drag score
    Int16 MDown;      // the drag page waits for a click on the window
    QString Nam;      // the user's name as typed
    double Resul = 0; // the total, (L + R + Dbl + M) / 8
    Int16 G1;         // catch game score
    Int16 G2;         // sort game score

    // Works out the total, shows the results table and appends the user's line to the results
    // file (res.txt unless the command line named another).
    void Res();

    // What tells the left-button exercise from the right-button one.
    struct ButtonExercise;

private:
    void connectEvents() override;
    void formLoad() override;
    void formClick() override;
    void formDblClick() override;
    void formMouseDown(int button, int shift, float x, float y) override;
    void closeBox() override;

    void HideAll();
    void AskName();
    void ShowIntro();
    void ShowLeftTask1();
    void ShowLeftTask2();
    void ShowRightTask1();
    void ShowRightTask2();
    void ShowDoubleTask1();
    void ShowDoubleTask2();
    void ShowMoveTask();
    // The results table's row for the current user: the first whose name cell is empty, or row 0
    // when all ten hold a name.
    Int16 FindFreeRow();

    void btnNextClick();
    void btnClickMouseDown(int button);
    void lblDblClickDblClick();
    void lblBoxDragDrop(BoxControl &source, float x, float y);
    void mnuBeginClick();
    void mnuExitClick();

    void showButtonTask1(const ButtonExercise &exercise);
    void showButtonTask2(const ButtonExercise &exercise, int score);
    void pressTaskOne(const ButtonExercise &exercise, int button, Int16 &score, Int16 &scored,
                      void (Form1::*showTask2)());
    void pressRunningButton(const ButtonExercise &exercise, int button, Int16 &score,
                            MenuItem &command, void (Form1::*showNext)());
    void runAway(BoxControl &target);
    static void showSuccess();
    static void showFailure();

    Program &m_program;

    ControlRef<PictureBox> picMouse{this, "picMouse"};
    ControlRef<CommandButton> btnClick{this, "btnClick"};
    ControlRef<CommandButton> btnFirst{this, "btnFirst"};
    ControlRef<CommandButton> btnLast{this, "btnLast"};
    ControlRef<CommandButton> btnPrev{this, "btnPrev"};
    ControlRef<CommandButton> btnNext{this, "btnNext"};
    ControlRef<Label> lblBox{this, "lblBox"};
    ControlRef<Label> lblDblClick{this, "lblDblClick"};
    ControlRef<Label> lblMouse{this, "lblMouse"};
    ControlRef<Line> LineMouse{this, "LineMouse"};
    ControlRef<Image> ImMouse{this, "ImMouse"};
    ControlRef<Label> lblTask{this, "lblTask"};
    ControlRef<Label> lblMouseDesc{this, "lblMouseDesc"};
    ControlRef<Label> lblMouseHead{this, "lblMouseHead"};
    ControlArrayRef<Image> Image1{this, "Image1"};

    ControlRef<MenuItem> mnuBegin{this, "mnuBegin"};
    ControlRef<MenuItem> mnuRes{this, "mnuRes"};
    ControlRef<MenuItem> mnuExit{this, "mnuExit"};
    ControlRef<MenuItem> mnuMouse{this, "mnuMouse"};
    ControlRef<MenuItem> mnuLeft{this, "mnuLeft"};
    ControlRef<MenuItem> mnuRight{this, "mnuRight"};
    ControlRef<MenuItem> mnuDouble{this, "mnuDouble"};
    ControlRef<MenuItem> mnuMove{this, "mnuMove"};
    ControlRef<MenuItem> mnuCatch{this, "mnuCatch"};
    ControlRef<MenuItem> mnuChoose{this, "mnuChoose"};
    ControlRef<MenuItem> mnuRules{this, "mnuRules"};
    ControlRef<MenuItem> mnuAut{this, "mnuAut"};
};
