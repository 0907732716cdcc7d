#include "dib.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>

namespace art {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize,
                   uint32_t coloursUsed) {
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);      // planes
  Put16(out, bits);
  Put32(out, 0);      // BI_RGB: no compression
  Put32(out, imageSize);
  Put32(out, 0);      // pixels per metre, x and y: not given
  Put32(out, 0);
  Put32(out, coloursUsed);
  Put32(out, 0);      // all colours important
}

void PutColourTable(std::vector<uint8_t>& out, const std::vector<QRgb>& palette, size_t entries) {
  for (size_t i = 0; i < entries; ++i) {
    const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
    out.push_back(static_cast<uint8_t>(qBlue(c)));
    out.push_back(static_cast<uint8_t>(qGreen(c)));
    out.push_back(static_cast<uint8_t>(qRed(c)));
    out.push_back(0);
  }
}

// Perceptual weighting: the eye is most sensitive to green, least to blue.
int Distance(QRgb a, QRgb b) {
  const int dr = qRed(a) - qRed(b);
  const int dg = qGreen(a) - qGreen(b);
  const int db = qBlue(a) - qBlue(b);
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

struct ColourCount {
  QRgb rgb;
  uint32_t count;
};

int Channel(QRgb c, int channel) {
  return channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
}

// A box of the median cut: a range of the histogram.
struct Box {
  size_t begin;
  size_t end;
  uint64_t population = 0;
  int widest = 0;  // channel with the largest spread
  int spread = 0;

  void Measure(const std::vector<ColourCount>& hist) {
    std::array<int, 3> lo{255, 255, 255};
    std::array<int, 3> hi{0, 0, 0};
    population = 0;
    for (size_t i = begin; i < end; ++i) {
      population += hist[i].count;
      for (int ch = 0; ch < 3; ++ch) {
        lo[ch] = std::min(lo[ch], Channel(hist[i].rgb, ch));
        hi[ch] = std::max(hi[ch], Channel(hist[i].rgb, ch));
      }
    }
    widest = 0;
    spread = -1;
    for (int ch = 0; ch < 3; ++ch) {
      if (hi[ch] - lo[ch] > spread) {
        spread = hi[ch] - lo[ch];
        widest = ch;
      }
    }
  }

  QRgb Mean(const std::vector<ColourCount>& hist) const {
    uint64_t r = 0, g = 0, b = 0;
    for (size_t i = begin; i < end; ++i) {
      r += uint64_t{hist[i].count} * qRed(hist[i].rgb);
      g += uint64_t{hist[i].count} * qGreen(hist[i].rgb);
      b += uint64_t{hist[i].count} * qBlue(hist[i].rgb);
    }
    const uint64_t n = population;
    return qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                static_cast<int>((b + n / 2) / n));
  }
};

}  // namespace

std::vector<QRgb> BuildPalette(const QImage& source, const std::vector<QRgb>& fixed, int size) {
  if (static_cast<int>(fixed.size()) > size) throw std::invalid_argument("too many fixed colours");
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);

  std::vector<QRgb> fixedRgb;
  for (QRgb c : fixed) fixedRgb.push_back(c | 0xff000000u);
  std::vector<QRgb> sortedFixed = fixedRgb;
  std::sort(sortedFixed.begin(), sortedFixed.end());

  // Histogram of the opaque colours that no fixed entry already matches.
  std::vector<QRgb> all;
  all.reserve(static_cast<size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(line[x]) < 128) continue;
      const QRgb c = line[x] | 0xff000000u;
      if (!std::binary_search(sortedFixed.begin(), sortedFixed.end(), c)) all.push_back(c);
    }
  }
  std::sort(all.begin(), all.end());
  std::vector<ColourCount> hist;
  for (QRgb c : all) {
    if (!hist.empty() && hist.back().rgb == c) {
      ++hist.back().count;
    } else {
      hist.push_back({c, 1});
    }
  }

  std::vector<QRgb> palette = fixedRgb;
  const size_t wanted = static_cast<size_t>(size) - fixedRgb.size();
  if (hist.empty() || wanted == 0) return palette;

  std::vector<Box> boxes{Box{0, hist.size()}};
  boxes[0].Measure(hist);
  while (boxes.size() < wanted) {
    // Split the box whose error is likely largest: many pixels over a wide spread.
    size_t pick = boxes.size();
    uint64_t best = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2) continue;
      const uint64_t score = boxes[i].population * static_cast<uint64_t>(boxes[i].spread + 1);
      if (score > best) {
        best = score;
        pick = i;
      }
    }
    if (pick == boxes.size()) break;  // every box holds a single colour

    Box& box = boxes[pick];
    const int ch = box.widest;
    std::sort(hist.begin() + static_cast<std::ptrdiff_t>(box.begin),
              hist.begin() + static_cast<std::ptrdiff_t>(box.end),
              [ch](const ColourCount& a, const ColourCount& b) {
                const int ca = Channel(a.rgb, ch), cb = Channel(b.rgb, ch);
                return ca != cb ? ca < cb : a.rgb < b.rgb;
              });
    // Split at the weighted median, keeping both halves non-empty.
    uint64_t seen = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
      seen += hist[i].count;
      cut = i + 1;
      if (2 * seen >= box.population) break;
    }
    Box upper{cut, box.end};
    box.end = cut;
    box.Measure(hist);
    upper.Measure(hist);
    boxes.push_back(upper);
  }
  for (const Box& box : boxes) palette.push_back(box.Mean(hist));
  return palette;
}

