// The search screen's pictures at the device-pixel ratio they are shown at.
//
// At a ratio of 1 a picture is its bitmap as loaded (":/<name>.bmp"). Above 1 it is the rendering
// painted for that ratio (":/hires/<name>@<ratio>x.png", see res/art), which the screen draws
// pixel for pixel, so lines and letters stay sharp at every zoom step. A ratio without a
// rendering of its own gets the nearest larger one (else the largest) resampled smoothly, once.
// Without any rendering the bitmap itself is used, and is scaled pixel for pixel when drawn.
#pragma once

#include <QPixmap>

// `base` is the picture's 1:1 bitmap; the result, drawn at a point, covers the same logical
// pixels (its device-pixel ratio is set to `ratio`).
QPixmap ArtworkFor(const char* name, const QPixmap& base, qreal ratio);

// The ratios that `name` has renderings for, ascending.
QList<qreal> ArtworkRatios(const char* name);
