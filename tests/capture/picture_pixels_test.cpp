// The finished picture is the same, pixel for pixel and byte for byte of its
// JPEG, whichever way the frame comes: the still image decoded by WIC into
// kept rows and shared with the frame, or by GDI+ when WIC cannot be used,
// against the straightforward path (decode with GDI+, redraw into a new
// 32-bit bitmap, clone it for the frame, a new picture bitmap, the overlay
// decoded for the picture, BMP round trip before encoding); and the camera's
// RGB24 frame read in place against the same frame decoded from its bitmap
// file. Kelpo's way draws each picture on the last one's bitmap, with the
// overlay kept from the pictures before.
#include "app/com_session.h"
#include "capture/frame_bitmap.h"
#include "capture/still_image_source.h"
#include "picture/gdiplus_session.h"
#include "picture/image_file.h"
#include "picture/jpeg_encoder.h"
#include "picture/overlay_file.h"
#include "picture/overlay_image.h"
#include "picture/overlay_rules.h"
#include "picture/picture_rules.h"
#include "picture/picture_steps.h"
#include "picture/picture_test_support.h"
#include "picture/text_stamp.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

namespace kelpo {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kSourceWidth = 1280;
constexpr int kSourceHeight = 960;
// Odd, so every row of the camera frame carries padding.
constexpr int kFrameWidth = 641;
constexpr int kFrameHeight = 481;

// A photo-like picture: gradients, shapes with soft edges, noise in every
// pixel, and (with alpha) translucent regions.
std::unique_ptr<Gdiplus::Bitmap> PhotoLike(int width, int height, bool alpha) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(bitmap.get());
    (void)graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::LinearGradientBrush sky(Gdiplus::Point(0, 0), Gdiplus::Point(width, height),
                                     Gdiplus::Color(255, 20, 90, 200),
                                     Gdiplus::Color(255, 240, 200, 120));
    (void)graphics.FillRectangle(&sky, 0, 0, width, height);
    std::mt19937 random(7);
    for (int i = 0; i < 60; ++i) {
      const Gdiplus::SolidBrush brush(Gdiplus::Color(255, static_cast<BYTE>(random()),
                                                     static_cast<BYTE>(random()),
                                                     static_cast<BYTE>(random())));
      (void)graphics.FillEllipse(&brush, static_cast<INT>(random() % width),
                                 static_cast<INT>(random() % height), 20 + random() % 200,
                                 20 + random() % 150);
    }
  }
  const Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data{};
  EXPECT_EQ(bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                             PixelFormat32bppARGB, &data),
            Gdiplus::Ok);
  std::mt19937 noise(11);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<BYTE*>(data.Scan0) + y * data.Stride;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int value = row[x * 4 + c] + static_cast<int>(noise() % 17) - 8;
        row[x * 4 + c] = static_cast<BYTE>(std::clamp(value, 0, 255));
      }
      if (alpha) row[x * 4 + 3] = static_cast<BYTE>(x < width / 2 ? 255 : (x + 3 * y) % 256);
    }
  }
  (void)bitmap->UnlockBits(&data);
  return bitmap;
}

// The 8-bit PNG Kelpo itself would write cannot show a 16-bit source; WIC's
// encoder writes one.
void SaveDeepPng(Gdiplus::Bitmap& picture, const std::wstring& path) {
  const UINT width = picture.GetWidth();
  const UINT height = picture.GetHeight();
  const Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data{};
  ASSERT_EQ(picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data),
            Gdiplus::Ok);
  // 48bppRGB: 16-bit red, green, blue, each low byte different from the high.
  std::vector<std::uint16_t> deep(static_cast<std::size_t>(width) * height * 3);
  for (UINT y = 0; y < height; ++y) {
    const auto* row = static_cast<const BYTE*>(data.Scan0) + y * data.Stride;
    for (UINT x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const BYTE value = row[x * 4 + 2 - c];
        deep[(y * width + x) * 3 + c] = static_cast<std::uint16_t>(value << 8 | (x * 37 + y) % 256);
      }
    }
  }
  (void)picture.UnlockBits(&data);

  ComPtr<IWICImagingFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateStream(&stream));
  ASSERT_HRESULT_SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  ASSERT_HRESULT_SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder));
  ASSERT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  ASSERT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr));
  ASSERT_HRESULT_SUCCEEDED(frame->Initialize(nullptr));
  ASSERT_HRESULT_SUCCEEDED(frame->SetSize(width, height));
  WICPixelFormatGUID format = GUID_WICPixelFormat48bppRGB;
  ASSERT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
  ASSERT_TRUE(IsEqualGUID(format, GUID_WICPixelFormat48bppRGB));
  // PNG stores 16-bit samples big-endian; WIC's buffer is in memory order.
  ASSERT_HRESULT_SUCCEEDED(frame->WritePixels(height, width * 6, static_cast<UINT>(deep.size() * 2),
                                              reinterpret_cast<BYTE*>(deep.data())));
  ASSERT_HRESULT_SUCCEEDED(frame->Commit());
  ASSERT_HRESULT_SUCCEEDED(encoder->Commit());
}