IndexedImage Quantise(const QImage& source, const std::vector<QRgb>& palette) {
  if (palette.empty()) throw std::invalid_argument("empty palette");
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  IndexedImage out;
  out.width = image.width();
  out.height = image.height();
  out.palette = palette;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  out.opaque.resize(out.pixels.size());

  std::unordered_map<QRgb, uint8_t> nearest;
  for (int y = 0; y < out.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < out.width; ++x) {
      const size_t at = static_cast<size_t>(y) * out.width + x;
      if (qAlpha(line[x]) < 128) {
        out.pixels[at] = 0;
        out.opaque[at] = 0;
        continue;
      }
      out.opaque[at] = 1;
      const QRgb c = line[x] | 0xff000000u;
      auto found = nearest.find(c);
      if (found == nearest.end()) {
        size_t bestIndex = 0;
        int best = Distance(c, palette[0]);
        for (size_t i = 1; i < palette.size() && best > 0; ++i) {
          const int d = Distance(c, palette[i]);
          if (d < best) {
            best = d;
            bestIndex = i;
          }
        }
        found = nearest.emplace(c, static_cast<uint8_t>(bestIndex)).first;
      }
      out.pixels[at] = found->second;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeBmp8(const IndexedImage& image) {
  if (image.palette.size() > kBmpColours) throw std::invalid_argument("palette over 256 colours");
  const size_t stride = (static_cast<size_t>(image.width) + 3) & ~size_t{3};
  const size_t rows = stride * image.height;
  const size_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * kBmpColours;

  std::vector<uint8_t> out;
  out.reserve(offset + rows);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(offset + rows));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, static_cast<uint32_t>(offset));
  PutInfoHeader(out, image.width, image.height, 8, static_cast<uint32_t>(rows), kBmpColours);
  PutColourTable(out, image.palette, kBmpColours);
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    out.insert(out.end(), row, row + image.width);
    out.resize(out.size() + stride - image.width, 0);
  }
  return out;
}

std::vector<uint8_t> EncodeIco4(const IndexedImage& image) {
  constexpr int kSide = 32;
  constexpr int kColours = 16;
  if (image.width != kSide || image.height != kSide) throw std::invalid_argument("icon must be 32 x 32");
  if (image.palette.size() > kColours) throw std::invalid_argument("palette over 16 colours");
  constexpr uint32_t kXorRow = kSide / 2;   // 16 bytes, already a multiple of 4
  constexpr uint32_t kAndRow = kSide / 8;   // 4 bytes
  constexpr uint32_t kImageSize = (kXorRow + kAndRow) * kSide;
  constexpr uint32_t kResource = kInfoHeaderSize + 4 * kColours + kImageSize;
  constexpr uint32_t kDirSize = 6 + 16;

  std::vector<uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // type: icon
  Put16(out, 1);  // one image
  out.push_back(kSide);
  out.push_back(kSide);
  out.push_back(kColours);
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, kResource);
  Put32(out, kDirSize);
  // An icon's header counts the XOR image and the AND mask: twice the height.
  PutInfoHeader(out, kSide, 2 * kSide, 4, kImageSize, 0);
  PutColourTable(out, image.palette, kColours);
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; x += 2) {
      const size_t at = static_cast<size_t>(y) * kSide + x;
      const uint8_t left = image.opaque[at] ? image.pixels[at] : 0;
      const uint8_t right = image.opaque[at + 1] ? image.pixels[at + 1] : 0;
      out.push_back(static_cast<uint8_t>((left << 4) | (right & 0x0f)));
    }
  }
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; x += 8) {
      uint8_t bits = 0;
      for (int b = 0; b < 8; ++b) {
        if (!image.opaque[static_cast<size_t>(y) * kSide + x + b]) bits |= static_cast<uint8_t>(0x80 >> b);
      }
      out.push_back(bits);
    }
  }
  return out;
}

bool WriteBytes(const QString& path, const std::vector<uint8_t>& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const auto size = static_cast<qint64>(bytes.size());
  return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size && file.flush();
}

}  // namespace art
