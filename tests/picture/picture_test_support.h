// Pictures made and inspected by the picture and capture tests: solid and
// four-coloured bitmaps, PNG files, pixel reads and a private folder per test.
#pragma once

#include "picture/gdiplus_include.h"
#include "picture/jpeg_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace kelpo::test {

inline const Gdiplus::Color kRed(255, 255, 0, 0);
inline const Gdiplus::Color kGreen(255, 0, 255, 0);
inline const Gdiplus::Color kBlue(255, 0, 0, 255);
inline const Gdiplus::Color kYellow(255, 255, 255, 0);
inline const Gdiplus::Color kBlack(255, 0, 0, 0);

inline std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(
    int width, int height, Gdiplus::Color colour,
    Gdiplus::PixelFormat format = PixelFormat32bppARGB) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, format);
  Gdiplus::Graphics graphics(bitmap.get());
  (void)graphics.Clear(colour);
  return bitmap;
}

// Red upper-left, green upper-right, blue lower-left, yellow lower-right.
inline std::unique_ptr<Gdiplus::Bitmap> QuadrantBitmap(int width, int height) {
  auto bitmap = SolidBitmap(width, height, kRed);
  Gdiplus::Graphics graphics(bitmap.get());
  const int halfW = width / 2;
  const int halfH = height / 2;
  Gdiplus::SolidBrush green(kGreen), blue(kBlue), yellow(kYellow);
  (void)graphics.FillRectangle(&green, halfW, 0, width - halfW, halfH);
  (void)graphics.FillRectangle(&blue, 0, halfH, halfW, height - halfH);
  (void)graphics.FillRectangle(&yellow, halfW, halfH, width - halfW, height - halfH);
  return bitmap;
}

inline void SaveAs(Gdiplus::Image& image, const std::wstring& path, const wchar_t* mime) {
  CLSID encoder{};
  ASSERT_GE(FindEncoderClsid(mime, &encoder), 0);
  ASSERT_EQ(image.Save(path.c_str(), &encoder, nullptr), Gdiplus::Ok);
}

inline void SavePng(Gdiplus::Image& image, const std::wstring& path) {
  SaveAs(image, path, L"image/png");
}

// Decodes a file from a copy in memory, so the test never holds it open.
inline std::unique_ptr<Gdiplus::Bitmap> ReadPicture(const std::wstring& path) {
  std::unique_ptr<Gdiplus::Bitmap> file(Gdiplus::Bitmap::FromFile(path.c_str(), FALSE));
  if (!file || file->GetLastStatus() != Gdiplus::Ok) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> copy(file->Clone(0, 0, static_cast<INT>(file->GetWidth()),
                                                    static_cast<INT>(file->GetHeight()),
                                                    PixelFormat32bppARGB));
  return copy;
}

inline std::vector<char> FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::wstring& path, const std::vector<char>& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A whole JPEG: its start and its end marker.
inline bool IsJpeg(const std::wstring& path) {
  const std::vector<char> bytes = FileBytes(path);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  return bytes.size() > 4 && byte(0) == 0xFF && byte(1) == 0xD8 && byte(bytes.size() - 2) == 0xFF &&
         byte(bytes.size() - 1) == 0xD9;
}

inline Gdiplus::Color PixelAt(Gdiplus::Bitmap& bitmap, int x, int y) {
  Gdiplus::Color colour;
  (void)bitmap.GetPixel(x, y, &colour);
  return colour;
}

// Whether a pixel is near a colour (JPEG and smoothing move colours a little).
inline bool Near(Gdiplus::Color actual, Gdiplus::Color expected, int tolerance = 40) {
  auto close = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
  return close(actual.GetR(), expected.GetR()) && close(actual.GetG(), expected.GetG()) &&
         close(actual.GetB(), expected.GetB());
}

inline std::string Describe(Gdiplus::Color colour) {
  char text[64];
  std::snprintf(text, sizeof(text), "(%d, %d, %d, a %d)", colour.GetR(), colour.GetG(),
                colour.GetB(), colour.GetA());
  return text;
}

#define EXPECT_PIXEL(bitmap, x, y, colour)                                       \
  EXPECT_TRUE(::kelpo::test::Near(::kelpo::test::PixelAt(bitmap, x, y), colour)) \
      << "pixel (" << (x) << ", " << (y) << ") is "                              \
      << ::kelpo::test::Describe(::kelpo::test::PixelAt(bitmap, x, y))

// A fresh folder under the system's temporary folder, removed with its files.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t base[MAX_PATH] = {};
    (void)::GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"kelpo-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter_++);
    (void)::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (const std::wstring& file : Files()) {
      (void)::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      (void)::DeleteFileW(file.c_str());
    }
    (void)::RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // With a trailing backslash, as GetTempPathW gives folders.
  std::wstring Path() const { return path_ + L"\\"; }
  std::wstring File(const wchar_t* name) const { return Path() + name; }

  std::vector<std::wstring> Files(const wchar_t* pattern = L"*") const {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((Path() + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        files.push_back(Path() + data.cFileName);
      }
    } while (::FindNextFileW(find, &data));
    (void)::FindClose(find);
    return files;
  }

 private:
  static inline int counter_ = 0;
  std::wstring path_;
};

}  // namespace kelpo::test
