// The progress bar: a shaded yellow rod with rounded ends whose length follows the position.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Filled length of a bar of the given size: r = (height - 4) / 2, length =
// (width - 2 (r + 2)) * position / maximum, truncated; 0 when the maximum is not positive.
// The position is taken within 0 ... maximum.
int Bar_Filled_Length(int width, int height, int position, int maximum);

// Brightness 20 ... 255 of a rod pixel at offsets u, v from an end's centre (each divided by
// the radius, v upwards): on an end cap when cap is true, else on the body (u unused).
int Bar_Brightness(double u, double v, bool cap);

// The bar's picture for a box of rect's size: background, then the rod when its length is
// positive.
QImage Bar_Image(QSize size, int position, int maximum, QColor background);
