// The run's own folder under the system's temporary folder: the converted
// maps, the compiler's files and logs. Removed with everything in it when
// the object goes, unless kept.
#ifndef KORVEX_PLAY_WORK_FOLDER_H
#define KORVEX_PLAY_WORK_FOLDER_H

#include <string>

namespace play {

class WorkFolder {
 public:
  WorkFolder() = default;
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Makes a new folder korvex-play.XXXXXX in $TMPDIR (or /tmp) with the
  // subfolders maps/, levelshots/ and logs/. True, or false with `error`
  // set and nothing made.
  [[nodiscard]] bool make(std::string& error);
  // Leaves the folder in place when the object goes.
  void keep() { kept_ = true; }

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string file(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
  bool kept_ = false;
};

}  // namespace play

#endif
