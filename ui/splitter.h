// The vertical splitter of the main window's client area: the device tree left of a bar the
// user drags, the block list right of it. A layout over the frame's own client area (no window
// of its own), so the panes stay children of the frame and their notifications reach it
// directly. Resizing keeps the proportion of the panes.
#pragma once

#include <windows.h>

class Splitter {
public:
    // The area the panes share; when its width changes the bar keeps its proportion.
    void SetArea(const RECT& area);
    const RECT& area() const { return area_; }

    // The left pane's width in pixels, kept within the area.
    void SetPosition(int position);
    int position() const { return position_; }

    void SetBarWidth(int width);
    int barWidth() const { return barWidth_; }

    RECT LeftPane() const;
    RECT RightPane() const;
    RECT Bar() const;
    bool IsOnBar(POINT client) const;

    // Dragging the bar with the mouse: x is the pointer's client x.
    void BeginDrag(int x) { dragOffset_ = x - (area_.left + position_); }
    void DragTo(int x) { SetPosition(x - dragOffset_ - area_.left); }

private:
    int Span() const;  // the width the two panes share
    void Clamp();

    RECT area_ = {};
    int position_ = 0;
    // The position as a share of the span, in 1/10000, kept while the area only changes size.
    int proportion_ = 2500;
    int barWidth_ = 4;
    int dragOffset_ = 0;
};
