#include "support/test_camera/output_pin.h"

#include <cstring>
#include <utility>

namespace kelpo::test_camera {

using Microsoft::WRL::ComPtr;

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Frees what an IEnumMediaTypes handed out.
struct TaskMemMediaType {
  AM_MEDIA_TYPE* type = nullptr;
  ~TaskMemMediaType() { DeleteTaskMemMediaType(type); }
};

}  // namespace

OutputPin::OutputPin(BaseFilter& filter, std::wstring name)
    : filter_(filter), name_(std::move(name)) {}

OutputPin::~OutputPin() = default;

HRESULT OutputPin::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPin) return Hand<IPin>(this, out);
  *out = nullptr;
  return QueryExtraInterface(iid, out);
}

ULONG OutputPin::AddRef() { return filter_.AddRef(); }

ULONG OutputPin::Release() { return filter_.Release(); }

HRESULT OutputPin::QueryExtraInterface(REFIID, void**) { return E_NOINTERFACE; }

HRESULT OutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
  if (receiver == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  if (peer_ != nullptr) return VFW_E_ALREADY_CONNECTED;
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  return Guard([&] {
    if (type != nullptr && IsFullySpecified(*type)) return TryConnection(receiver, *type);

    AM_MEDIA_TYPE any{};
    const AM_MEDIA_TYPE& wanted = type != nullptr ? *type : any;
    for (const MediaType& offered : OfferedTypes()) {
      if (MatchesPartial(wanted, offered.get()) &&
          SUCCEEDED(TryConnection(receiver, offered.get()))) {
        return S_OK;
      }
    }
    // Then whatever the receiving pin prefers, if this pin can stream it.
    ComPtr<IEnumMediaTypes> theirs;
    if (SUCCEEDED(receiver->EnumMediaTypes(&theirs))) {
      for (;;) {
        TaskMemMediaType proposed;
        if (theirs->Next(1, &proposed.type, nullptr) != S_OK) break;
        if (MatchesPartial(wanted, *proposed.type) &&
            SUCCEEDED(TryConnection(receiver, *proposed.type))) {
          return S_OK;
        }
      }
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
  });
}

HRESULT OutputPin::TryConnection(IPin* receiver, const AM_MEDIA_TYPE& type) {
  if (!Accepts(type)) return VFW_E_TYPE_NOT_ACCEPTED;
  type_ = MediaType(type);
  peer_ = receiver;
  HRESULT result = receiver->ReceiveConnection(this, &type);
  if (SUCCEEDED(result)) {
    result = receiver->QueryInterface(IID_PPV_ARGS(&input_));
    if (SUCCEEDED(result)) result = DecideAllocator(*input_.Get());
    if (FAILED(result)) (void)receiver->Disconnect();
  }
  if (FAILED(result)) ClearConnection();
  return result;
}

HRESULT OutputPin::DecideAllocator(IMemInputPin& input) {
  ALLOCATOR_PROPERTIES request{};
  if (FAILED(input.GetAllocatorRequirements(&request))) request = ALLOCATOR_PROPERTIES{};

  // The input pin's own allocator first, as DirectShow prefers.
  ComPtr<IMemAllocator> allocator;
  if (SUCCEEDED(input.GetAllocator(&allocator)) &&
      SUCCEEDED(DecideBufferSize(*allocator.Get(), request)) &&
      SUCCEEDED(input.NotifyAllocator(allocator.Get(), FALSE))) {
    allocator_ = allocator;
    return S_OK;
  }
  allocator.Reset();
  HRESULT result = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&allocator));
  if (SUCCEEDED(result)) result = DecideBufferSize(*allocator.Get(), request);
  if (SUCCEEDED(result)) result = input.NotifyAllocator(allocator.Get(), FALSE);
  if (SUCCEEDED(result)) allocator_ = allocator;
  return result;
}

void OutputPin::ClearConnection() {
  peer_.Reset();
  input_.Reset();
  allocator_.Reset();
  type_ = MediaType();
}

HRESULT OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
  // Only input pins receive connections.
  return E_UNEXPECTED;
}

HRESULT OutputPin::Disconnect() {
  const Lock hold(filter_.lock());
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (peer_ == nullptr) return S_FALSE;
  if (allocator_ != nullptr) (void)allocator_->Decommit();
  ClearConnection();
  return S_OK;
}

HRESULT OutputPin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  *pin = ComPtr<IPin>(peer_).Detach();
  return *pin != nullptr ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  if (peer_ == nullptr) {
    *type = AM_MEDIA_TYPE{};
    return VFW_E_NOT_CONNECTED;
  }
  return type_.CopyTo(type);
}

HRESULT OutputPin::QueryPinInfo(PIN_INFO* info) {
  if (info == nullptr) return E_POINTER;
  info->pFilter = &filter_;
  filter_.AddRef();
  info->dir = PINDIR_OUTPUT;
  (void)::lstrcpynW(info->achName, name_.c_str(), MAX_PIN_NAME);
  return S_OK;
}

HRESULT OutputPin::QueryDirection(PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = PINDIR_OUTPUT;
  return S_OK;
}

HRESULT OutputPin::QueryId(LPWSTR* id) {
  if (id == nullptr) return E_POINTER;
  const std::size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (*id == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*id, name_.c_str(), bytes);
  return S_OK;
}

HRESULT OutputPin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  return Guard([&] { return Accepts(*type) ? S_OK : S_FALSE; });
}

HRESULT OutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  *types = nullptr;
  const Lock hold(filter_.lock());
  return Guard([&] { return CreateMediaTypeEnumerator(OfferedTypes(), types); });
}

HRESULT OutputPin::QueryInternalConnections(IPin** pins, ULONG* count) {
  (void)pins;
  if (count != nullptr) *count = 0;
  return E_NOTIMPL;
}

// An output pin is told nothing of the stream's end or flushes: those travel
// downstream.
HRESULT OutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT OutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT OutputPin::EndFlush() { return E_UNEXPECTED; }

HRESULT OutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

OutputPin::Connection OutputPin::connection() const {
  const Lock hold(filter_.lock());
  return Connection{peer_, input_, allocator_, type_};
}

}  // namespace kelpo::test_camera
