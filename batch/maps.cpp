#include "maps.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace batch {
namespace {

void add_job(const fs::path& source, const fs::path& relative, std::string shown, const fs::path& out_dir,
             std::string_view extension, std::vector<MapJob>& jobs) {
  MapJob job;
  job.source = source;
  job.shown = std::move(shown);
  const fs::path folder = out_dir.empty() ? source.parent_path() : (out_dir / relative).parent_path();
  job.output = folder / relative.stem();
  job.output += extension;
  job.log = job.output;
  job.log.replace_extension(".log");
  jobs.push_back(std::move(job));
}

// A file may be reached through two inputs: compare what they point at.
fs::path identity(const fs::path& p) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(p, ec);
  return ec ? p : canonical;
}

bool check_collisions(const std::vector<MapJob>& jobs, std::string& error) {
  std::set<fs::path> sources;
  for (const MapJob& job : jobs) sources.insert(identity(job.source));
  std::map<fs::path, const MapJob*> written;
  for (const MapJob& job : jobs) {
    for (const fs::path& target : {job.output, job.log}) {
      const fs::path key = identity(target);
      if (sources.count(key) != 0) {
        error = "'" + job.shown + "' would write over the map " + target.string();
        return false;
      }
      const auto [at, fresh] = written.emplace(key, &job);
      if (!fresh) {
        error = "'" + at->second->shown + "' and '" + job.shown + "' would both write " + target.string();
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool has_map_extension(const fs::path& name) {
  const std::string ext = name.extension().string();
  return ext.size() == 4 && ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'm' &&
         std::tolower(static_cast<unsigned char>(ext[2])) == 'a' &&
         std::tolower(static_cast<unsigned char>(ext[3])) == 'p';
}

FindStatus find_maps(const std::vector<std::string>& inputs, const fs::path& cwd, const fs::path& out_dir,
                     std::string_view extension, std::vector<MapJob>& jobs, std::string& error) {
  std::vector<MapJob> found;
  std::set<fs::path> taken;
  for (const std::string& input : inputs) {
    const fs::path root = (cwd / input).lexically_normal();
    std::error_code ec;
    if (fs::is_directory(root, ec)) {
      std::vector<fs::path> relatives;
      for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
           !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (has_map_extension(it->path()) && it->is_regular_file(ec)) relatives.push_back(it->path().lexically_relative(root));
      std::sort(relatives.begin(), relatives.end());
      for (const fs::path& relative : relatives)
        if (taken.insert(identity(root / relative)).second)
          add_job(root / relative, relative, (fs::path(input) / relative).lexically_normal().generic_string(),
                  out_dir, extension, found);
    } else if (fs::is_regular_file(root, ec)) {
      if (taken.insert(identity(root)).second) add_job(root, root.filename(), input, out_dir, extension, found);
    } else {
      error = "'" + input + "' is neither a folder nor a file";
      return FindStatus::missing_input;
    }
  }
  if (!check_collisions(found, error)) return FindStatus::collision;
  jobs = std::move(found);
  return FindStatus::found;
}

}  // namespace batch
