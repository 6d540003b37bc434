// Every user-adjustable value of Kelpo. Fields are named after their registry
// values; colours are held composed (red in the low byte, then green, then blue).
// The defaults come from the settings schema (settings/settings_schema.h), which
// lists every field once; the empty initialisers only keep a field that the
// schema forgot from holding garbage.
#pragma once

#include <cstdint>
#include <string>

namespace kelpo {

struct Settings {
  // Every field at its default, as the schema gives it.
  Settings();

  // File-transfer group
  std::wstring server;
  std::wstring user;
  std::wstring password;
  std::wstring directory;
  std::wstring filename;
  std::uint32_t timevalue{};
  std::uint32_t timeunit{};
  bool dialup{};
  bool passiveftp{};
  bool runatstartup{};
  bool disableFTP{};
  bool disableTimer{};
  bool savetofile{};
  std::wstring localfilename;
  // How the picture travels (common/transfer_protocol.h) and to which port;
  // 0 is the protocol's own.
  std::uint32_t protocol{};
  std::uint32_t port{};
  // The SFTP server's host key as `ssh-keygen -l` prints it ("SHA256:" and
  // base64), learnt at the first connection; empty until then.
  std::wstring hostkey;
  // A certificate the user trusts by its SHA-256 fingerprint (64 hex digits);
  // empty: the Windows trust store decides.
  std::wstring certpin;

  // Text group
  std::wstring wisdom;
  bool timestamp{};
  bool datestamp{};
  std::uint32_t fontsize{};
  std::wstring fontname;
  bool fontbold{};
  bool fontitalic{};
  bool fontunderline{};
  bool fontstrikeout{};
  std::uint32_t smoothtype{};
  std::uint32_t textposition{};
  bool dropshadow{};
  std::uint32_t textbackground{};
  std::uint32_t Background{};
  std::uint32_t Foreground{};

  // Video group
  std::uint32_t imagesize{};
  bool UseCustomImageSize{};
  std::uint32_t CustomSizeX{};
  std::uint32_t CustomSizeY{};
  std::uint32_t crossbarinput{};
  std::uint32_t capturewidth{};
  std::uint32_t captureheight{};
  bool fliphorizontal{};
  bool flipvertical{};
  std::uint32_t JPEGquality{};
  bool CropEnable{};
  std::uint32_t CropX{};
  std::uint32_t CropY{};
  std::uint32_t CropWidth{};
  std::uint32_t CropHeight{};
  // Milliseconds the camera runs before its frame is taken; 0 takes the first.
  std::uint32_t warmuptime{};
  // The capture format the user picked on the device's Video Format page, by
  // its subtype code (the FOURCC of YUV and MJPG formats); 0 lets Kelpo choose.
  std::uint32_t captureformat{};

  // Overlay group
  std::wstring overlayfilename;
  std::uint32_t overlayscale{};
  std::uint32_t overlayscalepercent{};
  std::uint32_t overlayposition{};
  std::uint32_t overlayopacity{};
  bool overlaycolourkey{};
  std::uint32_t ColourKey{};

  // Archive group: a history kept beside the fresh picture. Both names may hold
  // date and time fields (picture/name_field_rules.h); empty keeps none.
  std::wstring archivelocal;
  // Below the remote directory, '/'-separated.
  std::wstring archiveremote;
  // At most one archived picture per this many minutes; 0: every picture.
  std::uint32_t archiveminutes{};
  // The local archive keeps at most this many days and megabytes; 0: no limit.
  std::uint32_t archivekeepdays{};
  std::uint32_t archivekeepmb{};

  // Device fields
  std::wstring devicePath;
  std::uint32_t deviceType{};
};

}  // namespace kelpo
