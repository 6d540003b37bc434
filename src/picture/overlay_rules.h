// Pure rules of the overlay image: its drawn size and place on the target, and
// the parameters the picture and the Overlay page's preview pass to DrawOverlay.
#pragma once

#include "settings/settings.h"

#include <cstdint>

namespace kelpo {

enum OverlayScale : std::uint32_t {
  kOverlayOriginalSize = 0,
  kOverlayBestFit = 1,
  kOverlayPercentage = 2,
};

struct OverlayParameters {
  std::uint32_t opacity = 100;
  std::uint32_t scaleMode = kOverlayOriginalSize;
  float percentX = 100.0f;
  float percentY = 100.0f;
  bool colourKey = false;
  std::uint8_t keyRed = 255;
  std::uint8_t keyGreen = 255;
  std::uint8_t keyBlue = 255;
  std::uint32_t position = 6;
};

struct OverlayRect {
  float x;
  float y;
  float width;
  float height;
};

// What the picture passes: the overlay settings, the one percentage for both axes.
OverlayParameters OverlayParametersFrom(const Settings& settings);

// Drawn size by scale mode, then the position (3 x row + column; above 8 is the
// upper-left corner). Nothing is clamped: a large overlay gets negative
// coordinates and is cut by the target's edges.
OverlayRect PlaceOverlay(const OverlayParameters& parameters, float overlayWidth,
                         float overlayHeight, float targetWidth, float targetHeight);

// The preview's scale, so that a preview of previewWidth x previewHeight shows
// what a picture of outputWidth x outputHeight gets. `percentage` is the page's
// track bar; Percentage and Original Size become scale mode 2.
void PreviewScale(bool percentageChecked, bool bestFitChecked, std::uint32_t percentage,
                  std::uint32_t previewWidth, std::uint32_t previewHeight,
                  std::uint32_t outputWidth, std::uint32_t outputHeight,
                  OverlayParameters& parameters);

}  // namespace kelpo
