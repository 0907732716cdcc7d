// The painters behind artgen. Each returns an ARGB picture; artgen.cpp reduces
// it to a palette and writes the file the program embeds.
#pragma once

#include <QImage>
#include <QRgb>
#include <QString>

#include <vector>

namespace art {

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

// The 632 x 453 backdrop of the search screen.
QImage PaintBackdrop(const Fonts& fonts);

// Colours that must survive palette reduction exactly: the white field boxes,
// the table's inside, its frame and rules.
std::vector<QRgb> BackdropFixedColours();

// The backdrop with a count line and sample rows drawn the way the viewer
// draws them, in the application's default font, for checking legibility.
QImage PaintMockup(const QImage& backdrop);

enum class Arrow { Left, Right };
enum class Face { Up, Down, Focus, Dim };

// A 19 x 23 page button face. Drawn pixel by pixel: only the four greys and black.
QImage PaintPageButton(Arrow arrow, Face face);
std::vector<QRgb> ButtonColours();

// The program icon at `size` pixels. With `vga` set it is drawn without
// antialiasing in the 16 standard colours, for the 4-bit icon file.
QImage PaintIcon(int size, bool vga);
std::vector<QRgb> VgaColours();
QString IconSvg();

}  // namespace art
