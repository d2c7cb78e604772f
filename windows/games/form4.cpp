#include "form4.h"

#include "courserules.h"
#include "form4layout.h"
#include "image.h"
#include "label.h"
#include "menuitem.h"
#include "picturebox.h"
#include "timer.h"

#include <QColor>
#include <iterator>

namespace {

constexpr int kMarkers = 5;

// One step of the victory display: the window's background, then the label's.
struct VictoryColours
{
    QRgb window;
    QRgb labelBack;
    QRgb labelFore;
};

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kCyan = qRgb(0, 255, 255);
constexpr QRgb kMagenta = qRgb(255, 0, 255);

// The colours applied when col reaches each value; after the last row col starts again from 0.
constexpr VictoryColours kVictoryCycle[] = {
    {kBlack, kRed, kBlack},       // col 1
    {kBlue, kBlack, kWhite},      // col 2
    {kRed, kYellow, kBlack},      // col 3
    {kWhite, kBlack, kWhite},     // col 4
    {kCyan, kBlack, kCyan},       // col 5
    {kMagenta, kWhite, kMagenta}, // col 6
    {kGreen, kYellow, kBlack},    // col 7
    {kWhite, kBlack, kRed},       // col 8
};
constexpr int kCycleLength = int(std::size(kVictoryCycle));

} // namespace

Form4::Form4(Int16 &score) : Form(form4Layout()), m_score(score) {}

void Form4::connectEvents()
{
    Timer1->onTimer([this] { Timer1Timer(); });
    Timer2->onTimer([this] { Timer2Timer(); });
    pic->onClick([this] { picClick(); });
    mnuNew->onClick([this] { NewGame(); });
    // Only put away: the game and both timers go on, and "Поймай" shows it again as it is.
    mnuExit->onClick([this] { hide(); });
}

void Form4::formLoad()
{
    NewGame();
}

void Form4::NewGame()
{
    Total = 0;
    Sum = 0;
    setBackColor(QColor(kYellow));
    lblSuccess->setVisible(false);
    imSuc->setVisible(false);
    pic->setVisible(true);
    pic->setLeft(0);
    pic->setTop(0);
    Timer2->setEnabled(false);
    Timer1->setEnabled(true);
    for (int i = 0; i < kMarkers; ++i)
        Image1[i].setVisible(false);
}

// The picture sweeps each row left to right, then steps down a row; below the last row that
// clears the markers it starts again at the top-left corner.
void Form4::Timer1Timer()
{
    if (pic->left() < width() - pic->width() - 100) {
        pic->setLeft(pic->left() + 100);
    } else if (pic->top() < Image1[0].top() - pic->height() - 300) {
        pic->setTop(pic->top() + 50 + pic->height());
        pic->setLeft(0);
    } else {
        pic->setLeft(0);
        pic->setTop(0);
    }
}

void Form4::picClick()
{
    Sum = Sum + 1;
    Image1[Sum - 1].setVisible(true);
    if (Sum == kMarkers) {
        Total = CourseRules::kCatchScore;
        m_score = Total;
        ShowVictory();
    }
}

// Timer1 is left running: it goes on moving the hidden picture.
void Form4::ShowVictory()
{
    imSuc->setVisible(true);
    lblSuccess->setVisible(true);
    Timer2->setEnabled(true);
    pic->setVisible(false);
    for (int i = 0; i < kMarkers; ++i)
        Image1[i].setVisible(false);
}

void Form4::Timer2Timer()
{
    col = col + 1;
    const VictoryColours &row = kVictoryCycle[col - 1];
    setBackColor(QColor(row.window));
    lblSuccess->setBackColor(QColor(row.labelBack));
    lblSuccess->setForeColor(QColor(row.labelFore));
    if (col == kCycleLength)
        col = 0;
}
