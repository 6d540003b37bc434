#include "capture/still_image_rules.h"

namespace kelpo {

FittedSize FitStillPreview(std::uint32_t controlWidth, std::uint32_t controlHeight,
                           std::uint32_t imageWidth, std::uint32_t imageHeight) {
  if (imageWidth == 0 || imageHeight == 0) return {0, 0};
  const float ratio = static_cast<float>(imageWidth) / static_cast<float>(imageHeight);
  const float width = static_cast<float>(controlWidth);
  const float height = static_cast<float>(controlHeight);
  if (width < height * ratio) {
    return {controlWidth, static_cast<std::uint32_t>(width / ratio)};
  }
  return {static_cast<std::uint32_t>(height * ratio), controlHeight};
}

bool LastImageStandsIn(StillFileTrouble trouble, std::uint32_t troubleFor) {
  return trouble == StillFileTrouble::kMomentary && troubleFor < kMomentaryTroubleBound;
}

}  // namespace kelpo
