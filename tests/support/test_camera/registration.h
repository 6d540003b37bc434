// Registration of the camera's COM class and of its instances in the video input
// device category.
#pragma once

#include "common/win32.h"

#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {

// module is this DLL, whose path the COM class registration names.
HRESULT RegisterInstances(HMODULE module, const KelpoTestCameraInstance* instances,
                          UINT count) noexcept;
HRESULT UnregisterInstances() noexcept;

}  // namespace kelpo::test_camera
