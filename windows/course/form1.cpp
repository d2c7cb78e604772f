#include "form1.h"

#include "appendfailure.h"
#include "busywait.h"
#include "commandbutton.h"
#include "courserules.h"
#include "dd.h"
#include "dialogs.h"
#include "filepath.h"
#include "form1layout.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "fres.h"
#include "image.h"
#include "label.h"
#include "line.h"
#include "menuitem.h"
#include "picturebox.h"
#include "program.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "runtime.h"

#include <cmath>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The lesson text, in seven pieces. The spaces at the ends belong to the text.
const QString kLessonPieces[7] = {
    QStringLiteral("     Мышь - это манипулятор для ввода информации в компьютер."),
    QStringLiteral("      Мышь представляет собой небольшую коробочку с двумя или тремя клавишами, "
                   "легко умещающуюся в ладони. Пользователь передвигает мышь по столу или по "
                   "другой ровной поверхности, и вслед за ней по экрану монитора перемещается "
                   "указатель, который обычно имеет вид стрелочки. Чтобы выполнить какое-либо "
                   "действие, например, выбрать пункт меню, на который наведен указатель, "
                   "пользователь нажимает одну из клавиш мыши."),
    QStringLiteral("     Качество мыши определяется ее разрешающей способностью, которая "
                   "измеряется числом точек на дюйм - dpi (dot per inch). От этой характеристики "
                   "зависит, насколько точно передвигается курсор по экрану. У мышей среднего "
                   "класса разрешение обычно составляет 400-800 dpi. "),
    QStringLiteral("    Отличительные черты мыши "),
    QStringLiteral("  * способ считывания информации (механические, оптико-механические и "
                   "оптические); "),
    QStringLiteral("  * количество кнопок (2- и 3-кнопочные мыши);  "),
    QStringLiteral(" * способ соединения (проводные или беспроводные мыши)"),
};

} // namespace

struct Form1::ButtonExercise
{
    const char *task1; // the task codes of the two pages
    const char *task2;
    int button;           // 1 left, 2 right
    const char *title;    // the page title, also beside the pictured mouse
    float x1, x2, y1, y2; // the line from that label to the button on the picture
    const char *instruction1;
    const char *instruction2;
};

namespace {

// clang-format off
constexpr Form1::ButtonExercise kLeftExercise{
    "L", "L2", 1, "Левая кнопка мыши", 7320, 8160, 3480, 4200,
    "Щелкните  левой кнопкой мыши по форме",
    "Щелкните левой кнопкой мыши по бегающей кнопке 10 раз"};
constexpr Form1::ButtonExercise kRightExercise{
    "R", "R2", 2, "Правая кнопка мыши", 7800, 8400, 3360, 3600,
    "Щелкните  правой кнопкой мыши по форме",
    "Щелкните правой кнопкой мыши по бегающей кнопке 10 раз"};
// clang-format on

QString task(const char *heading, const QString &instruction)
{
    return QString::fromUtf8(heading) + kCrLf + kCrLf + instruction;
}

} // namespace

Form1::Form1(Program &program) : Form(form1Layout()), m_program(program) {}

void Form1::connectEvents()
{
    btnNext->onClick([this] { btnNextClick(); });
    btnClick->onMouseDown([this](int button, int, float, float) { btnClickMouseDown(button); });
    lblDblClick->onDblClick([this] { lblDblClickDblClick(); });
    lblBox->onDragDrop(
        [this](BoxControl &source, float x, float y) { lblBoxDragDrop(source, x, y); });

    mnuBegin->onClick([this] { mnuBeginClick(); });
    mnuRes->onClick([this] { Res(); });
    mnuExit->onClick([this] { mnuExitClick(); });
    // A page from the menu: the page is reset first.
    const auto page = [this](void (Form1::*show)()) {
        return [this, show] {
            HideAll();
            (this->*show)();
        };
    };
    mnuMouse->onClick(page(&Form1::ShowIntro));
    mnuLeft->onClick(page(&Form1::ShowLeftTask1));
    mnuRight->onClick(page(&Form1::ShowRightTask1));
    mnuDouble->onClick(page(&Form1::ShowDoubleTask1));
    mnuMove->onClick(page(&Form1::ShowMoveTask));
    mnuCatch->onClick([this] { m_program.form4().show(); });
    mnuChoose->onClick([this] { m_program.dd().show(); });
    mnuRules->onClick([this] { m_program.form3().show(); });
    mnuAut->onClick([this] { m_program.form2().show(); });
}

void Form1::formLoad()
{
    HideAll();
    AskName();
    ShowIntro();
}

