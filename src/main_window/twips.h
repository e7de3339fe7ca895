#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

// Designs are given in twips; at 96 dpi 15 twips make one (logical) pixel. Qt scales
// logical pixels on high-DPI screens.
inline int twips_to_px(double twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

inline QRect twips_rect(int left, int top, int width, int height) {
    return {twips_to_px(left), twips_to_px(top), twips_to_px(width), twips_to_px(height)};
}

inline void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips_rect(left, top, width, height));
}
