// Pure rules of the camera's live preview: the part of the video it shows and
// where that part goes in the preview window.
#pragma once

#include <cstdint>

namespace kelpo {

struct VideoRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t width;
  std::int32_t height;
};

// The part of the video the picture keeps: the crop rectangle cut to the
// video when cropping is on and keeps some of it, otherwise the whole video.
VideoRect PreviewSourceRect(bool cropEnable, std::uint32_t cropX, std::uint32_t cropY,
                            std::uint32_t cropWidth, std::uint32_t cropHeight,
                            std::int32_t videoWidth, std::int32_t videoHeight);

// The largest rectangle of the output picture's aspect ratio that fits the
// window, centred (single precision, truncated toward zero). An output size
// with a zero side fills the window.
VideoRect LetterboxPreview(std::int32_t windowWidth, std::int32_t windowHeight,
                           std::uint32_t outputWidth, std::uint32_t outputHeight);

}  // namespace kelpo
