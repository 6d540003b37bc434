// A capture card's crossbar (IAMCrossbar): analog inputs (tuner, composite,
// S-Video, sound) switched to a video output and a sound output. It logs every
// Route it carries out to its instance's control key.
#pragma once

#include "common/win32.h"

#include <dshow.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_camera/analog_pin.h"
#include "support/test_camera/base_filter.h"

namespace kelpo::test_camera {

// One input as the Crossbar controls describe it (test_camera.h).
struct CrossbarInputSetup {
  long physicalType = 0;
  bool routable = true;
  long related = -1;
  bool upstream = false;  // the second crossbar's output feeds it
};

// The inputs a control string describes; tokens that are no number are left out.
std::vector<CrossbarInputSetup> ParseCrossbarInputs(const std::wstring& text);

class CrossbarFilter final : public BaseFilter, public IAMCrossbar {
 public:
  // depth: 0 for the crossbar next to the capture filter; it names the
  // crossbar in the route log.
  static Microsoft::WRL::ComPtr<CrossbarFilter> Create(std::wstring instance, int depth,
                                                       std::vector<CrossbarInputSetup> inputs);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IAMCrossbar
  HRESULT STDMETHODCALLTYPE get_PinCounts(LONG* outputs, LONG* inputs) override;
  HRESULT STDMETHODCALLTYPE CanRoute(LONG output, LONG input) override;
  HRESULT STDMETHODCALLTYPE Route(LONG output, LONG input) override;
  HRESULT STDMETHODCALLTYPE get_IsRoutedTo(LONG output, LONG* input) override;
  HRESULT STDMETHODCALLTYPE get_CrossbarPinInfo(WINBOOL isInput, LONG index, LONG* related,
                                                LONG* type) override;

  AnalogPin& VideoOutput() { return *outputs_.front(); }
  // The input of that index, or null.
  AnalogPin* Input(std::size_t index);
  const std::vector<CrossbarInputSetup>& InputSetups() const { return setups_; }

 protected:
  IPin* PinAt(std::size_t index) override;
  HRESULT QueryExtraInterface(REFIID iid, void** out) override;

 private:
  CrossbarFilter(std::wstring instance, int depth, std::vector<CrossbarInputSetup> inputs);
  ~CrossbarFilter() override;

  struct OutputSetup {
    long physicalType;
    long related;
  };
  bool IsAudio(long physicalType) const;

  const std::wstring instance_;
  const int depth_;
  std::vector<CrossbarInputSetup> setups_;
  std::vector<OutputSetup> outputSetups_;
  std::vector<std::unique_ptr<AnalogPin>> inputs_;
  std::vector<std::unique_ptr<AnalogPin>> outputs_;
  std::vector<long> routedTo_;  // per output; -1 while unrouted
};

}  // namespace kelpo::test_camera
