#include "common/win32.h"

#include "settings/settings_store.h"
#include "common/unique_handle.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"

#include <vector>

namespace kelpo {

namespace {

constexpr DWORD kModulePathCapacity = 512;

// Reads the three components of one colour, each starting from the colour's
// current byte, and composes them again with every component clamped to 255.
void LoadColour(const wchar_t* redName, const wchar_t* greenName, const wchar_t* blueName,
                std::uint32_t& colour) {
  std::uint32_t red = ColourRed(colour);
  std::uint32_t green = ColourGreen(colour);
  std::uint32_t blue = ColourBlue(colour);
  (void)ReadDword(redName, red);
  (void)ReadDword(greenName, green);
  (void)ReadDword(blueName, blue);
  colour = ComposeColour(red, green, blue);
}

void SaveColour(const wchar_t* redName, const wchar_t* greenName, const wchar_t* blueName,
                std::uint32_t colour) {
  (void)WriteDword(redName, ColourRed(colour));
  (void)WriteDword(greenName, ColourGreen(colour));
  (void)WriteDword(blueName, ColourBlue(colour));
}

// Start at logon: the Run entry holds the program's own path, unquoted and
// without arguments, exactly while runatstartup is set.
void UpdateRunEntry(bool runAtStartup) {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    key.release();
    return;
  }
  if (!runAtStartup) {
    (void)::RegDeleteValueW(key.get(), kRunValue);
    return;
  }
  std::vector<wchar_t> path(kModulePathCapacity);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kModulePathCapacity);
  // A result that fills the whole buffer is a cut-off path, which would start
  // nothing at logon.
  if (length == 0 || length >= kModulePathCapacity) return;
  (void)::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(path.data()),
                         static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
}

}  // namespace

void LoadSettings(Settings& s, bool clearTypeAvailable) {
  (void)ReadString(L"server", s.server);
  (void)ReadString(L"user", s.user);
  (void)ReadString(L"password", s.password);
  (void)ReadString(L"directory", s.directory);
  (void)ReadString(L"filename", s.filename);
  (void)ReadDword(L"timevalue", s.timevalue);
  (void)ReadDword(L"timeunit", s.timeunit);
  (void)ReadBool(L"dialup", s.dialup);
  (void)ReadBool(L"passiveftp", s.passiveftp);
  (void)ReadBool(L"runatstartup", s.runatstartup);
  (void)ReadBool(L"timestamp", s.timestamp);
  (void)ReadBool(L"datestamp", s.datestamp);
  (void)ReadString(L"wisdom", s.wisdom);
  (void)ReadDword(L"imagesize", s.imagesize);
  (void)ReadDword(L"fontsize", s.fontsize);
  (void)ReadString(L"fontname", s.fontname);
  (void)ReadBool(L"fontbold", s.fontbold);
  (void)ReadBool(L"fontitalic", s.fontitalic);
  (void)ReadBool(L"fontunderline", s.fontunderline);
  (void)ReadBool(L"fontstrikeout", s.fontstrikeout);
  (void)ReadDword(L"smoothtype", s.smoothtype);
  (void)ReadDword(L"crossbarinput", s.crossbarinput);
  (void)ReadDword(L"capturewidth", s.capturewidth);
  (void)ReadDword(L"captureheight", s.captureheight);
  (void)ReadBool(L"fliphorizontal", s.fliphorizontal);
  (void)ReadBool(L"flipvertical", s.flipvertical);
  (void)ReadDword(L"textposition", s.textposition);
  (void)ReadBool(L"dropshadow", s.dropshadow);
  (void)ReadDword(L"textbackground", s.textbackground);
  (void)ReadDword(L"JPEGquality", s.JPEGquality);
  (void)ReadBool(L"disableFTP", s.disableFTP);
  (void)ReadBool(L"disableTimer", s.disableTimer);
  (void)ReadBool(L"savetofile", s.savetofile);
  (void)ReadString(L"localfilename", s.localfilename);
  (void)ReadString(L"overlayfilename", s.overlayfilename);
  (void)ReadDword(L"overlayscale", s.overlayscale);
  (void)ReadDword(L"overlayscalepercent", s.overlayscalepercent);
  (void)ReadDword(L"overlayposition", s.overlayposition);
  (void)ReadDword(L"overlayopacity", s.overlayopacity);
  (void)ReadBool(L"overlaycolourkey", s.overlaycolourkey);
  (void)ReadBool(L"UseCustomImageSize", s.UseCustomImageSize);
  (void)ReadDword(L"CustomSizeX", s.CustomSizeX);
  (void)ReadDword(L"CustomSizeY", s.CustomSizeY);
  (void)ReadDword(L"CropX", s.CropX);
  (void)ReadDword(L"CropY", s.CropY);
  (void)ReadDword(L"CropWidth", s.CropWidth);
  (void)ReadDword(L"CropHeight", s.CropHeight);
  (void)ReadBool(L"CropEnable", s.CropEnable);
  (void)ReadString(L"devicePath", s.devicePath);
  (void)ReadDword(L"deviceType", s.deviceType);

  ClampLoadedSettings(s, clearTypeAvailable);

  LoadColour(L"BackgroundR", L"BackgroundG", L"BackgroundB", s.Background);
  LoadColour(L"ForegroundR", L"ForegroundG", L"ForegroundB", s.Foreground);
  LoadColour(L"ColourKeyR", L"ColourKeyG", L"ColourKeyB", s.ColourKey);
}

