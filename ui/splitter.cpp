// Splitter layout and proportional resizing.
#include "ui/splitter.h"

namespace {
constexpr int kWhole = 10000;
}

int Splitter::Span() const {
    int span = (area_.right - area_.left) - barWidth_;
    return span > 0 ? span : 0;
}

void Splitter::Clamp() {
    if (position_ > Span()) position_ = Span();
    if (position_ < 0) position_ = 0;
}

void Splitter::SetArea(const RECT& area) {
    const bool resized = (area.right - area.left) != (area_.right - area_.left);
    area_ = area;
    if (resized) position_ = MulDiv(Span(), proportion_, kWhole);
    Clamp();
}

void Splitter::SetPosition(int position) {
    position_ = position;
    Clamp();
    if (Span() > 0) proportion_ = MulDiv(position_, kWhole, Span());
}

void Splitter::SetBarWidth(int width) {
    barWidth_ = width > 0 ? width : 1;
    Clamp();
}

RECT Splitter::LeftPane() const {
    return RECT{area_.left, area_.top, area_.left + position_, area_.bottom};
}

RECT Splitter::Bar() const {
    return RECT{area_.left + position_, area_.top, area_.left + position_ + barWidth_, area_.bottom};
}

RECT Splitter::RightPane() const {
    return RECT{area_.left + position_ + barWidth_, area_.top, area_.right, area_.bottom};
}

bool Splitter::IsOnBar(POINT client) const {
    RECT bar = Bar();
    return PtInRect(&bar, client) != FALSE;
}
