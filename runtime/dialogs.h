#pragma once

#include <QString>

// Message box styles: buttons plus icon, as numbers the window logic passes along.
namespace BoxStyle {
inline constexpr int ErrorOk = 16;
inline constexpr int WarningOk = 48;
inline constexpr int WarningOkCancel = 49;
} // namespace BoxStyle

// Answers of a message box.
namespace BoxAnswer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
} // namespace BoxAnswer

// An input box takes at most this many characters: the name typed there goes into a line of the
// results file, which the course writes and the journal reads whole at any length up to this.
inline constexpr int kMaxInputLength = 255;

// The modal boxes the program asks the user with. Tests install a scripted implementation.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Returns the button pressed: BoxAnswer::Ok or BoxAnswer::Cancel.
    virtual int messageBox(const QString &prompt, int style, const QString &title) = 0;
    // Returns the text typed, at most kMaxInputLength characters, or an empty text on Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;
};