// Closing the course window ends the whole program, the other windows with it.
void Form1::closeBox()
{
    endProgram();
}

void Form1::HideAll()
{
    btnClick->setVisible(false);
    Tasks = QStringLiteral("0");
    for (int i = 0; i <= 3; ++i)
        Image1[i].setVisible(false);
    Image1[0].setTop(6960);
    Image1[0].setLeft(120);
    Image1[1].setTop(120);
    Image1[1].setLeft(360);
    Image1[2].setTop(6960);
    Image1[2].setLeft(9720);
    Image1[3].setTop(0);
    Image1[3].setLeft(9480);
    lblMouseHead->setCaption({});
    lblMouseDesc->setCaption({});
    lblTask->setCaption({});
    lblMouseHead->setVisible(false);
    lblMouseDesc->setVisible(false);
    lblTask->setVisible(false);
    btnNext->setVisible(false);
    btnPrev->setVisible(false);
    btnLast->setVisible(false);
    btnFirst->setVisible(false);
    LineMouse->setVisible(false);
    lblMouse->setCaption({});
    lblMouse->setVisible(false);
    ImMouse->setVisible(false);
    lblDblClick->setVisible(false);
    lblDblClick->setCaption({});
    picMouse->setVisible(false);
    lblBox->setVisible(false);
    MDown = 0;
}

void Form1::AskName()
{
    Nam = inputBox(QStringLiteral("Введите Ваше имя, пожалуйста"), QStringLiteral("Пользователь"));
    mnuLeft->setEnabled(true);
    mnuMove->setEnabled(true);
    mnuDouble->setEnabled(true);
    mnuRight->setEnabled(true);
    LDown = 0;
    RDown = 0;
    DblDown = 0;
    MDown = 0;
    L = 0;
    R = 0;
    M = 0;
    Dbl = 0;
    G1 = 0;
    G2 = 0;
}

void Form1::ShowIntro()
{
    for (int i = 0; i <= 3; ++i)
        Image1[i].setVisible(true);
    Tasks = QStringLiteral("D");
    btnNext->setVisible(true);
    lblMouseHead->setVisible(true);
    lblMouseHead->setCaption(QStringLiteral("Мышь"));
    lblMouseDesc->setVisible(true);
    const QString gap = kCrLf + kCrLf;
    lblMouseDesc->setCaption(kLessonPieces[0] + gap + kLessonPieces[1] + gap + kLessonPieces[2]);
    lblMouseDesc->setCaption(lblMouseDesc->caption() + gap + kLessonPieces[3] + gap +
                             kLessonPieces[4] + gap + kLessonPieces[5]);
    lblMouseDesc->setCaption(lblMouseDesc->caption() + gap + kLessonPieces[6]);
}

void Form1::btnNextClick()
{
    if (Tasks == QLatin1String("D")) {
        HideAll();
        ShowLeftTask1();
    }
}

void Form1::mnuBeginClick()
{
    HideAll();
    AskName();
    ShowIntro();
}

void Form1::mnuExitClick()
{
    if (msgBox(QStringLiteral("Вы действительно хотите выйти из программы?"),
               BoxStyle::WarningOkCancel, QStringLiteral("Выход")) == BoxAnswer::Ok)
        endProgram();
}

void Form1::showSuccess()
{
    msgBox(QStringLiteral("Задание выполнено удачно"), BoxStyle::WarningOk,
           QStringLiteral("Ура!!!"));
}

void Form1::showFailure()
{
    msgBox(QStringLiteral("Ошибка!!!\r\n\r\nПопробуйте еще раз"), BoxStyle::ErrorOk,
           QStringLiteral("Увы!!!"));
}

void Form1::Res()
{
    // 16-bit sums, each checked: an overflow ends the program before anything is read or written.
    Int16 Sum = L;
    Sum = Sum + R;
    Sum = Sum + Dbl;
    Sum = Sum + M;
    Resul = Sum / double(CourseRules::kTotalDivisor);

    FRes &fres = m_program.fres();
    const ResultsFile &file = m_program.resultsFile();
    QString failure;
    {
        // The read and the append share one wait for other programs' locks, during which the
        // windows stay alive.
        BusyWait busy;
        const FileLock::Wait wait = file.startWait([&busy] { busy.tick(); });
        // A file that cannot be read, or holds fewer than nine records, shows no stored row.
        try {
            const ResultList list = file.LoadResults(wait);
            fres.FillStoredRows(list);
        } catch (const ResultsFailure &) {
        }
        const int row = FindFreeRow();
        fres.FillUserRow(row, Nam, L, R, Dbl, M, G1, G2, Resul);
        fres.show();

        // A failed append must not end the program and lose the session: the user is told why,
        // and can try again.
        try {
            file.AppendResult(
                {Nam, qint16(L), qint16(R), qint16(Dbl), qint16(M), qint16(G1), qint16(G2), Resul},
                wait);
        } catch (const AppendFailure &append) {
            failure = append.reason();
        }
    }
    if (!failure.isEmpty())
        msgBox(QStringLiteral("Не удалось записать результаты в файл %1: %2")
                   .arg(FilePath::shown(file.path()), failure),
               BoxStyle::ErrorOk, QStringLiteral("Результаты"));
}

