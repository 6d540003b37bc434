// Every user-adjustable value of Kelpo. Fields are named after their registry
// values; colours are held composed (red in the low byte, then green, then blue).
#pragma once

#include <cstdint>
#include <string>

namespace kelpo {

struct Settings {
  // File-transfer group
  std::wstring server;
  std::wstring user;
  std::wstring password;
  std::wstring directory;
  std::wstring filename = L"webcam.jpg";
  std::uint32_t timevalue = 1;
  std::uint32_t timeunit = 1;
  bool dialup = false;
  bool passiveftp = false;
  bool runatstartup = false;
  bool disableFTP = false;
  bool disableTimer = false;
  bool savetofile = false;
  std::wstring localfilename;

  // Text group
  std::wstring wisdom;
  bool timestamp = true;
  bool datestamp = true;
  std::uint32_t fontsize = 14;
  std::wstring fontname = L"Arial";
  bool fontbold = false;
  bool fontitalic = false;
  bool fontunderline = false;
  bool fontstrikeout = false;
  std::uint32_t smoothtype = 1;
  std::uint32_t textposition = 7;
  bool dropshadow = true;
  std::uint32_t textbackground = 1;
  std::uint32_t Background = 0x101060;  // 96, 16, 16
  std::uint32_t Foreground = 0x80FFFF;  // 255, 255, 128

  // Video group
  std::uint32_t imagesize = 1;
  bool UseCustomImageSize = false;
  std::uint32_t CustomSizeX = 320;
  std::uint32_t CustomSizeY = 240;
  std::uint32_t crossbarinput = 0;
  std::uint32_t capturewidth = 320;
  std::uint32_t captureheight = 240;
  bool fliphorizontal = false;
  bool flipvertical = false;
  std::uint32_t JPEGquality = 75;
  bool CropEnable = false;
  std::uint32_t CropX = 0;
  std::uint32_t CropY = 0;
  std::uint32_t CropWidth = 320;
  std::uint32_t CropHeight = 240;

  // Overlay group
  std::wstring overlayfilename;
  std::uint32_t overlayscale = 0;
  std::uint32_t overlayscalepercent = 100;
  std::uint32_t overlayposition = 6;
  std::uint32_t overlayopacity = 100;
  bool overlaycolourkey = false;
  std::uint32_t ColourKey = 0xFFFFFF;  // 255, 255, 255

  // Device fields
  std::wstring devicePath;
  std::uint32_t deviceType = 0;
};

}  // namespace kelpo
