// Registers a set of test cameras for as long as the object lives, through the
// exports of kelpo_test_camera.dll next to the test program. COM must be
// started on the thread that makes and destroys it.
#pragma once

#include "common/win32.h"

#include <initializer_list>
#include <string>

#include "common/unique_handle.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {

class RegisteredCameras {
 public:
  // Replaces whatever cameras were registered with these; result() tells how
  // that went.
  explicit RegisteredCameras(std::initializer_list<KelpoTestCameraInstance> instances);
  RegisteredCameras(const RegisteredCameras&) = delete;
  RegisteredCameras& operator=(const RegisteredCameras&) = delete;
  ~RegisteredCameras();

  HRESULT result() const { return result_; }

  // Sets one of an instance's controls (test_camera.h); false when the
  // registry refuses.
  static bool SetControl(const wchar_t* instance, const wchar_t* control, DWORD value);
  static bool SetControl(const wchar_t* instance, const wchar_t* control, const std::wstring& text);
  // A string the camera wrote, such as its route log; empty when there is none.
  static std::wstring ReadText(const wchar_t* instance, const wchar_t* control);

 private:
  unique_hmodule module_;
  KelpoTestCameraUnregisterFn unregister_ = nullptr;
  HRESULT result_ = E_FAIL;
};

}  // namespace kelpo::test_camera
