#include "form3layout.h"

namespace {

// The tables read best a control to a few lines.
// clang-format off

constexpr ControlLayout kControls[] = {
    {.name = "Label2", .kind = ControlKind::Label,
     .left = 120, .top = 720, .width = 3732, .height = 5172,
     .back = kHighlightTextColor, .font = {"MS Sans Serif", 9.6f}},
    {.name = "Label1", .kind = ControlKind::Label,
     .left = 120, .top = 120, .width = 3492, .height = 372, .caption = "Правила игры",
     .back = kHighlightTextColor, .font = {"MS Sans Serif", 13.2f}, .align = TextAlign::Center},
};

constexpr FormLayout kLayout{
    .name = "Form3",
    .caption = "Правила игры",
    .back = kHighlightTextColor,
    .icon = nullptr,
    .clientWidth = 3960,
    .clientHeight = 5988,
    .controls = kControls,
    .menus = {},
};

// clang-format on

} // namespace

const FormLayout &form3Layout()
{
    return kLayout;
}
