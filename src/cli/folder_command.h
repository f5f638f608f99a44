// The body shared by encrypt-dir and decrypt-dir: a folder run with the mirror rule.
#pragma once

#include "cli/command.h"
#include "operations/folder_tree.h"

namespace kelvara::cli {

int runFolderCommand(FolderDirection direction, const Invocation& invocation, Streams& streams);

// The --help text of encrypt-dir (encrypting) or decrypt-dir.
std::string_view folderCommandHelp(FolderDirection direction);

} // namespace kelvara::cli