Int16 Form1::FindFreeRow()
{
    ControlArrayRef<Label> &names = m_program.fres().Label1;
    Int16 i = 0;
    while (i <= names.count() - 1 && !names[i].caption().isEmpty())
        i = i + 1;
    return i > names.count() - 1 ? Int16(0) : i;
}

void Form1::ShowLeftTask1()
{
    showButtonTask1(kLeftExercise);
}

void Form1::ShowLeftTask2()
{
    showButtonTask2(kLeftExercise, L);
}

void Form1::ShowRightTask1()
{
    showButtonTask1(kRightExercise);
}

void Form1::ShowRightTask2()
{
    showButtonTask2(kRightExercise, R);
}

void Form1::showButtonTask1(const ButtonExercise &exercise)
{
    Tasks = QString::fromLatin1(exercise.task1);
    lblMouse->setVisible(true);
    ImMouse->setVisible(true);
    LineMouse->setVisible(true);
    LineMouse->setX1(exercise.x1);
    LineMouse->setX2(exercise.x2);
    LineMouse->setY1(exercise.y1);
    LineMouse->setY2(exercise.y2);
    lblMouse->setCaption(QString::fromUtf8(exercise.title));
    lblMouseHead->setVisible(true);
    lblMouseHead->setCaption(QString::fromUtf8(exercise.title));
    lblTask->setVisible(true);
    lblTask->setCaption(task("Задание 1", QString::fromUtf8(exercise.instruction1)));
}

// Task 2 comes on top of task 1: the title, the picture and the line stay. The running button
// stands wherever its last jump left it.
void Form1::showButtonTask2(const ButtonExercise &exercise, int score)
{
    Tasks = QString::fromLatin1(exercise.task2);
    lblTask->setCaption(task("Задание 2", QString::fromUtf8(exercise.instruction2)));
    btnClick->setVisible(true);
    btnClick->setCaption(QString::number(score));
}

// Task 1 of the left and right exercises: a press on the window itself. The right check
// reads Tasks again, so a press that finished the left task is not taken for the right one.
void Form1::formMouseDown(int button, int, float, float)
{
    if (mnuLeft->enabled() && Tasks == QLatin1String(kLeftExercise.task1))
        pressTaskOne(kLeftExercise, button, L, LDown, &Form1::ShowLeftTask2);
    if (mnuRight->enabled() && Tasks == QLatin1String(kRightExercise.task1))
        pressTaskOne(kRightExercise, button, R, RDown, &Form1::ShowRightTask2);
}

// Task 1 scores once per course; a repeat shows the success box and task 2 again.
void Form1::pressTaskOne(const ButtonExercise &exercise, int button, Int16 &score, Int16 &scored,
                         void (Form1::*showTask2)())
{
    if (button != exercise.button) {
        showFailure();
        return;
    }
    if (scored == 0)
        score = score + 1;
    scored = -1;
    showSuccess();
    (this->*showTask2)();
}

// Task 2: presses on the running button. The score is tested before the button, so once it
// has reached the goal any press finishes the task.
void Form1::btnClickMouseDown(int button)
{
    if (Tasks == QLatin1String(kLeftExercise.task2))
        pressRunningButton(kLeftExercise, button, L, *mnuLeft, &Form1::ShowRightTask1);
    if (Tasks == QLatin1String(kRightExercise.task2))
        pressRunningButton(kRightExercise, button, R, *mnuRight, &Form1::ShowDoubleTask1);
}

void Form1::pressRunningButton(const ButtonExercise &exercise, int button, Int16 &score,
                               MenuItem &command, void (Form1::*showNext)())
{
    if (score >= CourseRules::kExerciseGoal) {
        showSuccess();
        btnClick->setVisible(false);
        command.setEnabled(false);
        (this->*showNext)();
    } else if (button == exercise.button) {
        score = score + 1;
        runAway(*btnClick);
        btnClick->setCaption(QString::number(score));
    } else {
        showFailure();
    }
}

