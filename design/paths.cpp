#include "design/paths.h"

#include <filesystem>

namespace duv {

namespace fs = std::filesystem;

bool isPathSeparator(char c, PathStyle style) {
  if (c == '/') return true;
  if (c != '\\') return false;
  return style == PathStyle::host || fs::path::preferred_separator == '\\';
}

std::string fileNameOf(std::string_view path, PathStyle style) {
  std::size_t start = path.size();
  while (start > 0 && !isPathSeparator(path[start - 1], style)) --start;
  return std::string(path.substr(start));
}

std::string folderPart(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && !isPathSeparator(path[end - 1], PathStyle::native)) --end;
  return std::string(path.substr(0, end));
}

bool hasExtension(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size() + 1) return false;
  const auto dot = path.size() - extension.size() - 1;
  return path[dot] == '.' && path.substr(dot + 1) == extension;
}

std::string pathWithoutExtension(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, dot));
}

std::string replaceExtension(std::string_view path, std::string_view newExtension) {
  return pathWithoutExtension(path) + std::string(newExtension);
}

std::string insertBeforeExtension(std::string_view path, std::string_view text) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::string(path) + std::string(text);
  std::string result(path.substr(0, dot));
  result += text;
  result += path.substr(dot);
  return result;
}

bool isRootedPath(std::string_view path) {
  const fs::path p{std::string(path)};
  return p.is_absolute() || p.has_root_name() || p.has_root_directory();
}

std::string joinPath(std::string_view folder, std::string_view path) {
  if (folder.empty() || isRootedPath(path)) return std::string(path);
  if (path.empty()) return std::string(folder);
  std::string joined(folder);
  if (!isPathSeparator(joined.back(), PathStyle::native)) joined += '/';
  joined += path;
  return joined;
}

std::string normalPath(std::string_view path) {
  return fs::path(std::string(path)).lexically_normal().generic_string();
}

std::string relativePath(std::string_view path, std::string_view base) {
  return fs::path(std::string(path))
      .lexically_normal()
      .lexically_relative(fs::path(std::string(base)).lexically_normal())
      .generic_string();
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
