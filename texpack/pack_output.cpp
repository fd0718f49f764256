#include "pack_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "destination.h"
#include "program_texts.h"

namespace texpack {
namespace fs = std::filesystem;
namespace {

mode_t current_umask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// "<folder of path>/.<its name>.XXXXXX", ready for mkstemp/mkdtemp.
std::string temporary_template(const std::string& path) {
  const fs::path name(path);
  const fs::path folder = name.parent_path().empty() ? fs::path(".") : name.parent_path();
  return (folder / std::string(".").append(name.filename().string()).append(".XXXXXX")).string();
}

std::string system_error(const std::string& what, const std::string& path) {
  return path + ": " + what + ": " + std::strerror(errno);
}

std::string zip_message(zip_error_t* detail) {
  const std::string text = zip_error_strerror(detail);
  zip_error_fini(detail);
  return text;
}

}  // namespace

bool build_zip(const std::vector<PackFile>& files, std::vector<uint8_t>& bytes, std::string& error) {
  zip_error_t detail;
  zip_error_init(&detail);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &detail);
  zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &detail) : nullptr;
  if (archive == nullptr) {
    if (buffer) zip_source_free(buffer);
    error = "cannot start the archive: " + zip_message(&detail);
    return false;
  }
  zip_error_fini(&detail);
  zip_source_keep(buffer);  // it holds the bytes once the archive is closed
  for (const PackFile& file : files) {
    zip_source_t* source = zip_source_buffer(archive, file.bytes.data(), file.bytes.size(), 0);
    const zip_int64_t index = source ? zip_file_add(archive, file.path.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      error = "cannot add " + file.path + ": " + zip_strerror(archive);
      zip_discard(archive);
      zip_source_free(buffer);
      return false;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             file.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  }
  if (zip_close(archive) != 0) {
    error = std::string("cannot build the archive: ") + zip_strerror(archive);
    zip_discard(archive);
    zip_source_free(buffer);
    return false;
  }
  // libzip writes nothing for an archive without members: it is the end
  // record alone.
  std::vector<uint8_t> built = {'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  zip_stat_t info;
  zip_stat_init(&info);
  bool copied = zip_source_is_deleted(buffer) != 0;
  if (!copied && zip_source_stat(buffer, &info) == 0 && zip_source_open(buffer) == 0) {
    built.resize(info.size);
    copied = zip_source_read(buffer, built.data(), info.size) == static_cast<zip_int64_t>(info.size);
    zip_source_close(buffer);
  }
  if (!copied) error = std::string("cannot read the archive back: ") + zip_error_strerror(zip_source_error(buffer));
  zip_source_free(buffer);
  if (copied) bytes = std::move(built);
  return copied;
}

namespace {

// Writes every byte to `fd`; false with errno set on the first failure.
bool write_all(int fd, const std::vector<uint8_t>& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A device or a pipe: opened as it stands, never replaced.
OutputStatus write_straight(const std::string& destination, const std::vector<uint8_t>& bytes, std::string& error) {
  const int fd = open(destination.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    error = system_error("cannot open it for writing", destination);
    return OutputStatus::create_failed;
  }
  const bool written = write_all(fd, bytes);
  const int write_errno = errno;
  if (close(fd) != 0 || !written) {
    if (!written) errno = write_errno;
    error = system_error("cannot write the pack", destination);
    return OutputStatus::write_failed;
  }
  return OutputStatus::ok;
}

// A new or regular file: a temporary file beside it takes its place once
// every byte has reached the disk.
OutputStatus replace_file(const std::string& destination, const Destination& place, const std::vector<uint8_t>& bytes,
                          std::string& error) {
  std::string temporary = temporary_template(place.path);
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = system_error("cannot create a temporary file beside it", destination);
    return OutputStatus::create_failed;
  }
  // mkstemp made it private; the pack keeps the mode of the file it replaces.
  fchmod(fd, place.kind == DestinationKind::file ? place.mode : 0666 & ~current_umask());
  const bool written = write_all(fd, bytes) && fsync(fd) == 0;
  const int write_errno = errno;
  if (close(fd) != 0 || !written) {
    if (!written) errno = write_errno;
    error = system_error("cannot write the pack", destination);
    unlink(temporary.c_str());
    return OutputStatus::write_failed;
  }
  if (std::rename(temporary.c_str(), place.path.c_str()) != 0) {
    error = system_error("cannot move the finished pack into place", destination);
    unlink(temporary.c_str());
    return OutputStatus::rename_failed;
  }
  return OutputStatus::ok;
}

// Writes `files` under the existing folder `root`; false with `error` set.
bool fill_folder(const fs::path& root, const std::vector<PackFile>& files, const std::string& destination,
                 std::string& error) {
  for (const PackFile& file : files) {
    const fs::path path = root / file.path;
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    if (code) {
      error = destination + ": cannot make the folder of " + file.path + ": " + code.message();
      return false;
    }
    std::ofstream stream(path, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    stream.close();
    if (!stream) {
      error = system_error("cannot write " + file.path, destination);
      return false;
    }
  }
  return true;
}

// Fills the empty folder `folder`, which stays (with its mode, owner and
// the links to it): the pack is made in a temporary folder inside it, whose
// entries are then moved up.
OutputStatus fill_empty_folder(const std::string& destination, const std::string& folder,
                               const std::vector<PackFile>& files, std::string& error) {
  std::string temporary = (fs::path(folder) / (std::string(kmap::temporary_prefix) + "tex.XXXXXX")).string();
  if (mkdtemp(temporary.data()) == nullptr) {
    error = system_error("cannot create a temporary folder in it", destination);
    return OutputStatus::create_failed;
  }
  std::error_code code;
  if (!fill_folder(temporary, files, destination, error)) {
    fs::remove_all(temporary, code);
    return OutputStatus::write_failed;
  }
  std::vector<fs::path> made;
  for (const fs::directory_entry& entry : fs::directory_iterator(temporary, code)) made.push_back(entry.path());
  std::vector<fs::path> moved;
  for (const fs::path& path : made) {
    const fs::path place = fs::path(folder) / path.filename();
    if (std::rename(path.c_str(), place.c_str()) != 0) {
      error = system_error("cannot move " + path.filename().string() + " into place", destination);
      for (const fs::path& done : moved) fs::remove_all(done, code);
      fs::remove_all(temporary, code);
      return OutputStatus::rename_failed;
    }
    moved.push_back(place);
  }
  fs::remove(temporary, code);
  return OutputStatus::ok;
}

}  // namespace

OutputStatus write_file(const std::string& destination, const std::vector<uint8_t>& bytes, std::string& error) {
  Destination place;
  if (!examine_destination(destination, place, error)) return OutputStatus::create_failed;
  if (place.kind == DestinationKind::folder) {
    error = destination + ": is a folder; name a file";
    return OutputStatus::wrong_kind;
  }
  if (place.kind == DestinationKind::other) {
    error = destination + ": is neither a file, a device nor a pipe; name another";
    return OutputStatus::wrong_kind;
  }
  return place.kind == DestinationKind::stream ? write_straight(destination, bytes, error)
                                               : replace_file(destination, place, bytes, error);
}

OutputStatus write_zip_pack(const std::string& destination, const std::vector<PackFile>& files,
                            std::string& error) {
  Destination place;
  if (!examine_destination(destination, place, error)) return OutputStatus::create_failed;
  if (place.kind == DestinationKind::folder) {
    error = destination + ": is a folder; name a .pk3 file, or end the name with / to write a folder tree";
    return OutputStatus::wrong_kind;
  }
  std::vector<uint8_t> bytes;
  if (!build_zip(files, bytes, error)) {
    error = destination + ": " + error;
    return OutputStatus::write_failed;
  }
  return write_file(destination, bytes, error);
}

OutputStatus write_folder_pack(const std::string& destination, const std::vector<PackFile>& files,
                               std::string& error) {
  Destination place;
  if (!examine_destination(destination, place, error)) return OutputStatus::create_failed;
  std::error_code code;
  if (place.kind == DestinationKind::folder) {
    if (!fs::is_empty(place.path, code) || code) {
      error = destination + ": exists and is not an empty folder; remove it or name another";
      return OutputStatus::not_empty;
    }
    return fill_empty_folder(destination, place.path, files, error);
  }
  if (place.kind != DestinationKind::nothing) {
    error = destination + ": exists and is not a folder; remove it or name another";
    return OutputStatus::wrong_kind;
  }
  std::string temporary = temporary_template(place.path);
  if (mkdtemp(temporary.data()) == nullptr) {
    error = system_error("cannot create a temporary folder beside it", destination);
    return OutputStatus::create_failed;
  }
  chmod(temporary.c_str(), 0777 & ~current_umask());
  if (!fill_folder(temporary, files, destination, error)) {
    fs::remove_all(temporary, code);
    return OutputStatus::write_failed;
  }
  if (std::rename(temporary.c_str(), place.path.c_str()) != 0) {
    error = system_error("cannot move the finished folder into place", destination);
    fs::remove_all(temporary, code);
    return OutputStatus::rename_failed;
  }
  return OutputStatus::ok;
}

}  // namespace texpack