class PicturePixels : public ::testing::Test {
 protected:
  PicturePixels() {
    settings.deviceType = 1;
    settings.imagesize = 3;
    settings.fliphorizontal = true;
    settings.overlayfilename = folder.File(L"overlay.png");
    settings.overlayscale = kOverlayOriginalSize;
    settings.overlayposition = 8;
    settings.overlayopacity = 60;
    settings.overlaycolourkey = true;
    settings.ColourKey = 0xFF00FF;
    settings.textbackground = 1;
    settings.dropshadow = true;
    settings.JPEGquality = 75;
    auto overlay = PhotoLike(200, 100, true);
    {
      Gdiplus::Graphics graphics(overlay.get());
      const Gdiplus::SolidBrush magenta(Gdiplus::Color(255, 255, 0, 255));
      (void)graphics.FillRectangle(&magenta, 20, 20, 50, 50);
    }
    test::SavePng(*overlay, settings.overlayfilename);
  }

  // The picture steps after the frame; `bmpRoundTrip` as they always did it.
  std::vector<char> Finish(Gdiplus::Bitmap& frame, bool bmpRoundTrip,
                           std::unique_ptr<Gdiplus::Bitmap>& picture) {
    const PictureSize output = OutputSizeFor(false, 0, 0, settings.imagesize);
    // Kelpo's way draws over the rows and with the overlay kept from the
    // pictures before; the straightforward way makes both afresh.
    picture = ResizeAndCrop(frame, settings, output.width, output.height,
                            bmpRoundTrip ? nullptr : std::move(lastPicture));
    EXPECT_NE(picture, nullptr);
    if (!picture) return {};
    FlipPicture(*picture, settings);
    if (bmpRoundTrip) {
      DrawOverlay(*picture, nullptr, settings.overlayfilename, false,
                  OverlayParametersFrom(settings));
    } else {
      keptOverlay.DrawOn(*picture, settings);
    }
    DrawCaption(*picture, settings, output.width, output.height,
                L"Kelpo harbour camera\nMonday, December 7, 2026 @ 17:00:00");
    if (bmpRoundTrip) {
      ComPtr<IStream> stream;
      EXPECT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
      CLSID bmp{};
      EXPECT_GE(FindEncoderClsid(L"image/bmp", &bmp), 0);
      EXPECT_EQ(picture->Save(stream.Get(), &bmp, nullptr), Gdiplus::Ok);
      picture.reset(Gdiplus::Bitmap::FromStream(stream.Get(), FALSE));
    }
    std::wstring path;
    bool exists = false;
    EXPECT_EQ(WriteTempJpeg(*picture, folder.Path(), settings.JPEGquality, path, exists),
              TempJpegResult::kWritten);
    std::vector<char> jpeg = test::FileBytes(path);
    (void)::DeleteFileW(path.c_str());
    return jpeg;
  }

  // The still image the straightforward way: GDI+ decodes, the image is
  // redrawn into a new 32-bit bitmap, and the frame is a clone of that.
  std::unique_ptr<Gdiplus::Bitmap> ReferenceStillFrame() {
    LoadedImage loaded = LoadImageFile(settings.devicePath, false);
    EXPECT_TRUE(loaded);
    if (!loaded) return nullptr;
    const auto width = static_cast<INT>(loaded.image->GetWidth());
    const auto height = static_cast<INT>(loaded.image->GetHeight());
    Gdiplus::Bitmap still(width, height, PixelFormat32bppARGB);
    {
      Gdiplus::Graphics graphics(&still);
      EXPECT_EQ(graphics.DrawImage(loaded.image.get(), 0, 0, width, height), Gdiplus::Ok);
    }
    return std::unique_ptr<Gdiplus::Bitmap>(still.Clone(0, 0, width, height, PixelFormat32bppARGB));
  }

