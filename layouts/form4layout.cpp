#include "form4layout.h"

#include "pictures.h"

#include <array>

namespace {

// The tables read best a control to a few lines.
// clang-format off

constexpr ColorLayout kYellow = rgb(255, 255, 0);

constexpr std::array<ControlLayout, 10> makeControls()
{
    std::array<ControlLayout, 10> controls{{
        {.name = "Timer2", .kind = ControlKind::Timer, .interval = 300},
        {.name = "pic", .kind = ControlKind::PictureBox,
         .left = 240, .top = 240, .width = 492, .height = 372,
         .back = kYellow, .picture = Pictures::ToyMouse, .description = "Бегущая мышка"},
        {.name = "Timer1", .kind = ControlKind::Timer, .interval = 100},
        {.name = "lblSuccess", .kind = ControlKind::Label,
         .left = 240, .top = 2040, .width = 3852, .height = 852, .caption = "победа",
         .back = kYellow, .font = {"MS Sans Serif", 28.8f, true}, .align = TextAlign::Center},
        {.name = "imSuc", .kind = ControlKind::Image,
         .left = 840, .top = 240, .width = 2772, .height = 1812,
         .picture = Pictures::ToyMouse, .description = "Пойманная мышка"},
    }};
    for (int i = 0; i < 5; ++i) {
        controls[5 + i] = {.name = "Image1", .index = i, .kind = ControlKind::Image,
                           .left = 1920.0f + 480.0f * i, .top = 3360, .width = 372, .height = 372,
                           .picture = Pictures::GreyTiltedMouse, .description = "Поймана"};
    }
    return controls;
}

constexpr std::array<ControlLayout, 10> kControls = makeControls();

constexpr MenuLayout kMenus[] = {
    {"mnuGame", 0, "&Игра"},
    {"mnuNew", 1, "Новая игра"},
    {"mnuMin", 1, "-"},
    {"mnuExit", 1, "Выход"},
};

constexpr FormLayout kLayout{
    .name = "Form4",
    .caption = "Поймай мышь",
    .back = kYellow,
    .icon = Pictures::ToyMouse,
    .clientWidth = 4320,
    .clientHeight = 3840,
    .controls = kControls,
    .menus = kMenus,
};

// clang-format on

} // namespace

const FormLayout &form4Layout()
{
    return kLayout;
}
