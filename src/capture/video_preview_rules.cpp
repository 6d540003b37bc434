#include "capture/video_preview_rules.h"

#include "picture/picture_rules.h"

namespace kelpo {

VideoRect PreviewSourceRect(bool cropEnable, std::uint32_t cropX, std::uint32_t cropY,
                            std::uint32_t cropWidth, std::uint32_t cropHeight,
                            std::int32_t videoWidth, std::int32_t videoHeight) {
  if (!cropEnable || videoWidth <= 0 || videoHeight <= 0) return {0, 0, videoWidth, videoHeight};
  // A crop beside the video takes no picture; the preview then shows it all.
  const std::optional<FrameRect> crop =
      CropWithinFrame({cropX, cropY, cropWidth, cropHeight}, static_cast<std::uint32_t>(videoWidth),
                      static_cast<std::uint32_t>(videoHeight));
  if (!crop) return {0, 0, videoWidth, videoHeight};
  return {static_cast<std::int32_t>(crop->x), static_cast<std::int32_t>(crop->y),
          static_cast<std::int32_t>(crop->width), static_cast<std::int32_t>(crop->height)};
}

VideoRect LetterboxPreview(std::int32_t windowWidth, std::int32_t windowHeight,
                           std::uint32_t outputWidth, std::uint32_t outputHeight) {
  if (outputWidth == 0 || outputHeight == 0) return {0, 0, windowWidth, windowHeight};
  const float aspect = static_cast<float>(outputWidth) / static_cast<float>(outputHeight);
  const float width = static_cast<float>(windowWidth);
  const float height = static_cast<float>(windowHeight);
  std::int32_t shownWidth = windowWidth;
  std::int32_t shownHeight = windowHeight;
  if (width < height * aspect) {
    shownHeight = static_cast<std::int32_t>(width / aspect);
  } else {
    shownWidth = static_cast<std::int32_t>(height * aspect);
  }
  constexpr float kHalf = 0.5f;
  return {static_cast<std::int32_t>(static_cast<float>(windowWidth - shownWidth) * kHalf),
          static_cast<std::int32_t>(static_cast<float>(windowHeight - shownHeight) * kHalf),
          shownWidth, shownHeight};
}

}  // namespace kelpo
