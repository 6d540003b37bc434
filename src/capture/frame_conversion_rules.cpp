#include "capture/frame_conversion_rules.h"

#include "picture/image_size_rules.h"
#include "picture/pixel_format_rules.h"

namespace kelpo {

namespace {

constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

constexpr std::uint32_t kCompressionRgb = 0;        // BI_RGB
constexpr std::uint32_t kCompressionBitfields = 3;  // BI_BITFIELDS
constexpr std::uint32_t kYuy2 = FourCc('Y', 'U', 'Y', '2');
constexpr std::uint32_t kUyvy = FourCc('U', 'Y', 'V', 'Y');
constexpr std::uint32_t kNv12 = FourCc('N', 'V', '1', '2');
constexpr std::uint32_t kI420 = FourCc('I', '4', '2', '0');
constexpr std::uint32_t kIyuv = FourCc('I', 'Y', 'U', 'V');
constexpr std::uint32_t kMjpg = FourCc('M', 'J', 'P', 'G');

constexpr std::uint16_t kRgb24Bits = 24;
constexpr std::uint16_t kRgb32Bits = 32;
constexpr std::size_t kPackedPairBytes = 4;  // two pixels of 4:2:2

// Preference ranks: lossless RGB, then YUV (a copy with arithmetic), then a
// JPEG decode that has already lost detail.
constexpr int kRgbRank = 0;
constexpr int kYuvRank = 1;
constexpr int kJpegRank = 2;

// BT.601 limited range in 8.8 fixed point.
constexpr int kLumaOffset = 16;
constexpr int kChromaOffset = 128;
constexpr int kLumaScale = 298;  // 255 / 219
constexpr int kRedFromV = 409;
constexpr int kGreenFromU = 100;
constexpr int kGreenFromV = 208;
constexpr int kBlueFromU = 516;
constexpr int kRounding = 128;
constexpr int kFixedShift = 8;

std::uint8_t Clamp(int value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// The chroma terms of a pixel pair, shared by both pixels.
struct Chroma {
  int red;
  int green;
  int blue;
};

Chroma ChromaOf(std::uint8_t u, std::uint8_t v) {
  const int d = u - kChromaOffset;
  const int e = v - kChromaOffset;
  return {kRedFromV * e + kRounding, -kGreenFromU * d - kGreenFromV * e + kRounding,
          kBlueFromU * d + kRounding};
}

void PutPixel(std::uint8_t* bgr, std::uint8_t y, const Chroma& chroma) {
  const int luma = kLumaScale * (y - kLumaOffset);
  bgr[0] = Clamp((luma + chroma.blue) >> kFixedShift);
  bgr[1] = Clamp((luma + chroma.green) >> kFixedShift);
  bgr[2] = Clamp((luma + chroma.red) >> kFixedShift);
}

std::uint64_t EvenWidth(std::uint32_t width) {
  return (std::uint64_t{width} + 1) & ~std::uint64_t{1};
}

// Rows of 4:2:2 pixel pairs; `lumaAt` and `uAt`/`vAt` are the byte positions
// in a pair.
void ConvertPacked(const FrameLayout& layout, const std::uint8_t* sample, std::uint8_t* target,
                   std::size_t targetStride, int lumaAt, int uAt, int vAt) {
  const std::uint32_t pairs = layout.width / 2;
  const bool oddWidth = (layout.width & 1) != 0;
  for (std::uint32_t row = 0; row < layout.height; ++row) {
    const std::uint8_t* in = sample + row * layout.stride;
    std::uint8_t* out = target + row * targetStride;
    for (std::uint32_t pair = 0; pair < pairs;
         ++pair, in += kPackedPairBytes, out += 2 * kBgr24Bytes) {
      const Chroma chroma = ChromaOf(in[uAt], in[vAt]);
      PutPixel(out, in[lumaAt], chroma);
      PutPixel(out + kBgr24Bytes, in[lumaAt + 2], chroma);
    }
    if (oddWidth) PutPixel(out, in[lumaAt], ChromaOf(in[uAt], in[vAt]));
  }
}

// 4:2:0: a luma plane, then chroma for every two rows; `uPlane`/`vPlane` and
// `chromaStep` say where a pair's U and V lie (interleaved for NV12).
void ConvertPlanar(const FrameLayout& layout, const std::uint8_t* sample, std::uint8_t* target,
                   std::size_t targetStride, const std::uint8_t* uPlane, const std::uint8_t* vPlane,
                   std::size_t chromaStride, std::size_t chromaStep) {
  const std::uint32_t pairs = layout.width / 2;
  const bool oddWidth = (layout.width & 1) != 0;
  for (std::uint32_t row = 0; row < layout.height; ++row) {
    const std::uint8_t* luma = sample + row * layout.stride;
    const std::uint8_t* u = uPlane + (row / 2) * chromaStride;
    const std::uint8_t* v = vPlane + (row / 2) * chromaStride;
    std::uint8_t* out = target + row * targetStride;
    for (std::uint32_t pair = 0; pair < pairs;
         ++pair, luma += 2, u += chromaStep, v += chromaStep, out += 2 * kBgr24Bytes) {
      const Chroma chroma = ChromaOf(*u, *v);
      PutPixel(out, luma[0], chroma);
      PutPixel(out + kBgr24Bytes, luma[1], chroma);
    }
    if (oddWidth) PutPixel(out, luma[0], ChromaOf(*u, *v));
  }
}

void ConvertRgb(const FrameLayout& layout, const std::uint8_t* sample, std::uint8_t* target,
                std::size_t targetStride, std::size_t pixelBytes) {
  for (std::uint32_t row = 0; row < layout.height; ++row) {
    const std::uint32_t stored = layout.bottomUp ? layout.height - 1 - row : row;
    const std::uint8_t* in = sample + stored * layout.stride;
    std::uint8_t* out = target + row * targetStride;
    if (pixelBytes == kBgr24Bytes) {
      for (std::size_t i = 0; i < layout.width * kBgr24Bytes; ++i) out[i] = in[i];
      continue;
    }
    for (std::uint32_t x = 0; x < layout.width; ++x, in += pixelBytes, out += kBgr24Bytes) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }
}

}  // namespace

FrameFormat FrameFormatOf(const BitmapHeader& header) {
  switch (header.compression()) {
    case kCompressionRgb:
      if (header.bitCount() == kRgb24Bits) return FrameFormat::kRgb24;
      return header.bitCount() == kRgb32Bits ? FrameFormat::kRgb32 : FrameFormat::kUnknown;
    case kCompressionBitfields:
      return header.bitCount() == kRgb32Bits ? FrameFormat::kRgb32 : FrameFormat::kUnknown;
    case kYuy2:
      return FrameFormat::kYuy2;
    case kUyvy:
      return FrameFormat::kUyvy;
    case kNv12:
      return FrameFormat::kNv12;
    case kI420:
    case kIyuv:
      return FrameFormat::kI420;
    case kMjpg:
      return FrameFormat::kMjpg;
    default:
      return FrameFormat::kUnknown;
  }
}

std::optional<int> FormatPreference(FrameFormat format) {
  switch (format) {
    case FrameFormat::kRgb24:
    case FrameFormat::kRgb32:
      return kRgbRank;
    case FrameFormat::kYuy2:
    case FrameFormat::kUyvy:
    case FrameFormat::kNv12:
    case FrameFormat::kI420:
      return kYuvRank;
    case FrameFormat::kMjpg:
      return kJpegRank;
    case FrameFormat::kUnknown:
      break;
  }
  return std::nullopt;
}

std::size_t Bgr24Stride(std::uint32_t width) {
  return (std::size_t{width} * kBgr24Bytes + 3) & ~std::size_t{3};
}

std::optional<FrameLayout> UncompressedLayout(const BitmapHeader& header) {
  const std::int64_t width = header.width();
  const std::int64_t height = header.height();
  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  if (width <= 0 || rows == 0 || !WithinPixelBudget(static_cast<std::uint64_t>(width), rows)) {
    return std::nullopt;
  }
  FrameLayout layout;
  layout.format = FrameFormatOf(header);
  layout.width = static_cast<std::uint32_t>(width);
  layout.height = static_cast<std::uint32_t>(rows);
  const std::uint64_t even = EvenWidth(layout.width);
  const std::uint64_t chromaRows = (rows + 1) / 2;
  std::uint64_t stride = 0;
  switch (layout.format) {
    case FrameFormat::kRgb24:
    case FrameFormat::kRgb32:
      stride = (static_cast<std::uint64_t>(width) * header.bitCount() / 8 + 3) & ~std::uint64_t{3};
      layout.bottomUp = height > 0;
      layout.sampleSize = stride * rows;
      break;
    case FrameFormat::kYuy2:
    case FrameFormat::kUyvy:
      stride = even * 2;
      layout.sampleSize = stride * rows;
      break;
    case FrameFormat::kNv12:
      stride = even;
      layout.sampleSize = stride * (rows + chromaRows);
      break;
    case FrameFormat::kI420:
      stride = even;
      layout.sampleSize = stride * rows + (even / 2) * chromaRows * 2;
      break;
    case FrameFormat::kMjpg:
    case FrameFormat::kUnknown:
      return std::nullopt;
  }
  layout.stride = static_cast<std::size_t>(stride);
  return layout;
}

bool ConvertToBgr24(const FrameLayout& layout, const std::uint8_t* sample, std::size_t size,
                    std::uint8_t* target, std::size_t targetStride) {
  if (sample == nullptr || size < layout.sampleSize) return false;
  const std::size_t lumaSize = layout.stride * layout.height;
  switch (layout.format) {
    case FrameFormat::kRgb24:
      ConvertRgb(layout, sample, target, targetStride, kBgr24Bytes);
      return true;
    case FrameFormat::kRgb32:
      ConvertRgb(layout, sample, target, targetStride, kBgra32Bytes);
      return true;
    case FrameFormat::kYuy2:
      ConvertPacked(layout, sample, target, targetStride, 0, 1, 3);
      return true;
    case FrameFormat::kUyvy:
      ConvertPacked(layout, sample, target, targetStride, 1, 0, 2);
      return true;
    case FrameFormat::kNv12: {
      const std::uint8_t* chroma = sample + lumaSize;
      ConvertPlanar(layout, sample, target, targetStride, chroma, chroma + 1, layout.stride, 2);
      return true;
    }
    case FrameFormat::kI420: {
      const std::size_t chromaStride = layout.stride / 2;
      const std::uint8_t* u = sample + lumaSize;
      const std::uint8_t* v = u + chromaStride * ((layout.height + 1) / 2);
      ConvertPlanar(layout, sample, target, targetStride, u, v, chromaStride, 1);
      return true;
    }
    case FrameFormat::kMjpg:
    case FrameFormat::kUnknown:
      break;
  }
  return false;
}

Yuv YuvOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  constexpr int kYFromR = 66, kYFromG = 129, kYFromB = 25;
  constexpr int kUFromR = -38, kUFromG = -74, kUFromB = 112;
  constexpr int kVFromR = 112, kVFromG = -94, kVFromB = -18;
  const auto y = (kYFromR * red + kYFromG * green + kYFromB * blue + kRounding) >> kFixedShift;
  const auto u = (kUFromR * red + kUFromG * green + kUFromB * blue + kRounding) >> kFixedShift;
  const auto v = (kVFromR * red + kVFromG * green + kVFromB * blue + kRounding) >> kFixedShift;
  return {Clamp(y + kLumaOffset), Clamp(u + kChromaOffset), Clamp(v + kChromaOffset)};
}

Bgr BgrOf(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  std::uint8_t bgr[kBgr24Bytes];
  PutPixel(bgr, y, ChromaOf(u, v));
  return {bgr[0], bgr[1], bgr[2]};
}

}  // namespace kelpo
