// The controls of one registered camera instance, read from its control key
// (test_camera.h names the key and the values).
#pragma once

#include "common/win32.h"

#include <cstdint>
#include <string>

namespace kelpo::test_camera {

struct InstanceControls {
  HRESULT refuseBind = S_OK;
  std::uint8_t tag = 0;
  bool frozen = false;
  HRESULT failStreaming = S_OK;
  HRESULT failRun = S_OK;
  bool deviceLost = false;
  DWORD darkFrames = 0;
  bool analogInput = false;  // the Crossbar value exists
  std::wstring crossbar;
  std::wstring upstreamCrossbar;
  bool tuner = false;
  DWORD pages = 0;
  DWORD extraFormats = 0;
  std::wstring formats;
};

// The instance's controls as they are now; all defaults for an unnamed instance
// (a camera made without a moniker) or a missing key.
InstanceControls ReadInstanceControls(const std::wstring& instance) noexcept;

// Appends text to the instance's route log.
void AppendRouteLog(const std::wstring& instance, const std::wstring& text) noexcept;

// A control value as an HRESULT: 0 is S_OK, a failure code stands for itself,
// anything else for E_FAIL.
HRESULT ControlAsFailure(DWORD value) noexcept;

}  // namespace kelpo::test_camera
