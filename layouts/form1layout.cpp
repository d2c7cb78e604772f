#include "form1layout.h"

#include "pictures.h"

namespace {

// The tables read best a control to a few lines.
// clang-format off

constexpr ColorLayout kGreen = rgb(0, 255, 0);
constexpr ColorLayout kOrange = rgb(255, 128, 0);
constexpr ColorLayout kDarkRed = rgb(192, 0, 0);
constexpr ColorLayout kYellow = rgb(255, 255, 0);

constexpr ControlLayout kControls[] = {
    {.name = "picMouse", .kind = ControlKind::PictureBox,
     .left = 3840, .top = 2040, .width = 492, .height = 372,
     .back = rgb(255, 255, 255), .picture = Pictures::ToyMouse,
     .dragAutomatic = true, .dragIcon = Pictures::ToyMouse, .tabIndex = 5,
     .description = "Мышка, которую нужно перетащить"},
    {.name = "btnClick", .kind = ControlKind::CommandButton,
     .left = 1320, .top = 3120, .width = 492, .height = 492, .caption = "0",
     .back = kOrange, .font = {"Arial", 19.2f, true}, .tabIndex = 4},
    {.name = "btnFirst", .kind = ControlKind::CommandButton,
     .left = 1080, .top = 7320, .width = 492, .height = 372, .caption = "<<",
     .back = kGreen, .tabIndex = 3},
    {.name = "btnLast", .kind = ControlKind::CommandButton,
     .left = 9240, .top = 7320, .width = 492, .height = 372, .caption = ">>",
     .back = kGreen, .tabIndex = 2},
    {.name = "btnPrev", .kind = ControlKind::CommandButton,
     .left = 1680, .top = 7320, .width = 492, .height = 372, .caption = "<",
     .back = kGreen, .tabIndex = 1},
    {.name = "btnNext", .kind = ControlKind::CommandButton,
     .left = 8640, .top = 7320, .width = 492, .height = 372, .caption = ">",
     .back = kGreen, .tabIndex = 0},
    {.name = "lblBox", .kind = ControlKind::Label,
     .left = 4800, .top = 3600, .width = 2172, .height = 1572, .caption = "Коробка",
     .back = rgb(255, 224, 192), .font = {"MS Sans Serif", 10.8f},
     .align = TextAlign::Center, .border = true},
    {.name = "lblDblClick", .kind = ControlKind::Label,
     .left = 2520, .top = 2520, .width = 492, .height = 492, .caption = "0",
     .back = kOrange, .font = {"MS Sans Serif", 18, true},
     .align = TextAlign::Center, .border = true},
    {.name = "lblMouse", .kind = ControlKind::Label,
     .left = 6240, .top = 3120, .width = 2052, .height = 252, .caption = "Левая кнопка мыши",
     .back = kYellow, .font = {"Monotype Corsiva", 10.8f, true, true}},
    {.name = "LineMouse", .kind = ControlKind::Line,
     .x1 = 7800, .y1 = 3360, .x2 = 8400, .y2 = 3600},
    {.name = "ImMouse", .kind = ControlKind::Image,
     .left = 7680, .top = 3120, .width = 1932, .height = 2052,
     .picture = Pictures::WhiteTiltedMouse, .description = "Компьютерная мышь"},
    {.name = "lblTask", .kind = ControlKind::Label,
     .left = 480, .top = 960, .width = 4572, .height = 852,
     .back = kGreen, .font = {"MS Sans Serif", 7.8f, true}},
    {.name = "lblMouseDesc", .kind = ControlKind::Label,
     .left = 240, .top = 960, .width = 10092, .height = 6012,
     .back = kGreen, .fore = kDarkRed, .font = {"MS Sans Serif", 9.6f, true}},
    {.name = "lblMouseHead", .kind = ControlKind::Label,
     .left = 1080, .top = 240, .width = 8292, .height = 492, .caption = "Мышь",
     .back = kGreen, .fore = kDarkRed, .font = {"Comic Sans MS", 22.2f, true, true},
     .align = TextAlign::Center},
    {.name = "Image1", .index = 3, .kind = ControlKind::Image,
     .left = 9480, .top = 0, .width = 972, .height = 972,
     .picture = Pictures::WhiteTiltedMouse, .description = "Белая компьютерная мышь"},
    {.name = "Image1", .index = 2, .kind = ControlKind::Image,
     .left = 9720, .top = 6960, .width = 972, .height = 852,
     .picture = Pictures::GreyTiltedMouse, .description = "Серая компьютерная мышь"},
    {.name = "Image1", .index = 1, .kind = ControlKind::Image,
     .left = 360, .top = 120, .width = 732, .height = 732,
     .picture = Pictures::UprightMouse, .description = "Компьютерная мышь с проводом"},
    {.name = "Image1", .index = 0, .kind = ControlKind::Image,
     .left = 120, .top = 6960, .width = 732, .height = 732,
     .picture = Pictures::ToyMouse, .description = "Игрушечная мышка"},
};

constexpr MenuLayout kMenus[] = {
    {"mnulearn", 0, "&Обучение"},
    {"mnuBegin", 1, "Начать"},
    {"mnuRes", 1, "Результаты"},
    {"mnuMin", 1, "-"},
    {"mnuExit", 1, "Выход"},
    {"mnuTasks", 0, "&Оглавление"},
    {"mnuMouse", 1, "Что такое мышь?"},
    {"mnuMin2", 1, "-"},
    {"mnuLeft", 1, "Левая кнопка мыши"},
    {"mnuRight", 1, "Правая кнопка мыши"},
    {"mnuDouble", 1, "Двойной щелчок"},
    {"mnuMove", 1, "Перетаскивание"},
    {"mnuGames", 0, "&Игры"},
    {"mnuCatch", 1, "Поймай"},
    {"mnuChoose", 1, "Помести в нужный раздел"},
    {"mnuProg", 0, "О &программе"},
    {"mnuRules", 1, "Помощь"},
    {"mnuAut", 1, "Об авторе"},
};

constexpr FormLayout kLayout{
    .name = "Form1",
    .caption = "Mouse",
    .back = kGreen,
    .icon = Pictures::ToyMouse,
    .clientWidth = 10704,
    .clientHeight = 7764,
    .controls = kControls,
    .menus = kMenus,
};

// clang-format on

} // namespace

const FormLayout &form1Layout()
{
    return kLayout;
}
