#pragma once

#include <iosfwd>

#include "tests/host_emulator/library_loader.h"

namespace duv::emulator {

// Runs a session script against the loaded plug-in library `plugin`, recording
// every call into the plug-in and what it returned among the host calls (hostState().record).
//
// The script has one command per line; blank lines and lines starting with '#' are skipped.
// VALUE and PATH are the rest of the line, with the escapes of `unescaped`.
//   version MAJOR MINOR SUB    the version the host reports
//   string NAME VALUE          a text dialog parameter
//   int NAME NUMBER            an integer dialog parameter
//   open PATH | open-cancel    queues an answer for the open dialog
//   save PATH | save-cancel    queues an answer for the save dialog
//   info                       calls the six information functions
//   create                     createPlugin()
//   init                       initPlugin() on the created plug-in
//   execute                    execute() on the created plug-in
//   destroy                    deletes the created plug-in through its interface
// Dialog answers left over at the end are recorded. Throws std::runtime_error naming the line
// for a command it does not understand or cannot carry out.
void runSession(const LoadedLibrary& plugin, std::istream& script);

}  // namespace duv::emulator
