#include "pack_output.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace texpack {
namespace fs = std::filesystem;
namespace {

mode_t current_umask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// "<folder of destination>/.<its name>.XXXXXX", ready for mkstemp/mkdtemp.
std::string temporary_template(const std::string& destination) {
  const fs::path path(destination);
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  return (folder / ("." + path.filename().string() + ".XXXXXX")).string();
}

std::string system_error(const std::string& what, const std::string& path) {
  return path + ": " + what + ": " + std::strerror(errno);
}

}  // namespace

OutputStatus write_zip_pack(const std::string& destination, const std::vector<PackFile>& files,
                            std::string& error) {
  std::string temporary = temporary_template(destination);
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = system_error("cannot create a temporary file beside it", destination);
    return OutputStatus::CREATE_FAILED;
  }
  close(fd);

  int zip_error = 0;
  zip_t* archive = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zip_error);
  if (archive == nullptr) {
    zip_error_t detail;
    zip_error_init_with_code(&detail, zip_error);
    error = destination + ": cannot start the archive: " + zip_error_strerror(&detail);
    zip_error_fini(&detail);
    unlink(temporary.c_str());
    return OutputStatus::CREATE_FAILED;
  }
  for (const PackFile& file : files) {
    zip_source_t* source = zip_source_buffer(archive, file.bytes.data(), file.bytes.size(), 0);
    const zip_int64_t index = source ? zip_file_add(archive, file.path.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      error = destination + ": cannot add " + file.path + ": " + zip_strerror(archive);
      zip_discard(archive);
      unlink(temporary.c_str());
      return OutputStatus::WRITE_FAILED;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             file.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  }
  if (zip_close(archive) != 0) {
    error = destination + ": cannot write the archive: " + zip_strerror(archive);
    zip_discard(archive);
    unlink(temporary.c_str());
    return OutputStatus::WRITE_FAILED;
  }
  // mkstemp made it private; a pack is an ordinary file.
  chmod(temporary.c_str(), 0666 & ~current_umask());
  if (std::rename(temporary.c_str(), destination.c_str()) != 0) {
    error = system_error("cannot move the finished pack into place", destination);
    unlink(temporary.c_str());
    return OutputStatus::RENAME_FAILED;
  }
  return OutputStatus::OK;
}

OutputStatus write_folder_pack(const std::string& destination, const std::vector<PackFile>& files,
                               std::string& error) {
  std::error_code code;
  if (fs::exists(destination, code) && (!fs::is_directory(destination, code) || !fs::is_empty(destination, code))) {
    error = destination + ": exists and is not an empty folder; remove it or name another";
    return OutputStatus::NOT_EMPTY;
  }
  std::string temporary = temporary_template(destination);
  if (mkdtemp(temporary.data()) == nullptr) {
    error = system_error("cannot create a temporary folder beside it", destination);
    return OutputStatus::CREATE_FAILED;
  }
  chmod(temporary.c_str(), 0777 & ~current_umask());
  for (const PackFile& file : files) {
    const fs::path path = fs::path(temporary) / file.path;
    fs::create_directories(path.parent_path(), code);
    std::ofstream stream(path, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    stream.close();
    if (code || !stream) {
      error = destination + ": cannot write " + file.path;
      fs::remove_all(temporary, code);
      return OutputStatus::WRITE_FAILED;
    }
  }
  if (std::rename(temporary.c_str(), destination.c_str()) != 0) {
    error = system_error("cannot move the finished folder into place", destination);
    fs::remove_all(temporary, code);
    return OutputStatus::RENAME_FAILED;
  }
  return OutputStatus::OK;
}

}  // namespace texpack
