#pragma once

// Resource paths of the pictures drawn for the program (assets/).
namespace Pictures {
inline constexpr const char *ToyMouse = ":/toymouse.ico";
inline constexpr const char *WhiteTiltedMouse = ":/mouse_white_tilted.ico";
inline constexpr const char *GreyTiltedMouse = ":/mouse_grey_tilted.ico";
inline constexpr const char *UprightMouse = ":/mouse_upright.ico";
inline constexpr const char *Portrait = ":/portrait.gif";

// The flags of the sort game, in the order of its picture array.
inline constexpr const char *Flags[12] = {
    ":/flags/denmark.ico",        ":/flags/finland.ico", ":/flags/germany.ico",
    ":/flags/italy.ico",          ":/flags/japan.ico",   ":/flags/norway.ico",
    ":/flags/russia.ico",         ":/flags/sweden.ico",  ":/flags/turkey.ico",
    ":/flags/united_kingdom.ico", ":/flags/canada.ico",  ":/flags/usa.ico",
};
} // namespace Pictures
