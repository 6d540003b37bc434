// Pure rules of a capture card's crossbars: the names of their connectors and
// the search for every way a video signal reaches the capture filter through
// them.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace kelpo {

// The first PhysConn_* value of a sound connector; lower ones are video.
constexpr long kFirstAudioConnector = 0x1000;
constexpr long kNoPin = -1;

// How many crossbars a route may pass. A card has one, sometimes a second in
// front of it; eight is far beyond any real chain. A driver whose chain leads
// back to itself would otherwise be searched until the stack is gone.
constexpr int kMaxCrossbarDepth = 8;

// "Video Composite", "Audio Line", ...; "Unknown" for any other value.
const wchar_t* ConnectorTypeName(long physicalType);

// One crossbar a route passes: the walk's number for the crossbar, its pins
// (crossbar numbering, inputs and outputs counted apart; kNoPin where a video
// pin has no related sound pin), the video connector types, and the depth (0
// next to the capture filter).
struct CrossbarHop {
  std::size_t crossbar = 0;
  long videoInput = 0;
  long videoOutput = 0;
  long audioInput = kNoPin;
  long audioOutput = kNoPin;
  long inputType = 0;
  long outputType = 0;
  int depth = 0;
};

// The most upstream crossbar first, the one next to the capture filter last.
using CrossbarRoute = std::vector<CrossbarHop>;

// A crossbar pin as get_CrossbarPinInfo reports it.
struct CrossbarPinInfo {
  long related = kNoPin;
  long physicalType = 0;
};

// What the search asks of the graph. A pin is named by its crossbar's number
// and input index; the capture filter's analog input is kStartPin.
class CrossbarWalk {
 public:
  static constexpr std::size_t kStartPin = static_cast<std::size_t>(-1);

  // A crossbar's output that a pin is connected to.
  struct Upstream {
    std::size_t crossbar = 0;
    long output = 0;
  };
  enum class Link { kNone, kOther, kCrossbar };

  // What the pin is connected to: nothing, something that is no crossbar, or
  // a crossbar's output (filled in).
  virtual Link UpstreamOf(std::size_t crossbar, long input, Upstream& upstream) = 0;
  virtual long InputCount(std::size_t crossbar) = 0;
  virtual std::optional<CrossbarPinInfo> PinInfo(std::size_t crossbar, bool input, long index) = 0;
  virtual bool CanRoute(std::size_t crossbar, long output, long input) = 0;

 protected:
  ~CrossbarWalk() = default;
};

// Every route from an input connector to the capture filter, in depth-first
// order, lower inputs first. A route ends at an input that is not connected
// or is connected to something other than a crossbar (a tuner, say); sound
// inputs and inputs the crossbar cannot route are passed over. A crossbar
// already on the way, or a way deeper than kMaxCrossbarDepth, ends nothing.
std::vector<CrossbarRoute> FindCrossbarRoutes(CrossbarWalk& walk);

}  // namespace kelpo
