#include "capture/video_devices.h"

#include "capture/device_choice_rules.h"
#include "common/message_catalogue.h"
#include "common/unique_handle.h"

#include <oleauto.h>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// A string property; false when it cannot be read as one.
bool ReadProperty(IPropertyBag& bag, const wchar_t* name, std::wstring& value) {
  VARIANT variant;
  ::VariantInit(&variant);
  const auto clear = scope_exit([&variant] { (void)::VariantClear(&variant); });
  if (bag.Read(name, &variant, nullptr) != S_OK || variant.vt != VT_BSTR) return false;
  value.assign(variant.bstrVal, ::SysStringLen(variant.bstrVal));
  return true;
}

DeviceRecord ReadRecord(IPropertyBag& bag) {
  DeviceRecord record;
  if (!ReadProperty(bag, L"Description", record.name)) {
    (void)ReadProperty(bag, L"FriendlyName", record.name);
  }
  (void)ReadProperty(bag, L"DevicePath", record.path);
  return record;
}

}  // namespace

std::optional<std::vector<VideoDevice>> EnumerateVideoDevices() {
  ComPtr<ICreateDevEnum> enumerator;
  if (FAILED(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, kDirectShowContext,
                                IID_PPV_ARGS(&enumerator)))) {
    return std::nullopt;
  }
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE and no enumerator: the category is empty.
  if (FAILED(enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0)) ||
      !monikers) {
    return std::nullopt;
  }
  std::vector<VideoDevice> devices;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)))) continue;
    devices.push_back(VideoDevice{moniker, ReadRecord(*bag.Get())});
  }
  return devices;
}

ChosenDevice ChooseCaptureDevice(const std::wstring& configuredPath) {
  std::optional<std::vector<VideoDevice>> devices = EnumerateVideoDevices();
  if (!devices) Raise(kMsgNoCaptureDevice);

  std::vector<std::wstring> paths;
  paths.reserve(devices->size());
  for (const VideoDevice& device : *devices) paths.push_back(device.record.path);

  ChosenDevice chosen;
  const std::optional<std::size_t> index = ChooseDevice(paths, configuredPath, [&](std::size_t i) {
    chosen.filter.Reset();
    // A device that does not bind (in use elsewhere) leaves no filter.
    (void)(*devices)[i].moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&chosen.filter));
    return static_cast<bool>(chosen.filter);
  });
  if (index) chosen.record = (*devices)[*index].record;
  return chosen;
}

}  // namespace kelpo
