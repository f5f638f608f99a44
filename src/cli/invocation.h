// One command's parsed arguments, and the parser that accepts only the options the command knows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvara::cli {

enum Option : unsigned {
    optionOutput = 1u << 0,       // -o, --output FILE
    optionForce = 1u << 1,        // -f, --force
    optionInteractive = 1u << 2,  // -i, --interactive
    optionPasswordFile = 1u << 3, // --password-file FILE
    optionVerbose = 1u << 4,      // -v, --verbose
    optionQuiet = 1u << 5,        // -q, --quiet
    optionJobs = 1u << 6,         // -j, --jobs N
};

struct Invocation {
    std::vector<std::string> operands;
    std::optional<std::string> output;
    std::optional<std::string> passwordFile;
    bool force = false;
    bool interactive = false;
    bool verbose = false;
    bool quiet = false;
    unsigned jobs = 0; // 0: one per processor
    bool help = false;
};

// The usage brackets of the given Option bits ("[-o OUTPUT] [-f]") and their help lines, from the option table.
std::string optionUsage(unsigned options);
std::string optionHelp(unsigned options);

// Parses args (the words after the command's name). allowed is a set of Option bits; -h/--help is always
// allowed and "--" ends the options. On a usage error returns nothing and sets error.
std::optional<Invocation> parseInvocation(const std::vector<std::string>& args, unsigned allowed, std::string& error);

} // namespace kelvara::cli
