#include "study/study_paths.h"

#include <filesystem>

namespace duv {

namespace fs = std::filesystem;

bool isPathSeparator(char c) {
  return c == '/' || (fs::path::preferred_separator == '\\' && c == '\\');
}

bool isRootedPath(std::string_view path) {
  const fs::path p{std::string(path)};
  return p.is_absolute() || p.has_root_name() || p.has_root_directory();
}

std::string pathUnder(std::string_view root, std::string_view path) {
  if (isRootedPath(path) || root.empty() || root == ".") return std::string(path);
  if (path.empty()) return std::string(root);
  std::string joined(root);
  if (!isPathSeparator(joined.back())) joined += '/';
  joined += path;
  return joined;
}

std::string lastPathComponent(std::string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !isPathSeparator(path[start - 1])) --start;
  return std::string(path.substr(start));
}

std::string folderPart(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && !isPathSeparator(path[end - 1])) --end;
  return std::string(path.substr(0, end));
}

bool normalOutputFolder(std::string_view folder, std::string& normal) {
  if (isRootedPath(folder)) return false;
  const fs::path path = fs::path(std::string(folder)).lexically_normal();
  // Lexically normal, a path leads out of its folder exactly when it begins with "..".
  if (!path.empty() && *path.begin() == "..") return false;
  normal = path.generic_string();
  while (!normal.empty() && normal.back() == '/') normal.pop_back();
  if (normal == ".") normal.clear();
  return true;
}

}  // namespace duv
