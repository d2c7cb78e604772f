#include "freslayout.h"

#include <array>

namespace {

// The tables read best a control to a few lines.
// clang-format off

struct Column
{
    const char *header;
    int headerIndex; // lblFIO is an array of one element
    const char *caption;
    const char *cells;
    float left;
    float width;
    TextAlign align;
};

constexpr Column kColumns[8] = {
    {"lblFIO", 0, "Имя", "Label1", 120, 1932, TextAlign::Center},
    {"lblLeft", -1, "Левая", "Label2", 2280, 612, TextAlign::Center},
    {"lblRight", -1, "Правая", "Label3", 3000, 612, TextAlign::Center},
    {"lblDouble", -1, "Двойной", "Label4", 3720, 612, TextAlign::Left},
    {"lblMove", -1, "Движ", "Label5", 4440, 612, TextAlign::Left},
    {"lblGame1", -1, "Игра 1", "Label6", 5160, 612, TextAlign::Left},
    {"lblGame2", -1, "Игра 2", "Label7", 5880, 612, TextAlign::Left},
    {"lblTotal", -1, "Итог", "Label8", 6840, 612, TextAlign::Left},
};

constexpr int kRows = 10;
constexpr int kControlCount = 8 * (1 + kRows);

constexpr std::array<ControlLayout, kControlCount> makeControls()
{
    std::array<ControlLayout, kControlCount> controls{};
    int n = 0;
    for (const Column &column : kColumns) {
        controls[n++] = {.name = column.header, .index = column.headerIndex,
                         .kind = ControlKind::Label, .left = column.left, .top = 120,
                         .width = column.width, .height = 252, .caption = column.caption,
                         .back = rgb(128, 64, 0), .fore = kHighlightTextColor,
                         .font = {"MS Sans Serif", 6.6f, true}, .align = TextAlign::Center};
        for (int row = 0; row < kRows; ++row) {
            controls[n++] = {.name = column.cells, .index = row, .kind = ControlKind::Label,
                             .left = column.left, .top = 480.0f + 360.0f * row,
                             .width = column.width, .height = 252,
                             .back = rgb(255, 255, 0), .align = column.align};
        }
    }
    return controls;
}

constexpr std::array<ControlLayout, kControlCount> kControls = makeControls();

constexpr FormLayout kLayout{
    .name = "FRes",
    .caption = "Результаты",
    .back = rgb(128, 255, 128),
    .icon = nullptr,
    .clientWidth = 7668,
    .clientHeight = 4176,
    .controls = kControls,
    .menus = {},
};

// clang-format on

} // namespace

const FormLayout &fresLayout()
{
    return kLayout;
}