  // Compares the two finished pictures and their JPEG files.
  void ExpectSame(const char* what, Gdiplus::Bitmap& frame, Gdiplus::Bitmap& referenceFrame) {
    std::unique_ptr<Gdiplus::Bitmap> picture;
    std::unique_ptr<Gdiplus::Bitmap> reference;
    const std::vector<char> jpeg = Finish(frame, false, picture);
    const std::vector<char> referenceJpeg = Finish(referenceFrame, true, reference);
    ASSERT_TRUE(picture && reference) << what;
    EXPECT_EQ(MaxDifference(frame, referenceFrame), 0) << what << ": frame";
    EXPECT_EQ(MaxDifference(*picture, *reference), 0) << what << ": picture";
    EXPECT_FALSE(jpeg.empty()) << what;
    EXPECT_TRUE(jpeg == referenceJpeg) << what << ": JPEG files differ";
    lastPicture = KeptForNextPicture(std::move(picture));
  }

  // The largest difference of any channel of any pixel; 256 for different
  // sizes. Fully transparent pixels are alike whatever colour they hold (the
  // redraw onto a transparent bitmap makes them black).
  static int MaxDifference(Gdiplus::Bitmap& a, Gdiplus::Bitmap& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return 256;
    const Gdiplus::Rect all(0, 0, static_cast<INT>(a.GetWidth()), static_cast<INT>(a.GetHeight()));
    Gdiplus::BitmapData left{};
    Gdiplus::BitmapData right{};
    if (a.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &left) != Gdiplus::Ok)
      return 256;
    if (b.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &right) != Gdiplus::Ok) {
      (void)a.UnlockBits(&left);
      return 256;
    }
    int largest = 0;
    for (UINT y = 0; y < left.Height; ++y) {
      const auto* l = static_cast<const BYTE*>(left.Scan0) + y * left.Stride;
      const auto* r = static_cast<const BYTE*>(right.Scan0) + y * right.Stride;
      for (UINT i = 0; i < left.Width * 4; i += 4) {
        if (l[i + 3] == 0 && r[i + 3] == 0) continue;
        for (UINT c = i; c < i + 4; ++c) largest = std::max(largest, std::abs(l[c] - r[c]));
      }
    }
    (void)a.UnlockBits(&left);
    (void)b.UnlockBits(&right);
    return largest;
  }

  GdiplusSession gdiplus;
  test::ScratchFolder folder;
  Settings settings;
  std::unique_ptr<Gdiplus::Bitmap> lastPicture;
  OverlayFile keptOverlay;
};

TEST_F(PicturePixels, StillImagesFinishAsTheStraightforwardPathFinishesThem) {
  const auto photo = PhotoLike(kSourceWidth, kSourceHeight, false);
  const auto translucent = PhotoLike(kSourceWidth, kSourceHeight, true);
  std::unique_ptr<Gdiplus::Bitmap> flat(
      photo->Clone(0, 0, kSourceWidth, kSourceHeight, PixelFormat24bppRGB));
  struct Source {
    const wchar_t* name;
    Gdiplus::Bitmap* picture;
    const wchar_t* mime;  // null: a 16-bit PNG
  };
  const Source sources[] = {
      {L"photo.png", flat.get(), L"image/png"},
      {L"photo.jpg", flat.get(), L"image/jpeg"},
      {L"translucent.png", translucent.get(), L"image/png"},
      {L"photo.tif", flat.get(), L"image/tiff"},
      {L"photo.bmp", flat.get(), L"image/bmp"},
      {L"deep.png", flat.get(), nullptr},
  };
  for (const Source& source : sources) {
    const std::string what(source.name, source.name + std::wcslen(source.name));
    settings.devicePath = folder.File(source.name);
    if (source.mime != nullptr) {
      test::SaveAs(*source.picture, settings.devicePath, source.mime);
    } else {
      ComSession com;
      SaveDeepPng(*source.picture, settings.devicePath);
    }
    const std::unique_ptr<Gdiplus::Bitmap> reference = ReferenceStillFrame();
    ASSERT_NE(reference, nullptr) << what;

    // Without COM on the thread WIC cannot be had, and GDI+ decodes.
    StillImageSource gdiplusDecoded(settings, nullptr);
    gdiplusDecoded.LoadStillImage();
    std::unique_ptr<Gdiplus::Bitmap> frame = gdiplusDecoded.GrabFrame();
    ASSERT_NE(frame, nullptr) << what;
    ExpectSame((what + " by GDI+").c_str(), *frame, *reference);

    ComSession com;
    StillImageSource still(settings, nullptr);
    // Twice: the second decode goes into the kept rows of the first.
    for (int picture = 0; picture < 2; ++picture) {
      still.LoadStillImage();
      frame = still.GrabFrame();
      ASSERT_NE(frame, nullptr) << what;
      ExpectSame((what + " by WIC").c_str(), *frame, *reference);
    }
  }
}

