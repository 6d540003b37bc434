// What every COM object of the test camera needs: the module's object count (for
// DllCanUnloadNow), a reference count, and a guard that turns exceptions into
// HRESULTs before they could cross a COM boundary.
#pragma once

#include "common/win32.h"

#include <unknwn.h>

#include <atomic>
#include <new>

namespace kelpo::test_camera {

// Live objects and server locks of this DLL.
extern std::atomic<long> moduleReferences;

// Counts the object for the module while it lives.
class ModuleReference {
 public:
  ModuleReference() noexcept { ++moduleReferences; }
  ModuleReference(const ModuleReference&) noexcept { ++moduleReferences; }
  ModuleReference& operator=(const ModuleReference&) = default;
  ~ModuleReference() { --moduleReferences; }
};

class RefCount {
 public:
  ULONG Add() noexcept { return static_cast<ULONG>(++count_); }
  ULONG Remove() noexcept { return static_cast<ULONG>(--count_); }

 private:
  std::atomic<long> count_{1};
};

// Runs f and gives its HRESULT; what it throws becomes E_OUTOFMEMORY or E_UNEXPECTED.
template <typename F>
HRESULT Guard(F&& f) noexcept {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Hands out interface I of object for QueryInterface, with a reference.
template <typename I, typename T>
HRESULT Hand(T* object, void** out) noexcept {
  *out = static_cast<I*>(object);
  static_cast<I*>(object)->AddRef();
  return S_OK;
}

}  // namespace kelpo::test_camera
