// The painters behind artgen. Each returns an ARGB picture; artgen.cpp reduces
// it to a palette and writes the file the program embeds.
#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

namespace art {

// The device-pixel ratios the screen's pictures are also painted for, beside the 1:1 bitmaps:
// the viewer's zoom steps above 1. Each is written as res/hires/<name>@<scale>x.png.
inline constexpr std::array<double, 4> kHighResolutionScales{1.25, 1.5, 2, 3};

// A picture of `size` view pixels painted at `scale`: each dimension rounded to whole pixels.
QSize ScaledSize(QSize size, double scale);

// Families registered from the font files artgen loads itself, so the output
// does not depend on what fontconfig would substitute.
struct Fonts {
  QString display;     // title lettering
  QString serif;       // captions and headings
  QString serifBold;
  QString serifItalic;
};

// Loads the fonts from `dir`. On failure returns false and names the missing file.
bool LoadFonts(const QString& dir, Fonts* fonts, QString* error);

// The 632 x 453 backdrop of the search screen, painted with `scale` device pixels to a view
// pixel. At 1 it is the bitmap the program embeds; above 1 every line, letter and emblem is drawn
// at the device resolution, with the fixed layout at the same view pixels.
QImage PaintBackdrop(const Fonts& fonts, double scale = 1);

// Colours that must survive palette reduction exactly: the white field boxes,
// the table's inside, its frame and rules.
std::vector<QRgb> BackdropFixedColours();

// The backdrop with a count line and sample rows drawn the way the viewer
// draws them, in the application's default font, for checking legibility.
QImage PaintMockup(const QImage& backdrop);

enum class Arrow { Left, Right };
enum class Face { Up, Down, Focus, Dim };

// A 19 x 23 page button face. At 1 it is drawn pixel by pixel, only the four greys and black;
// above 1 the outline, bevels and dotted focus frame stay whole view pixels and the triangle is
// drawn as a smooth shape.
QImage PaintPageButton(Arrow arrow, Face face, double scale = 1);
std::vector<QRgb> ButtonColours();

// The program icon at `size` pixels. With `vga` set it is drawn without
// antialiasing in the 16 standard colours, for the 4-bit icon file.
QImage PaintIcon(int size, bool vga);
std::vector<QRgb> VgaColours();
QString IconSvg();

}  // namespace art