TEST_F(PicturePixels, CameraFramesInPlaceFinishAsTheirBitmapFilesDo) {
  const auto photo = PhotoLike(kFrameWidth, kFrameHeight, false);
  const Gdiplus::Rect all(0, 0, kFrameWidth, kFrameHeight);
  Gdiplus::BitmapData data{};
  ASSERT_EQ(photo->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data),
            Gdiplus::Ok);
  const int stride = (kFrameWidth * 3 + 3) / 4 * 4;
  for (const bool bottomUp : {true, false}) {
    // The sample as the grabber gives it: padded rows in the header's order.
    std::vector<std::uint8_t> sample(static_cast<std::size_t>(stride) * kFrameHeight, 0xA5);
    for (int y = 0; y < kFrameHeight; ++y) {
      const int row = bottomUp ? kFrameHeight - 1 - y : y;
      std::memcpy(&sample[static_cast<std::size_t>(row) * stride],
                  static_cast<const BYTE*>(data.Scan0) + y * data.Stride, kFrameWidth * 3);
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = kFrameWidth;
    header.biHeight = bottomUp ? kFrameHeight : -kFrameHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BitmapHeader info;
    std::memcpy(info.bytes.data(), &header, sizeof(header));

    // The bitmap file the frame used to be decoded from.
    const auto fileHeader = FrameFileHeader(info, sample.size());
    ASSERT_TRUE(fileHeader);
    ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_HRESULT_SUCCEEDED(stream->Write(fileHeader->data(), fileHeader->size(), nullptr));
    ASSERT_HRESULT_SUCCEEDED(stream->Write(info.bytes.data(), info.bytes.size(), nullptr));
    ASSERT_HRESULT_SUCCEEDED(stream->Write(sample.data(), sample.size(), nullptr));
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get(), FALSE));
    ASSERT_TRUE(decoded && decoded->GetLastStatus() == Gdiplus::Ok);

    auto rows = std::make_shared<PixelRows>();
    rows->bytes = sample;
    std::unique_ptr<Gdiplus::Bitmap> frame = FrameInPlace(info, rows);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetPixelFormat(), decoded->GetPixelFormat());
    ExpectSame(bottomUp ? "bottom-up frame" : "top-down frame", *frame, *decoded);
  }
  (void)photo->UnlockBits(&data);

  // Only uncompressed 24-bit frames are read in place; others still go
  // through a bitmap file.
  BITMAPINFOHEADER other{};
  other.biSize = sizeof(other);
  other.biWidth = 4;
  other.biHeight = 4;
  other.biPlanes = 1;
  other.biBitCount = 32;
  BitmapHeader otherInfo;
  std::memcpy(otherInfo.bytes.data(), &other, sizeof(other));
  auto rows = std::make_shared<PixelRows>();
  rows->bytes.resize(64);
  EXPECT_EQ(FrameInPlace(otherInfo, rows), nullptr);
  other.biBitCount = 24;
  std::memcpy(otherInfo.bytes.data(), &other, sizeof(other));
  rows->bytes.resize(47);
  EXPECT_EQ(FrameInPlace(otherInfo, rows), nullptr);
  rows->bytes.resize(48);
  EXPECT_NE(FrameInPlace(otherInfo, rows), nullptr);
}

}  // namespace
}  // namespace kelpo
