// Media types: an owning AM_MEDIA_TYPE, the comparisons that pin connection
// needs, and an IEnumMediaTypes over a fixed list.
#pragma once

#include "common/win32.h"

#include <dshow.h>

#include <vector>

namespace kelpo::test_camera {

// Owns a media type's format block (task memory) and its pUnk reference.
class MediaType {
 public:
  MediaType() noexcept;
  // A deep copy; throws std::bad_alloc.
  explicit MediaType(const AM_MEDIA_TYPE& other);
  MediaType(const MediaType& other);
  MediaType(MediaType&& other) noexcept;
  MediaType& operator=(MediaType other) noexcept;
  ~MediaType();

  const AM_MEDIA_TYPE& get() const noexcept { return type_; }
  bool empty() const noexcept { return type_.majortype == GUID_NULL; }

  // The VIDEOINFOHEADER of a FORMAT_VideoInfo type with a block large enough,
  // or null.
  const VIDEOINFOHEADER* VideoInfo() const noexcept;

  // A deep copy into caller-owned structures, as IPin and IAMStreamConfig hand
  // media types out: into *out (format block in task memory), or as a new
  // task-memory AM_MEDIA_TYPE (null when memory runs out).
  HRESULT CopyTo(AM_MEDIA_TYPE* out) const noexcept;
  AM_MEDIA_TYPE* CreateTaskMemCopy() const noexcept;

 private:
  AM_MEDIA_TYPE type_;
};

// Frees a media type's format block and pUnk, and the structure itself for the
// second form (the DeleteMediaType of the DirectShow documentation).
void FreeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept;
void DeleteTaskMemMediaType(AM_MEDIA_TYPE* type) noexcept;

// Whether full matches partial, where GUID_NULL in partial's major type, subtype
// or format type matches anything (a format block is only compared when partial
// names a format type and has one).
bool MatchesPartial(const AM_MEDIA_TYPE& partial, const AM_MEDIA_TYPE& full) noexcept;
bool IsFullySpecified(const AM_MEDIA_TYPE& type) noexcept;
// The same type: GUIDs, and format blocks byte for byte.
bool SameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) noexcept;

HRESULT CreateMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) noexcept;

}  // namespace kelpo::test_camera
