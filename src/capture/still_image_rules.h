// Pure rules of the still-image source: the size of its preview, and how long
// its last image stands in for a file that cannot be read.
#pragma once

#include <cstdint>

namespace kelpo {

struct FittedSize {
  std::uint32_t width;
  std::uint32_t height;
};

// The image's aspect ratio fitted into a control of controlWidth x
// controlHeight, single precision, truncated toward zero. A zero-sized image
// fits as zero.
FittedSize FitStillPreview(std::uint32_t controlWidth, std::uint32_t controlHeight,
                           std::uint32_t imageWidth, std::uint32_t imageHeight);

// Why the file gave no image this time.
enum class StillFileTrouble {
  kMomentary,  // held by the program that writes it, empty, or cut short
  kGone,       // missing, no image, or one too large to use
};

// A program that saves the image (a capture tool, a copy over the network)
// holds or truncates the file for well under a second; five seconds leave
// room for a slow share, and at most a few pictures of the shortest interval
// repeat the last image meanwhile.
constexpr std::uint32_t kMomentaryTroubleBound = 5000;

// Whether the last image may be used again for a picture, `troubleFor` ms
// after the file first failed to read since it last read well: only for
// momentary trouble, and only within the bound. Otherwise an old image would
// be sent as if it were new.
bool LastImageStandsIn(StillFileTrouble trouble, std::uint32_t troubleFor);

}  // namespace kelpo
