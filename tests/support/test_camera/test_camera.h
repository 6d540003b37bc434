// The test camera as tests see it: kelpo_test_camera.dll, built next to the test
// programs, holds a DirectShow video capture source. A test registers a set of
// named instances of it in the video input device category; the system device
// enumerator then lists each one as a camera, and binding one's moniker gives a
// capture filter that streams the pattern of frame_pattern.h.
//
// Each instance has a control key, HKCU\<kControlsKey>\<instance name>, whose
// DWORD values the camera reads while it runs (every frame, or every few dozen
// milliseconds while it delivers nothing). Absent values count as 0. Where a
// value is an HRESULT, any non-failure value other than 0 stands for E_FAIL.
#pragma once

#include "common/win32.h"

#include <string>

namespace kelpo::test_camera {

constexpr wchar_t kDllName[] = L"kelpo_test_camera.dll";

// {587869DF-364B-4918-8EF0-5CBB811F9AE8}
constexpr GUID kClsid = {
    0x587869df, 0x364b, 0x4918, {0x8e, 0xf0, 0x5c, 0xbb, 0x81, 0x1f, 0x9a, 0xe8}};

constexpr wchar_t kControlsKey[] = L"Software\\KelpoTestCamera";

// HKCU-relative path of an instance's control key.
inline std::wstring ControlKeyPath(const std::wstring& instance) {
  return std::wstring(kControlsKey) + L"\\" + instance;
}

// Binding fails with this HRESULT (IPersistPropertyBag::Load fails, so
// IMoniker::BindToObject does), as with a camera in use elsewhere.
constexpr wchar_t kRefuseBind[] = L"RefuseBind";
// The tag in every frame's stamp (low 8 bits).
constexpr wchar_t kTag[] = L"Tag";
// Non-zero: the camera delivers no frames, as if frozen; the stream stays up.
constexpr wchar_t kFrozen[] = L"Frozen";
// An HRESULT: streaming fails at the next frame, as a DirectShow source fails:
// end of stream downstream and EC_ERRORABORT with this code to the graph; no
// more frames until the graph is stopped and started again (and the next start
// fails the same way while the value stays).
constexpr wchar_t kFailStreaming[] = L"FailStreaming";
// Non-zero: the device is gone. Going non-zero sends EC_DEVICE_LOST (the
// filter's IUnknown, 0) and stops the frames; going back to 0 sends
// EC_DEVICE_LOST (the filter's IUnknown, 1) and the frames resume. The event
// adds no reference to the filter.
constexpr wchar_t kDeviceLost[] = L"DeviceLost";
// An HRESULT: the filter fails to start with it (its Pause, and so a Run
// from stopped), as a camera held by another program does.
constexpr wchar_t kFailRun[] = L"FailRun";
// N: the first N frames after every start (a Run of the graph) are dark.
constexpr wchar_t kDarkFrames[] = L"DarkFrames";

// Analog capture cards. These are read when the capture filter joins a graph.
// A string: the inputs of a crossbar in front of the capture filter's analog
// video input (category PIN_CATEGORY_ANALOGVIDEOIN), comma-separated, each a
// PhysConn_* number followed by any of: '!' (cannot be routed to an output),
// '~N' (related to input N, as a video input to its sound), '@' (connected to
// the second crossbar's video output). The crossbar has a video output
// (PhysConn_Video_VideoDecoder) and, when any input is audio, an audio output
// (PhysConn_Audio_AudioDecoder), related to each other. An empty string: an
// analog input with nothing connected. Absent: no analog input at all.
constexpr wchar_t kCrossbar[] = L"Crossbar";
// The second crossbar's inputs, as above; it exists when some input of the
// first carries '@'.
constexpr wchar_t kUpstreamCrossbar[] = L"Crossbar2";
// Non-zero: a TV tuner (IAMTVTuner) feeds the first tuner input of the most
// upstream crossbar.
constexpr wchar_t kTuner[] = L"Tuner";
// Each crossbar appends "<depth>:<output>-<input>;" to this string at every
// successful Route, depth 0 being the crossbar next to the capture filter.
constexpr wchar_t kRouteLog[] = L"RouteLog";
// Which objects offer the test property page (ISpecifyPropertyPages): the
// kPages* bits.
constexpr wchar_t kPages[] = L"Pages";
constexpr DWORD kPagesFilter = 1;
constexpr DWORD kPagesCapturePin = 2;
constexpr DWORD kPagesTuner = 4;
// Capabilities beyond the RGB24 VIDEOINFOHEADER sizes: the kExtra* bits. They
// can be set as the format and read back, not streamed.
constexpr wchar_t kExtraFormats[] = L"ExtraFormats";
constexpr DWORD kExtraVideoInfo2 = 1;  // 352 x 288 in a VIDEOINFOHEADER2
constexpr DWORD kExtraTopDown = 2;     // 176 x -144 (top-down rows)
// A string read when the filter is created: the capabilities of the capture
// pin, as a USB camera lists them, comma-separated, each a format and a size,
// e.g. "YUY2 640x480,MJPG 1280x720,MJPGNODHT 640x480". Formats: RGB24 and
// RGB32 (bottom-up), YUY2, UYVY, NV12, I420, MJPG (JPEG frames with their
// Huffman tables) and MJPGNODHT (without them, as most webcams send them).
// Every one streams the same pattern, converted from RGB by BT.601 limited
// range or encoded by WIC's JPEG encoder. Absent or unreadable: RGB24 at
// 640 x 480, 320 x 240 and 1280 x 960.
constexpr wchar_t kFormats[] = L"Formats";

// The property page every page-offering object names. Its window has a button
// kPageButtonText that switches the capture pin between 640 x 480 and
// 320 x 240 at once (as Apply does too); on other objects it changes nothing.
// {6D1F2B0A-52C4-4E1B-9C57-0B3E4A8F1D21}
constexpr GUID kPageClsid = {
    0x6d1f2b0a, 0x52c4, 0x4e1b, {0x9c, 0x57, 0x0b, 0x3e, 0x4a, 0x8f, 0x1d, 0x21}};
constexpr wchar_t kPageButtonText[] = L"Switch size";
constexpr wchar_t kPageTitle[] = L"Test Camera";

// Property-bag value of a registered instance that names its control key.
constexpr wchar_t kInstanceProperty[] = L"KelpoTestCamera";

}  // namespace kelpo::test_camera

extern "C" {

// One camera to register. The system device enumerator lists instances in the
// order of their names, as the registry sorts keys (letter case ignored).
struct KelpoTestCameraInstance {
  const wchar_t* name;          // the instance's key name; letters, digits, '_' and '-'
  const wchar_t* friendlyName;  // "FriendlyName"
  const wchar_t* description;   // "Description", or null to have none
  const wchar_t* devicePath;    // "DevicePath", or null to have none
  DWORD tag;                    // initial "Tag" control
  HRESULT refuseBind;           // initial "RefuseBind" control; 0 binds
};

// Replaces every registered instance with the given ones: registers the COM
// class (this DLL's own path) and each instance through IFilterMapper2, and
// writes each control key with its initial values. The caller has COM started.
typedef HRESULT(WINAPI* KelpoTestCameraRegisterFn)(const KelpoTestCameraInstance* instances,
                                                   UINT count);
// Removes every registered instance, their control keys and the COM class.
typedef HRESULT(WINAPI* KelpoTestCameraUnregisterFn)();
}

namespace kelpo::test_camera {
constexpr char kRegisterExport[] = "KelpoTestCameraRegister";
constexpr char kUnregisterExport[] = "KelpoTestCameraUnregister";
}  // namespace kelpo::test_camera
