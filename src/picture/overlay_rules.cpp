#include "picture/overlay_rules.h"

#include "picture/position_grid_rules.h"
#include "settings/settings_rules.h"

namespace kelpo {

namespace {

constexpr float kPercent = 0.01f;

}  // namespace

OverlayParameters OverlayParametersFrom(const Settings& settings) {
  OverlayParameters parameters;
  parameters.opacity = settings.overlayopacity;
  parameters.scaleMode = settings.overlayscale;
  parameters.percentX = static_cast<float>(settings.overlayscalepercent);
  parameters.percentY = parameters.percentX;
  parameters.colourKey = settings.overlaycolourkey;
  parameters.keyRed = static_cast<std::uint8_t>(ColourRed(settings.ColourKey));
  parameters.keyGreen = static_cast<std::uint8_t>(ColourGreen(settings.ColourKey));
  parameters.keyBlue = static_cast<std::uint8_t>(ColourBlue(settings.ColourKey));
  parameters.position = settings.overlayposition;
  return parameters;
}

OverlayRect PlaceOverlay(const OverlayParameters& parameters, float overlayWidth,
                         float overlayHeight, float targetWidth, float targetHeight) {
  OverlayRect rect{0.0f, 0.0f, overlayWidth, overlayHeight};
  if (parameters.scaleMode == kOverlayPercentage) {
    rect.width = overlayWidth * parameters.percentX * kPercent;
    rect.height = overlayHeight * parameters.percentY * kPercent;
  } else if (parameters.scaleMode == kOverlayBestFit) {
    const float aspect = overlayWidth / overlayHeight;
    rect.height = targetHeight;
    rect.width = aspect * targetHeight;
    if (targetWidth < rect.width) {
      rect.width = targetWidth;
      rect.height = targetWidth / aspect;
    }
  }
  if (const std::optional<GridCell> cell = GridCellFor(parameters.position)) {
    rect.x = GridOffset(cell->column, rect.width, targetWidth);
    rect.y = GridOffset(cell->row, rect.height, targetHeight);
  }
  return rect;
}

void PreviewScale(bool percentageChecked, bool bestFitChecked, std::uint32_t percentage,
                  std::uint32_t previewWidth, std::uint32_t previewHeight,
                  std::uint32_t outputWidth, std::uint32_t outputHeight,
                  OverlayParameters& parameters) {
  constexpr float kWhole = 100.0f;
  if (!percentageChecked && bestFitChecked) {
    parameters.scaleMode = kOverlayBestFit;
    return;
  }
  const float scale = percentageChecked ? static_cast<float>(percentage) : kWhole;
  parameters.scaleMode = kOverlayPercentage;
  parameters.percentX = static_cast<float>(previewWidth) * scale / static_cast<float>(outputWidth);
  parameters.percentY =
      static_cast<float>(previewHeight) * scale / static_cast<float>(outputHeight);
}

}  // namespace kelpo
