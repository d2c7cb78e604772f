#pragma once

#include <cstdint>
#include <span>

// A window's stored layout as plain data: positions and sizes in twips, texts in UTF-8.
// FormBuilder turns it into widgets.

enum class ControlKind : std::uint8_t { Label, CommandButton, PictureBox, Image, Line, Timer };

enum class TextAlign : std::uint8_t { Left, Center };

struct ColorLayout
{
    // A fixed colour or one of the desktop's colours for a role.
    enum class Role : std::uint8_t {
        Unset,
        Rgb,
        ButtonText,    // text on buttons: the default text colour of controls
        WindowText,    // the default colour of lines
        TitleText,     // text of an active title bar
        HighlightText, // selected text
    };
    Role role = Role::Unset;
    std::uint8_t r = 0, g = 0, b = 0;
};

constexpr ColorLayout rgb(int r, int g, int b)
{
    return {ColorLayout::Role::Rgb, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(b)};
}
inline constexpr ColorLayout kTitleTextColor{ColorLayout::Role::TitleText};
inline constexpr ColorLayout kHighlightTextColor{ColorLayout::Role::HighlightText};

struct FontLayout
{
    const char *face = nullptr; // nullptr: the window's font
    float points = 0;
    bool bold = false;
    bool italic = false;
};

struct ControlLayout
{
    const char *name;
    int index = -1; // element of a control array, or -1
    ControlKind kind = ControlKind::Label;
    float left = 0, top = 0, width = 0, height = 0;
    const char *caption = "";
    ColorLayout back{};
    ColorLayout fore{};
    FontLayout font{};
    TextAlign align = TextAlign::Left;
    bool border = false;                  // labels: a single-line border
    const char *picture = nullptr;        // resource path
    bool dragAutomatic = false;           // pressing the left button and moving drags it
    const char *dragIcon = nullptr;       // picture shown while dragging; else an outline
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0; // lines
    int interval = 0;                     // timers, in milliseconds
    bool enabled = true;
    int tabIndex = -1;                 // keyboard focus order; -1 takes no focus
    const char *description = nullptr; // accessible name of a control without caption
};

struct MenuLayout
{
    const char *name;
    int level;           // 0: an item of the menu bar; 1: an item of the drop-down menu above it
    const char *caption; // "-" is a separator
};

struct FormLayout
{
    const char *name;
    const char *caption;
    ColorLayout back;
    const char *icon; // nullptr: the program's icon
    float clientWidth;
    float clientHeight;
    std::span<const ControlLayout> controls; // in stored order
    std::span<const MenuLayout> menus;
};