void SaveFileTransferSettings(const Settings& s) {
  (void)WriteString(L"server", s.server);
  (void)WriteString(L"user", s.user);
  (void)WriteString(L"password", s.password);
  (void)WriteString(L"directory", s.directory);
  (void)WriteString(L"filename", s.filename);
  (void)WriteDword(L"timevalue", s.timevalue);
  (void)WriteDword(L"timeunit", s.timeunit);
  (void)WriteBool(L"dialup", s.dialup);
  (void)WriteBool(L"passiveftp", s.passiveftp);
  (void)WriteBool(L"runatstartup", s.runatstartup);
  (void)WriteBool(L"disableFTP", s.disableFTP);
  (void)WriteBool(L"disableTimer", s.disableTimer);
  (void)WriteBool(L"savetofile", s.savetofile);
  (void)WriteString(L"localfilename", s.localfilename);
  UpdateRunEntry(s.runatstartup);
}

void SaveTextSettings(const Settings& s) {
  (void)WriteString(L"wisdom", s.wisdom);
  (void)WriteBool(L"timestamp", s.timestamp);
  (void)WriteBool(L"datestamp", s.datestamp);
  (void)WriteDword(L"fontsize", s.fontsize);
  (void)WriteString(L"fontname", s.fontname);
  (void)WriteBool(L"fontbold", s.fontbold);
  (void)WriteBool(L"fontitalic", s.fontitalic);
  (void)WriteBool(L"fontunderline", s.fontunderline);
  (void)WriteBool(L"fontstrikeout", s.fontstrikeout);
  (void)WriteDword(L"smoothtype", s.smoothtype);
  (void)WriteDword(L"textposition", s.textposition);
  (void)WriteBool(L"dropshadow", s.dropshadow);
  (void)WriteDword(L"textbackground", s.textbackground);
  SaveColour(L"BackgroundR", L"BackgroundG", L"BackgroundB", s.Background);
  SaveColour(L"ForegroundR", L"ForegroundG", L"ForegroundB", s.Foreground);
}

void SaveVideoSettings(const Settings& s) {
  (void)WriteDword(L"imagesize", s.imagesize);
  (void)WriteDword(L"crossbarinput", s.crossbarinput);
  (void)WriteDword(L"capturewidth", s.capturewidth);
  (void)WriteDword(L"captureheight", s.captureheight);
  (void)WriteBool(L"fliphorizontal", s.fliphorizontal);
  (void)WriteBool(L"flipvertical", s.flipvertical);
  (void)WriteDword(L"JPEGquality", s.JPEGquality);
  (void)WriteBool(L"UseCustomImageSize", s.UseCustomImageSize);
  (void)WriteDword(L"CustomSizeX", s.CustomSizeX);
  (void)WriteDword(L"CustomSizeY", s.CustomSizeY);
  (void)WriteDword(L"CropX", s.CropX);
  (void)WriteDword(L"CropY", s.CropY);
  (void)WriteDword(L"CropWidth", s.CropWidth);
  (void)WriteDword(L"CropHeight", s.CropHeight);
  (void)WriteBool(L"CropEnable", s.CropEnable);
}

void SaveOverlaySettings(const Settings& s) {
  (void)WriteString(L"overlayfilename", s.overlayfilename);
  (void)WriteDword(L"overlayscale", s.overlayscale);
  (void)WriteDword(L"overlayscalepercent", s.overlayscalepercent);
  (void)WriteDword(L"overlayposition", s.overlayposition);
  (void)WriteDword(L"overlayopacity", s.overlayopacity);
  (void)WriteBool(L"overlaycolourkey", s.overlaycolourkey);
  SaveColour(L"ColourKeyR", L"ColourKeyG", L"ColourKeyB", s.ColourKey);
}

void SaveAllSettings(const Settings& s) {
  SaveTextSettings(s);
  SaveVideoSettings(s);
  SaveFileTransferSettings(s);
}

}  // namespace kelpo
