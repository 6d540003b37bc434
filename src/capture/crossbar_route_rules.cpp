#include "capture/crossbar_route_rules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kelpo {

namespace {

struct ConnectorName {
  long type;
  const wchar_t* name;
};

// PhysConn_* values.
constexpr std::array<ConnectorName, 23> kConnectorNames{{
    {1, L"Video Tuner"},
    {2, L"Video Composite"},
    {3, L"Video SVideo"},
    {4, L"Video RGB"},
    {5, L"Video YRYBY"},
    {6, L"Video SerialDigital"},
    {7, L"Video ParallelDigital"},
    {8, L"Video SCSI"},
    {9, L"Video AUX"},
    {10, L"Video 1394"},
    {11, L"Video USB"},
    {12, L"Video Decoder"},
    {13, L"Video Encoder"},
    {0x1000, L"Audio Tuner"},
    {0x1001, L"Audio Line"},
    {0x1002, L"Audio Mic"},
    {0x1003, L"Audio AESDigital"},
    {0x1004, L"Audio SPDIFDigital"},
    {0x1005, L"Audio SCSI"},
    {0x1006, L"Audio AUX"},
    {0x1007, L"Audio 1394"},
    {0x1008, L"Audio USB"},
    {0x1009, L"Audio Decoder"},
}};

class RouteSearch {
 public:
  explicit RouteSearch(CrossbarWalk& walk) : walk_(walk) {}

  std::vector<CrossbarRoute> Run() {
    CrossbarWalk::Upstream first;
    if (walk_.UpstreamOf(CrossbarWalk::kStartPin, 0, first) == CrossbarWalk::Link::kCrossbar) {
      Search(first);
    }
    return std::move(routes_);
  }

 private:
  // The crossbar `at` feeds the way so far (path_, nearest the capture filter
  // first).
  void Search(const CrossbarWalk::Upstream& at) {
    const int depth = static_cast<int>(path_.size());
    if (depth >= kMaxCrossbarDepth) return;
    const bool onPath = std::any_of(path_.begin(), path_.end(), [&](const CrossbarHop& hop) {
      return hop.crossbar == at.crossbar;
    });
    if (onPath) return;
    const std::optional<CrossbarPinInfo> output = walk_.PinInfo(at.crossbar, false, at.output);
    if (!output) return;

    const long inputs = walk_.InputCount(at.crossbar);
    for (long i = 0; i < inputs; ++i) {
      const std::optional<CrossbarPinInfo> input = walk_.PinInfo(at.crossbar, true, i);
      if (!input || input->physicalType >= kFirstAudioConnector) continue;
      if (!walk_.CanRoute(at.crossbar, at.output, i)) continue;
      CrossbarHop hop;
      hop.crossbar = at.crossbar;
      hop.videoInput = i;
      hop.videoOutput = at.output;
      hop.audioInput = input->related;
      hop.audioOutput = output->related;
      hop.inputType = input->physicalType;
      hop.outputType = output->physicalType;
      hop.depth = depth;
      path_.push_back(hop);
      CrossbarWalk::Upstream next;
      if (walk_.UpstreamOf(at.crossbar, i, next) == CrossbarWalk::Link::kCrossbar) {
        Search(next);
      } else {
        routes_.emplace_back(path_.rbegin(), path_.rend());
      }
      path_.pop_back();
    }
  }

  CrossbarWalk& walk_;
  std::vector<CrossbarHop> path_;
  std::vector<CrossbarRoute> routes_;
};

}  // namespace

const wchar_t* ConnectorTypeName(long physicalType) {
  for (const ConnectorName& entry : kConnectorNames) {
    if (entry.type == physicalType) return entry.name;
  }
  return L"Unknown";
}

std::vector<CrossbarRoute> FindCrossbarRoutes(CrossbarWalk& walk) {
  return RouteSearch(walk).Run();
}

}  // namespace kelpo
