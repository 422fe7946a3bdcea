#include "platform/kernel/ShareModes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

// Each open takes shared locks on the marks that describe it; a conflicting open is one
// whose own marks meet a mark held by another open file description. Shared locks never
// conflict with each other, so only a test for an exclusive lock reveals the holders.
enum Mark : off_t {
  kHasRead = 1,
  kHasWrite,
  kDeniesRead,
  kDeniesWrite,
  kDeniesDelete,
};
constexpr off_t kMarkBase = INT64_MAX - 64;

struct OpenEntry {
  uint64_t id;
  ShareRequest request;
};

struct ShareTable {
  std::mutex mutex;
  std::map<std::pair<dev_t, ino_t>, std::list<OpenEntry>> opens;
  uint64_t nextId = 1;
};

ShareTable& Table() {
  static ShareTable* table = new ShareTable();
  return *table;
}

bool HasDataAccess(const ShareRequest& r) {
  return r.read || r.write;
}

// As on Windows, an open without read or write access is neither checked nor counted.
bool Conflicts(const ShareRequest& a, const ShareRequest& b) {
  if (!HasDataAccess(a) || !HasDataAccess(b)) return false;
  return (a.read && !(b.shareMode & FILE_SHARE_READ)) ||
         (a.write && !(b.shareMode & FILE_SHARE_WRITE)) ||
         (b.read && !(a.shareMode & FILE_SHARE_READ)) ||
         (b.write && !(a.shareMode & FILE_SHARE_WRITE));
}

bool LockMark(int fd, Mark mark, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kMarkBase + mark;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether another open file description holds the mark.
bool OthersHold(int fd, Mark mark) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kMarkBase + mark;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

// Marks this open and checks the other side's marks afterwards: of two racing opens at
// least the later one sees the other, so two conflicting opens never both succeed.
bool MarkAcrossProcesses(int fd, const ShareRequest& r) {
  std::vector<Mark> marks;
  if (r.read) marks.push_back(kHasRead);
  if (r.write) marks.push_back(kHasWrite);
  if (!(r.shareMode & FILE_SHARE_READ)) marks.push_back(kDeniesRead);
  if (!(r.shareMode & FILE_SHARE_WRITE)) marks.push_back(kDeniesWrite);
  if (!(r.shareMode & FILE_SHARE_DELETE)) marks.push_back(kDeniesDelete);
  for (Mark mark : marks) {
    // A file system without such locks leaves only the in-process table.
    if (!LockMark(fd, mark, F_RDLCK)) return true;
  }
  bool conflict = (r.read && OthersHold(fd, kDeniesRead)) ||
                  (r.write && OthersHold(fd, kDeniesWrite)) ||
                  (!(r.shareMode & FILE_SHARE_READ) && OthersHold(fd, kHasRead)) ||
                  (!(r.shareMode & FILE_SHARE_WRITE) && OthersHold(fd, kHasWrite));
  if (conflict) {
    for (Mark mark : marks) LockMark(fd, mark, F_UNLCK);
  }
  return !conflict;
}

}  // namespace

ShareRegistration::~ShareRegistration() {
  CloseDescriptor();
}

void ShareRegistration::CloseDescriptor() {
  ShareTable& table = Table();
  std::lock_guard lock(table.mutex);
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  if (id_ != 0) {
    auto it = table.opens.find({device_, inode_});
    if (it != table.opens.end()) {
      it->second.remove_if([&](const OpenEntry& e) { return e.id == id_; });
      if (it->second.empty()) table.opens.erase(it);
    }
    id_ = 0;
  }
}

std::unique_ptr<ShareRegistration> AcquireShare(int fd, bool fdReadable,
                                                const ShareRequest& request) {
  struct stat st;
  if (fstat(fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ShareTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto key = std::make_pair(st.st_dev, st.st_ino);
  auto it = table.opens.find(key);
  if (it != table.opens.end()) {
    for (const OpenEntry& entry : it->second) {
      if (Conflicts(entry.request, request)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return nullptr;
      }
    }
  }
  if (HasDataAccess(request) && fdReadable && !MarkAcrossProcesses(fd, request)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return nullptr;
  }
  std::unique_ptr<ShareRegistration> registration(new ShareRegistration());
  registration->fd_ = fd;
  registration->device_ = st.st_dev;
  registration->inode_ = st.st_ino;
  registration->id_ = table.nextId++;
  table.opens[key].push_back(OpenEntry{registration->id_, request});
  return registration;
}

bool DeleteBlockedByOpens(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  struct stat st;
  bool haveStat = fd >= 0 ? fstat(fd, &st) == 0 : stat(path.c_str(), &st) == 0;
  bool blocked = false;
  if (haveStat) {
    ShareTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.opens.find({st.st_dev, st.st_ino});
    if (it != table.opens.end()) {
      for (const OpenEntry& entry : it->second) {
        if (HasDataAccess(entry.request) && !(entry.request.shareMode & FILE_SHARE_DELETE)) {
          blocked = true;
        }
      }
    }
  }
  if (fd >= 0) {
    if (!blocked) blocked = OthersHold(fd, kDeniesDelete);
    close(fd);
  }
  return blocked;
}

}  // namespace platform::kernel
