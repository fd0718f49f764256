#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "byte_view.h"

namespace texpack {

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(const_cast<uint8_t*>(data_), size_);
}

SourceStatus MappedFile::open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(SourceStatus::open_failed, error, path, std::strerror(errno));
  struct stat st {};
  SourceStatus status = SourceStatus::ok;
  if (fstat(fd, &st) != 0) {
    status = fail(SourceStatus::open_failed, error, path, std::strerror(errno));
  } else if (!S_ISREG(st.st_mode)) {
    status = fail(SourceStatus::open_failed, error, path, "not a regular file");
  } else if (uint64_t(st.st_size) > kMaxSourceFileBytes) {
    status = fail(SourceStatus::bad_size, error, path,
                  "too large (" + std::to_string(st.st_size) + " bytes, at most 1 GiB)");
  } else if (st.st_size > 0) {
    void* mapped = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
      status = fail(SourceStatus::open_failed, error, path, std::strerror(errno));
    } else {
      data_ = static_cast<const uint8_t*>(mapped);
      size_ = size_t(st.st_size);
    }
  }
  close(fd);
  return status;
}

}  // namespace texpack
