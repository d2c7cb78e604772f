#include "form2layout.h"

#include "pictures.h"

namespace {

// The tables read best a control to a few lines.
// clang-format off

constexpr ControlLayout kControls[] = {
    {.name = "Picture1", .kind = ControlKind::PictureBox,
     .left = 3120, .top = 120, .width = 852, .height = 732,
     .back = kTitleTextColor, .picture = Pictures::Portrait,
     .description = "Портрет автора"},
    {.name = "Label3", .kind = ControlKind::Label,
     .left = 120, .top = 2280, .width = 3492, .height = 732,
     .back = kTitleTextColor, .font = {"Times New Roman", 7.8f}, .align = TextAlign::Center},
    {.name = "Label2", .kind = ControlKind::Label,
     .left = 240, .top = 1320, .width = 3372, .height = 732,
     .back = kTitleTextColor, .font = {"Monotype Corsiva", 10.2f, false, true},
     .align = TextAlign::Center},
    {.name = "Label1", .kind = ControlKind::Label,
     .left = 120, .top = 120, .width = 2772, .height = 972,
     .back = kTitleTextColor, .font = {"Monotype Corsiva", 12, true, true},
     .align = TextAlign::Center},
};

constexpr FormLayout kLayout{
    .name = "Form2",
    .caption = "Об авторе",
    .back = kTitleTextColor,
    .icon = nullptr,
    .clientWidth = 4200,
    .clientHeight = 3624,
    .controls = kControls,
    .menus = {},
};

// clang-format on

} // namespace

const FormLayout &form2Layout()
{
    return kLayout;
}
