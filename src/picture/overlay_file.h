// The overlay image for one picture after another. Its file is read at every
// picture, so a changed overlay shows in the next one, but decoded again only
// when its bytes changed: decoding costs far more than reading and comparing.
#pragma once

#include "picture/gdiplus_include.h"
#include "picture/image_file.h"
#include "settings/settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelpo {

// What became of the overlay of one picture.
enum class OverlayStep {
  kDrawn,     // drawn, or nothing to draw (no overlay file, or one GDI+ cannot decode)
  kTooLarge,  // its image has more pixels than the budget: left out
  kFailed,    // it was there and could not be drawn
};

class OverlayFile {
 public:
  // The overlay as `path` holds it now, decoded with its colour profile; null
  // when the file is missing, unreadable, too large (`tooLarge` set) or no
  // image GDI+ can decode. Valid until the next call or LetGoOfLarge.
  Gdiplus::Bitmap* Current(const std::wstring& path, bool* tooLarge = nullptr);

  // Lets go of an overlay too large to keep until the next picture.
  void LetGoOfLarge();

  // The picture's overlay step: the overlay the settings name, as its file
  // holds it now, composited onto `picture` as they say; nothing when there is
  // none to use. A large overlay is let go of afterwards.
  OverlayStep DrawOn(Gdiplus::Image& picture, const Settings& settings);

 private:
  void Forget();

  std::vector<std::uint8_t> read_;     // what the file held at this read
  std::vector<std::uint8_t> decoded_;  // what the overlay was decoded from
  LoadedImage overlay_;
};

}  // namespace kelpo
