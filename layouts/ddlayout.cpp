#include "ddlayout.h"

#include "pictures.h"

#include <array>

namespace {

// The tables read best a control to a few lines.
// clang-format off

constexpr const char *kFlagNames[12] = {
    "Флаг Дании",   "Флаг Финляндии",      "Флаг Германии", "Флаг Италии",
    "Флаг Японии",  "Флаг Норвегии",       "Флаг России",   "Флаг Швеции",
    "Флаг Турции",  "Флаг Великобритании", "Флаг Канады",   "Флаг США",
};

constexpr ControlLayout section(const char *name, float left, float width, const char *caption)
{
    return {.name = name, .kind = ControlKind::Label,
            .left = left, .top = 1440, .width = width, .height = 2532, .caption = caption,
            .back = kTitleTextColor, .fore = rgb(128, 0, 0),
            .font = {"MS Sans Serif", 10.8f, true}, .align = TextAlign::Center, .border = true};
}

constexpr std::array<ControlLayout, 15> makeControls()
{
    std::array<ControlLayout, 15> controls{};
    for (int i = 0; i < 12; ++i) {
        controls[i] = {.name = "Picture1", .index = i, .kind = ControlKind::PictureBox,
                       .left = 120.0f + 600.0f * i, .top = 240, .width = 492, .height = 492,
                       .back = rgb(0, 0, 255), .picture = Pictures::Flags[i],
                       .dragAutomatic = true, .description = kFlagNames[i]};
    }
    controls[12] = section("Label1", 0, 1452, "Северная Америка");
    controls[13] = section("Label2", 1440, 5052, "Европа");
    controls[14] = section("Label3", 6480, 1212, "Азия");
    return controls;
}

constexpr std::array<ControlLayout, 15> kControls = makeControls();

constexpr FormLayout kLayout{
    .name = "DD",
    .caption = "Поместите в нужный раздел",
    .back = kTitleTextColor,
    .icon = Pictures::Flags[6],
    .clientWidth = 7620,
    .clientHeight = 3948,
    .controls = kControls,
    .menus = {},
};

// clang-format on

} // namespace

const FormLayout &ddLayout()
{
    return kLayout;
}
