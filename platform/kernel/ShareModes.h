// Share modes between our own opens. Every open registers its access and share mode in an
// in-process table and, where the descriptor allows it, marks them with open-file-description
// locks on bytes far beyond any real data, so that other processes of ours see them too.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/win32_types.h"

namespace platform::kernel {

struct ShareRequest {
  bool read = false;
  bool write = false;
  DWORD shareMode = 0;
};

// Held by an open file for as long as it is open.
class ShareRegistration {
 public:
  ~ShareRegistration();
  ShareRegistration(const ShareRegistration&) = delete;
  ShareRegistration& operator=(const ShareRegistration&) = delete;

  // Closes the descriptor (which drops its locks) and leaves the table in one step, so no
  // other open sees one without the other.
  void CloseDescriptor();

 private:
  friend std::unique_ptr<ShareRegistration> AcquireShare(int, bool, const ShareRequest&);
  ShareRegistration() = default;

  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  uint64_t id_ = 0;
};

// Registers an open of the file behind fd, or returns null with ERROR_SHARING_VIOLATION
// when it conflicts with an open already there. fdReadable says whether fd was opened for
// reading, which the cross-process marks need. On success the registration owns fd.
std::unique_ptr<ShareRegistration> AcquireShare(int fd, bool fdReadable,
                                                const ShareRequest& request);

// Whether an open of the file forbids deleting it (it lacks FILE_SHARE_DELETE).
bool DeleteBlockedByOpens(const std::string& path);

}  // namespace platform::kernel
