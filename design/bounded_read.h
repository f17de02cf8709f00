#pragma once

// Reading a whole file that the tool takes as a text of settings (a manifest, a contrasts file,
// a run record) only when it is a regular file of bounded size: a device never ends, a pipe may
// never be written, and a huge file would be held in memory whole.

#include <cstdint>
#include <string>

#include "design/file_system.h"

namespace duv {

// The limits of such files, in bytes.
inline constexpr std::uint64_t kManifestLimit = std::uint64_t{16} << 20;   // 16 MiB
inline constexpr std::uint64_t kContrastsLimit = std::uint64_t{16} << 20;  // 16 MiB
// A record holds a run's contrasts, whose names may take six bytes a byte once escaped.
inline constexpr std::uint64_t kRunRecordLimit = std::uint64_t{128} << 20;  // 128 MiB

// The contents of the file at `path`, read through `files` after its status. Throws
// std::runtime_error "<path>: not a regular file (a device, a pipe or a socket)" and
// "<path>: <n> bytes, above the limit of <limit as "16 MiB">"; what is missing, a folder or
// cannot be looked at is left to FileSystem::readFile, which throws as it says.
std::string readBoundedFile(FileSystem& files, const std::string& path, std::uint64_t limit);

}  // namespace duv
