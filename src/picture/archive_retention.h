// The local archive's limit: a pass lists the files that the archive's name
// pattern made, and deletes the oldest of them as picture/archive_rules.h
// says. Passes run on a thread-pool worker, one at a time, so a picture never
// waits for a folder listing.
#pragma once

#include "common/unique_handle.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace kelpo {

class ArchiveRetention {
 public:
  ArchiveRetention();
  // Waits for the passes asked for: a one-shot run's pass deletes what it
  // found before the program ends.
  ~ArchiveRetention();
  ArchiveRetention(const ArchiveRetention&) = delete;
  ArchiveRetention& operator=(const ArchiveRetention&) = delete;

  // Asks for a pass over the archive that `pattern` names (the local archive
  // name, with fields) with these limits; nothing without a field or a limit.
  void Start(const std::wstring& pattern, std::uint32_t keepDays, std::uint32_t keepMegabytes);

  // Runs a pass on the calling thread; how many files it deleted.
  std::size_t RunPass(const std::wstring& pattern, std::uint32_t keepDays,
                      std::uint32_t keepMegabytes);

 private:
  static void CALLBACK Work(PTP_CALLBACK_INSTANCE instance, PVOID context, PTP_WORK work);

  struct Request {
    std::wstring pattern;
    std::uint32_t keepDays = 0;
    std::uint32_t keepMegabytes = 0;
  };
  // The latest request: a pass takes it when it begins.
  std::mutex requestMutex_;
  Request request_;
  // Passes queued together run one after the other.
  std::mutex passMutex_;
  unique_handle<PTP_WORK, ::CloseThreadpoolWork> work_;
};

}  // namespace kelpo
