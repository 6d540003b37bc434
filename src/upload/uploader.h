// What the picture cycle asks of an upload, whatever carries it: one job at a
// time, its news as statuses on the UI thread, a time limit that the owner
// keeps, and a quiet cancel when the next picture supersedes it. The transfer
// itself runs on a worker that posts its news to the owner's window; the
// window never waits for the network.
#pragma once

#include "common/transfer_protocol.h"
#include "common/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelpo {

// What one upload sends where, copied when it starts: the settings and the
// next picture's file may change while it runs.
struct UploadJob {
  std::wstring server;
  std::wstring user;
  std::wstring password;
  std::wstring directory;  // empty: the login directory; must exist
  std::wstring filename;   // the remote name
  std::wstring localFile;  // the picture to send, unchanged
  bool passive = false;
  // The owner's limit on the whole exchange, connect included (ms): the
  // network's own time-outs never end a transfer before it.
  DWORD timeLimit = 60000;
  TransferProtocol protocol = TransferProtocol::kFtp;
  std::uint16_t port = kFtpPort;  // resolved: never 0
  // The SFTP server's key as learnt at the first connection; empty until then.
  std::wstring hostKey{};
  // The TLS server's certificate fingerprint the user trusts; empty: Windows decides.
  std::wstring certPin{};
  // Folders below `directory` ('/'-separated, no leading '/'; may be empty)
  // that are entered, or made one level at a time, before the file is stored
  // as directory/createFolders/filename.
  std::wstring createFolders{};
};

// The uploader's owner. Every call comes on the UI thread, from Start, Cancel,
// OnNews or OnTimeLimit.
class UploadObserver {
 public:
  // 16, 18, 17 while it runs; then one final status: 12, 11, 22, 19 or 66,
  // or a refusal of the server (110-114).
  virtual void OnUploadStatus(int statusId) = 0;
  // A status whose text names values ("%1", "%2": fingerprints).
  virtual void OnUploadStatusWith(int statusId, const std::vector<std::wstring>& values) {
    (void)values;
    OnUploadStatus(statusId);
  }
  // An upload to an SFTP server whose key was not known yet succeeded: the
  // owner keeps `fingerprint` and checks the server by it from now on.
  virtual void OnHostKeyLearned(const std::wstring& fingerprint) { (void)fingerprint; }
  // The upload started: the time limit starts. An upload that ends stops it.
  virtual void StartUploadTimeLimit() = 0;
  virtual void StopUploadTimeLimit() = 0;
  // The upload is over, with its final status (after OnUploadStatus showed it).
  virtual void OnUploadEnded(int finalStatus) = 0;

 protected:
  ~UploadObserver() = default;
};

class Uploader {
 public:
  virtual ~Uploader() = default;

  // Starts an upload unless one runs or the server name is too short (the
  // caller has checked the dial-up connection). False when nothing started;
  // nothing is shown then.
  virtual bool Start(const UploadJob& job) = 0;
  // Abandons a running upload quietly (a new picture supersedes it): no status,
  // no OnUploadEnded; nothing it posts later reaches the owner.
  virtual void Cancel() = 0;
  // News the worker posted with the owner's message.
  virtual void OnNews(WPARAM wParam, LPARAM lParam) = 0;
  // The owner's time-limit timer fired. True when it cut a running upload
  // short (status 66 shown, OnUploadEnded called).
  virtual bool OnTimeLimit() = 0;
  virtual bool Running() const = 0;
};

}  // namespace kelpo
