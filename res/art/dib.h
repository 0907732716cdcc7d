// Palette reduction and the two file formats the program's pictures ship in:
// 8-bit device-independent bitmaps and a 16-colour icon.
//
// BMP file written by EncodeBmp8 (all fields little-endian):
//
//   offset  size  field
//        0    14  file header: "BM", file size, 0, 0, offset of the pixel rows
//       14    40  BITMAPINFOHEADER: 40, width, height (> 0: bottom-up), 1 plane,
//                 8 bits, no compression, size of the rows, 0, 0, 256 colours, 0
//       54  1024  colour table: 256 x (blue, green, red, 0)
//     1078     -  rows, bottom row first, each padded to a multiple of 4 bytes
//
// Everything after the file header is the resource: for a 632 x 453 picture
// that is 40 + 1024 + 632 * 453 = 287,360 bytes; for 19 x 23, 40 + 1024 + 20 * 23.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace art {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kBmpColours = 256;

// A picture reduced to palette indices.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<QRgb> palette;     // opaque colours; EncodeBmp8 pads it to 256
  std::vector<uint8_t> pixels;   // width * height indices, top row first
  std::vector<uint8_t> opaque;   // icons only: 1 where the pixel is drawn
};

// Builds a palette of at most `size` colours for `image`: the `fixed` colours
// first, in the given order, then colours found by median cut over the rest of
// the picture. Fully deterministic: the same picture gives the same palette.
std::vector<QRgb> BuildPalette(const QImage& image, const std::vector<QRgb>& fixed, int size);

// Maps every pixel to its nearest palette colour. A pixel that equals a
// palette colour exactly always gets that entry (the first one, if repeated).
// Pixels with alpha below 128 are marked transparent in `opaque`.
IndexedImage Quantise(const QImage& image, const std::vector<QRgb>& palette);

// The whole .bmp file, 8 bits per pixel, 256-entry colour table.
// The palette must hold at most 256 colours.
std::vector<uint8_t> EncodeBmp8(const IndexedImage& image);

// The whole .ico file with one 32 x 32 image, 4 bits per pixel and an AND
// mask. The palette must hold at most 16 colours.
std::vector<uint8_t> EncodeIco4(const IndexedImage& image);

// Writes the bytes to `path`, replacing the file. Returns false on failure.
bool WriteBytes(const QString& path, const std::vector<uint8_t>& bytes);

}  // namespace art