// A running target jumps 500 to 1000 twips left and up after a re-seed from the clock. Past
// the left or top edge of the window (its outer size, strictly) it comes back at the middle
// of that axis; its own size is not taken into account.
void Form1::runAway(BoxControl &target)
{
    randomize(secondsSinceMidnight());
    const float r1 = rnd();
    target.setLeft(target.left() + 500 * r1 - 1000);
    const float r2 = rnd();
    target.setTop(target.top() + 500 * r2 - 1000);
    if (target.left() < 0 || target.left() > width())
        target.setLeft(width() / 2);
    if (target.top() < 0 || target.top() > height())
        target.setTop(height() / 2);
}

void Form1::ShowDoubleTask1()
{
    HideAll();
    Tasks = QStringLiteral("Dbl");
    lblMouseHead->setVisible(true);
    lblMouseHead->setCaption(QStringLiteral("Двойной щелчок"));
    lblTask->setVisible(true);
    lblTask->setCaption(
        task("Задание 1", QStringLiteral("Щелкните двойным щелчком левой кнопкой мыши по форме ")));
}

void Form1::ShowDoubleTask2()
{
    Tasks = QStringLiteral("Dbl2");
    lblTask->setCaption(task(
        "Задание 2",
        QStringLiteral("Щелкните двойным щелчком левой кнопкой мыши по бегающей кнопке 10 раз")));
    lblDblClick->setVisible(true);
    lblDblClick->setCaption(QString::number(Dbl));
}

void Form1::formDblClick()
{
    if (Tasks != QLatin1String("Dbl") || !mnuDouble->enabled())
        return;
    if (DblDown == 0)
        Dbl = Dbl + 1;
    DblDown = -1;
    showSuccess();
    ShowDoubleTask2();
}

void Form1::lblDblClickDblClick()
{
    if (Tasks != QLatin1String("Dbl2"))
        return;
    if (Dbl >= CourseRules::kExerciseGoal) {
        showSuccess();
        lblDblClick->setVisible(false);
        mnuDouble->setEnabled(false);
        ShowMoveTask();
        return;
    }
    Dbl = Dbl + 1;
    runAway(*lblDblClick);
    lblDblClick->setCaption(QString::number(Dbl));
}

void Form1::ShowMoveTask()
{
    HideAll();
    lblMouseHead->setVisible(true);
    lblMouseHead->setCaption(QStringLiteral("Перетаскивание"));
    picMouse->setVisible(true);
    lblBox->setVisible(true);
    lblTask->setVisible(true);
    lblTask->setCaption(task("Задание", QStringLiteral("Перетащите мышь в коробку")));
    Tasks = QStringLiteral("Mov");
    randomize(1);

    // The box keeps its own size from the top-left edges and room for the picture plus 300
    // twips on the far side; the picture goes right of and below it, or left of (above) it
    // when they would overlap.
    const float W = width();
    const float H = height();
    const float bw = lblBox->width();
    const float bh = lblBox->height();
    const float pw = picMouse->width();
    const float ph = picMouse->height();
    const float r1 = rnd();
    const float r2 = rnd();
    const float r3 = rnd();
    const float r4 = rnd();
    const float bx = std::floor(r1 * (W - 2 * bw - pw - 300)) + bw;
    const float by = std::floor(r2 * (H - 2 * bh - ph - 300)) + bh;
    float mx = bx + bw + std::floor(r3 * (W - bx - 2 * bw));
    float my = by + bh + std::floor(r4 * (H - by - 2 * bh));
    if (mx + pw > bx && mx < bx + bw)
        mx = mx - bw - pw;
    if (mx < 0)
        mx = bx - 100;
    if (my + ph > by && my < by + bh)
        my = my - bh - ph;
    if (my < 0)
        my = by - 100;

    picMouse->setTop(my);
    picMouse->setLeft(mx);
    lblBox->setTop(by);
    lblBox->setLeft(bx);
}

// Any control dropped here other than the mouse picture is ignored. The drop does not look at
// the page or the menu: the picture can be dropped again at once, and that counts too.
void Form1::lblBoxDragDrop(BoxControl &source, float x, float y)
{
    if (&source != &*picMouse)
        return;
    source.move(lblBox->left() + x, lblBox->top() + y);
    M = M + 1;
    if (M >= CourseRules::kExerciseGoal) {
        showSuccess();
        mnuMove->setEnabled(false);
        HideAll();
        ShowIntro();
    } else {
        lblTask->setCaption(QStringLiteral("Для продолжения щелкните по  форме"));
        MDown = -1;
    }
}

void Form1::formClick()
{
    if (MDown == -1) {
        ShowMoveTask();
        MDown = 0;
    }
}
