#pragma once

// The temporary files of unfinished saves. A replacing save (file_system.h) writes a temporary
// file beside its target, named "<target>.tmp-<16 hex digits>", and renames it over the target
// when complete, so the target is never half-written. A program that its user interrupts calls
// removeTemporaryFilesForExit so that no such file is left behind either; a program killed
// outright (SIGKILL) cannot, and leaves them.

#include <functional>
#include <string>

namespace duv {

// Removes every temporary file in flight and stops further ones: from then on a thread that
// would create or rename a temporary file waits forever, so the caller must end the process
// right after. waitUntilClosed: first wait until no temporary file is open for writing, for
// systems that cannot remove an open file. Call it from a thread that writes no file; it locks
// a mutex, so not from a signal handler.
void removeTemporaryFilesForExit(bool waitUntilClosed);

// removeTemporaryFilesForExit in its two steps: from the first on, no temporary file is created
// or retired (those threads wait forever); the second waits as asked and removes the files.
void beginTemporaryFileCleanup();
void finishTemporaryFileCleanup(bool waitUntilClosed);

// The steps of a replacing save, each run so that the cleanup above sees the temporary file at
// `path` before or after it, never during it:
//   creating: `create` opens it and answers whether it exists now; waits forever once the
//     cleanup has begun;
//   closing: `close` closes it; runs also during the cleanup, which may be waiting for it;
//   retiring: `retire` renames it over the target or removes it and answers whether it is gone
//     (then it is forgotten); waits forever once the cleanup has begun (the cleanup removes it).
void createTemporaryFile(const std::string& path, const std::function<bool()>& create);
void closeTemporaryFile(const std::string& path, const std::function<void()>& close);
void retireTemporaryFile(const std::string& path, const std::function<bool()>& retire);

// A way for tests to interrupt a save at a known point: once set, every replacing save calls
// `hold` with its temporary file's path when the file is complete and closed, just before it
// is renamed over its target. The tool sets it only when asked by its environment (cli/main.cpp);
// a `hold` that never returns keeps the save there until the program is interrupted.
void holdSavesBeforeReplacing(std::function<void(const std::string& temporaryPath)> hold);
void holdSaveBeforeReplacing(const std::string& temporaryPath);

}  // namespace duv
