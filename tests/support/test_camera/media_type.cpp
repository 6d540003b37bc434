#include "support/test_camera/media_type.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "support/test_camera/com_support.h"

namespace kelpo::test_camera {
namespace {

// Deep copy of source into target, which holds nothing yet.
HRESULT CopyContents(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE& target) noexcept {
  target = source;
  target.pbFormat = nullptr;
  target.cbFormat = 0;
  if (source.cbFormat != 0 && source.pbFormat != nullptr) {
    target.pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(source.cbFormat));
    if (target.pbFormat == nullptr) {
      target.pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
    target.cbFormat = source.cbFormat;
  }
  if (target.pUnk != nullptr) target.pUnk->AddRef();
  return S_OK;
}

class MediaTypeEnumerator final : public IEnumMediaTypes {
 public:
  MediaTypeEnumerator(std::shared_ptr<const std::vector<MediaType>> types, std::size_t position)
      : types_(std::move(types)), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumMediaTypes) return Hand<IEnumMediaTypes>(this, out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = references_.Remove();
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
    if (types == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    while (done < count && position_ < types_->size()) {
      types[done] = (*types_)[position_].CreateTaskMemCopy();
      if (types[done] == nullptr) {
        while (done > 0) DeleteTaskMemMediaType(types[--done]);
        return E_OUTOFMEMORY;
      }
      ++done;
      ++position_;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = types_->size() - position_;
    if (count > left) {
      position_ = types_->size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) MediaTypeEnumerator(types_, position_);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  ModuleReference module_;
  RefCount references_;
  std::shared_ptr<const std::vector<MediaType>> types_;
  std::size_t position_;
};

}  // namespace

MediaType::MediaType() noexcept : type_{} {}

MediaType::MediaType(const AM_MEDIA_TYPE& other) : type_{} {
  if (FAILED(CopyContents(other, type_))) {
    type_ = AM_MEDIA_TYPE{};
    throw std::bad_alloc();
  }
}

MediaType::MediaType(const MediaType& other) : MediaType(other.type_) {}

MediaType::MediaType(MediaType&& other) noexcept : type_(other.type_) {
  other.type_ = AM_MEDIA_TYPE{};
}

MediaType& MediaType::operator=(MediaType other) noexcept {
  std::swap(type_, other.type_);
  return *this;
}

MediaType::~MediaType() { FreeMediaTypeContents(type_); }

const VIDEOINFOHEADER* MediaType::VideoInfo() const noexcept {
  if (type_.formattype != FORMAT_VideoInfo || type_.pbFormat == nullptr ||
      type_.cbFormat < sizeof(VIDEOINFOHEADER)) {
    return nullptr;
  }
  return reinterpret_cast<const VIDEOINFOHEADER*>(type_.pbFormat);
}

HRESULT MediaType::CopyTo(AM_MEDIA_TYPE* out) const noexcept {
  if (out == nullptr) return E_POINTER;
  const HRESULT result = CopyContents(type_, *out);
  if (FAILED(result)) *out = AM_MEDIA_TYPE{};
  return result;
}

AM_MEDIA_TYPE* MediaType::CreateTaskMemCopy() const noexcept {
  auto* copy = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (copy == nullptr) return nullptr;
  if (FAILED(CopyTo(copy))) {
    ::CoTaskMemFree(copy);
    return nullptr;
  }
  return copy;
}

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept {
  if (type.pbFormat != nullptr) ::CoTaskMemFree(type.pbFormat);
  type.pbFormat = nullptr;
  type.cbFormat = 0;
  if (type.pUnk != nullptr) type.pUnk->Release();
  type.pUnk = nullptr;
}

void DeleteTaskMemMediaType(AM_MEDIA_TYPE* type) noexcept {
  if (type == nullptr) return;
  FreeMediaTypeContents(*type);
  ::CoTaskMemFree(type);
}

bool MatchesPartial(const AM_MEDIA_TYPE& partial, const AM_MEDIA_TYPE& full) noexcept {
  if (partial.majortype != GUID_NULL && partial.majortype != full.majortype) return false;
  if (partial.subtype != GUID_NULL && partial.subtype != full.subtype) return false;
  if (partial.formattype == GUID_NULL) return true;
  if (partial.formattype != full.formattype) return false;
  if (partial.cbFormat == 0 || partial.pbFormat == nullptr) return true;
  return partial.cbFormat == full.cbFormat &&
         std::memcmp(partial.pbFormat, full.pbFormat, full.cbFormat) == 0;
}

bool IsFullySpecified(const AM_MEDIA_TYPE& type) noexcept {
  return type.majortype != GUID_NULL && type.subtype != GUID_NULL && type.formattype != GUID_NULL &&
         type.formattype != FORMAT_None;
}

bool SameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) noexcept {
  return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
         a.cbFormat == b.cbFormat &&
         (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

HRESULT CreateMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Guard([&] {
    auto shared = std::make_shared<const std::vector<MediaType>>(std::move(types));
    *out = new MediaTypeEnumerator(std::move(shared), 0);
    return S_OK;
  });
}

}  // namespace kelpo::test_camera
