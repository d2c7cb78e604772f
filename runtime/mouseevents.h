#pragma once

class QMouseEvent;

// A mouse press as the window logic sees it.
struct MouseArgs
{
    int button; // 1 left, 2 right, 4 middle
    int shift;  // 1 Shift, 2 Ctrl, 4 Alt
    float x;    // twips
    float y;
};

MouseArgs mouseArgs(const QMouseEvent *event);
