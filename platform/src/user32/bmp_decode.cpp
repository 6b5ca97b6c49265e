#include "user32/bmp_decode.h"

#include "user32/bmp_rle.h"

#include <algorithm>
#include <array>

namespace gdi {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kWindowColour = 0x00FFFFFF;

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

bool MakeChannel(uint32_t mask, Channel *c) {
  if (mask == 0) return false;
  c->mask = mask;
  c->shift = __builtin_ctz(mask);
  uint32_t run = mask >> c->shift;
  // Only contiguous masks describe a channel.
  if ((run & (run + 1)) != 0) return false;
  c->bits = __builtin_popcount(mask);
  return true;
}

// Scales a channel value to 8 bits: a narrower value is repeated down the
// byte (5 bits abcde give abcdeabc), a wider one keeps its top 8 bits.
uint32_t Expand(uint32_t pixel, const Channel &c) {
  const uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return v >> (c.bits - 8);
  uint32_t out = 0;
  for (int at = 8 - c.bits; at > -c.bits; at -= c.bits) out |= at >= 0 ? v << at : v >> -at;
  return out & 0xFF;
}

struct Layout {
  int64_t width = 0;
  int64_t height = 0;  // always positive; `topDown` tells the row order
  bool topDown = false;
  unsigned bpp = 0;
  uint32_t compression = BI_RGB;
  size_t headerSize = 0;
  uint64_t colours = 0;      // colour-table entries present in the file
  unsigned entrySize = 4;    // bytes per colour-table entry (3 for core headers)
  std::array<uint32_t, 3> masks{};  // red, green, blue when BI_BITFIELDS
};

DWORD ReadLayout(const uint8_t *data, size_t size, Layout *l, size_t *paletteAt) {
  const uint8_t *h = data + kFileHeaderSize;
  const size_t headerSize = U32(h);
  const size_t room = size - kFileHeaderSize;
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    if (room < headerSize) return ERROR_INVALID_DATA;
    l->width = U16(h + 4);
    l->height = U16(h + 6);
    if (l->width == 0 || l->height == 0 || U16(h + 8) != 1) return ERROR_INVALID_DATA;
    l->bpp = U16(h + 10);
    if (l->bpp != 1 && l->bpp != 4 && l->bpp != 8 && l->bpp != 24) return ERROR_INVALID_DATA;
    l->entrySize = 3;
    l->colours = l->bpp <= 8 ? (uint64_t(1) << l->bpp) : 0;
    l->headerSize = headerSize;
    *paletteAt = kFileHeaderSize + headerSize;
    return ERROR_SUCCESS;
  }
  if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
    return ERROR_BAD_FORMAT;
  if (room < headerSize) return ERROR_INVALID_DATA;
  l->headerSize = headerSize;
  const int32_t width = static_cast<int32_t>(U32(h + 4));
  const int32_t height = static_cast<int32_t>(U32(h + 8));
  if (U16(h + 12) != 1) return ERROR_INVALID_DATA;
  l->bpp = U16(h + 14);
  l->compression = U32(h + 16);
  const uint32_t clrUsed = U32(h + 32);
  if (width <= 0 || height == 0 || height == INT32_MIN) return ERROR_INVALID_DATA;
  l->width = width;
  l->topDown = height < 0;
  l->height = height < 0 ? -int64_t(height) : int64_t(height);
  switch (l->bpp) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return ERROR_INVALID_DATA;
  }
  size_t after = kFileHeaderSize + headerSize;
  if (l->compression == BI_BITFIELDS) {
    if (l->bpp != 16 && l->bpp != 32) return ERROR_INVALID_DATA;
    const uint8_t *m = h + 40;
    if (headerSize == 40) {
      // The three masks follow a plain info header.
      if (room < headerSize + 12) return ERROR_INVALID_DATA;
      after += 12;
    }
    l->masks = {U32(m), U32(m + 4), U32(m + 8)};
  } else if (l->compression == BI_RLE8 || l->compression == BI_RLE4) {
    // Each run-length scheme belongs to one depth, and compressed images are bottom-up only.
    if (l->bpp != (l->compression == BI_RLE8 ? 8u : 4u) || l->topDown) return ERROR_INVALID_DATA;
  } else if (l->compression != BI_RGB) {
    return ERROR_BAD_FORMAT;
  }
  if (l->bpp <= 8) {
    const uint64_t full = uint64_t(1) << l->bpp;
    if (clrUsed > full) return ERROR_INVALID_DATA;
    l->colours = clrUsed == 0 ? full : clrUsed;
  } else {
    // An optional colour table may precede the pixels of deeper images; it is skipped.
    l->colours = clrUsed;
  }
  *paletteAt = after;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD DecodeBmp(const uint8_t *data, size_t size, bool transparent, Bitmap *out) {
  if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return ERROR_BAD_FORMAT;
  const uint64_t offBits = U32(data + 10);
  Layout l;
  size_t paletteAt = 0;
  if (DWORD e = ReadLayout(data, size, &l, &paletteAt); e != ERROR_SUCCESS) return e;
  if (l.width > kMaxBitmapSide || l.height > kMaxBitmapSide || l.width * l.height > kMaxBitmapPixels)
    return ERROR_INVALID_DATA;

  const uint64_t paletteEnd = uint64_t(paletteAt) + l.colours * l.entrySize;
  if (paletteEnd > size || offBits < paletteEnd || offBits > size) return ERROR_INVALID_DATA;
  const bool rle = l.compression == BI_RLE8 || l.compression == BI_RLE4;
  const uint64_t stride = ((uint64_t(l.width) * l.bpp + 31) / 32) * 4;
  if (!rle && stride * uint64_t(l.height) > size - offBits) return ERROR_INVALID_DATA;

  std::array<Channel, 3> channels;
  if (l.compression == BI_BITFIELDS) {
    const uint64_t limit = l.bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i)
      if (l.masks[i] > limit || !MakeChannel(l.masks[i], &channels[i])) return ERROR_INVALID_DATA;
    if ((l.masks[0] & l.masks[1]) || (l.masks[0] & l.masks[2]) || (l.masks[1] & l.masks[2])) return ERROR_INVALID_DATA;
  } else if (l.bpp == 16) {
    MakeChannel(0x7C00, &channels[0]);
    MakeChannel(0x03E0, &channels[1]);
    MakeChannel(0x001F, &channels[2]);
  }

  std::vector<uint32_t> palette;
  if (l.bpp <= 8) {
    palette.assign(size_t(1) << l.bpp, 0);  // indices past the table's end come out black
    for (uint64_t i = 0; i < l.colours; ++i) {
      const uint8_t *e = data + paletteAt + i * l.entrySize;
      palette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
  }

  const uint8_t *bits = data + offBits;
  // Compressed images are expanded to one index a pixel, bottom row first.
  std::vector<int16_t> expanded;
  if (rle) {
    if (DWORD e = ExpandRle(bits, size - offBits, l.bpp, l.width, l.height, &expanded); e != ERROR_SUCCESS) return e;
  }
  // The entry the first stored byte indexes, read as an uncompressed row's
  // leading pixel even when the data is compressed.
  if (transparent && l.bpp <= 8 && offBits < size) palette[bits[0] >> (8 - l.bpp)] = kWindowColour;

  Bitmap bm;
  bm.width = static_cast<LONG>(l.width);
  bm.height = static_cast<LONG>(l.height);
  bm.bitsPixel = static_cast<WORD>(l.bpp);
  bm.pixels.resize(size_t(l.width * l.height));
  for (int64_t y = 0; y < l.height; ++y) {
    const int64_t outRow = l.topDown ? y : l.height - 1 - y;
    uint32_t *dst = bm.pixels.data() + outRow * l.width;
    if (rle) {
      // Pixels no run writes stay black, as in a new device bitmap.
      const int16_t *indexes = expanded.data() + y * l.width;
      for (int64_t x = 0; x < l.width; ++x) dst[x] = indexes[x] == kUnwritten ? 0 : palette[size_t(indexes[x])];
      continue;
    }
    const uint8_t *row = bits + stride * uint64_t(y);
    for (int64_t x = 0; x < l.width; ++x) {
      uint32_t colour = 0;
      switch (l.bpp) {
        case 1: colour = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: colour = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
        case 8: colour = palette[row[x]]; break;
        case 16: case 32: {
          const uint32_t p = l.bpp == 16 ? U16(row + x * 2) : U32(row + x * 4);
          if (l.bpp == 32 && l.compression == BI_RGB) {
            colour = p & 0x00FFFFFF;
          } else {
            colour = (Expand(p, channels[0]) << 16) | (Expand(p, channels[1]) << 8) | Expand(p, channels[2]);
          }
          break;
        }
        case 24: {
          const uint8_t *p = row + x * 3;
          colour = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
          break;
        }
      }
      dst[x] = colour;
    }
  }
  *out = std::move(bm);
  return ERROR_SUCCESS;
}

}  // namespace gdi
