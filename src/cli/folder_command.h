// encrypt-dir and decrypt-dir: a folder run with the mirror rule.
#pragma once

#include "cli/command.h"
#include "operations/folder_tree.h"

namespace kelvara::cli {

std::unique_ptr<Command> makeFolderCommand(Direction direction);

} // namespace kelvara::cli
