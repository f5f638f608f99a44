// Parsing a command's options and operands.
#include "cli/invocation.h"

#include <string_view>

namespace kelvara::cli {
namespace {

struct OptionSpec {
    std::string_view shortName;
    std::string_view longName;
    Option option;
    bool takesValue;
};

constexpr OptionSpec optionSpecs[] = {
    {"-o", "--output", optionOutput, true},
    {"-f", "--force", optionForce, false},
    {"-i", "--interactive", optionInteractive, false},
    {"", "--password-file", optionPasswordFile, true},
    {"-v", "--verbose", optionVerbose, false},
};

void apply(Invocation& invocation, Option option, std::string value) {
    switch (option) {
    case optionOutput:
        invocation.output = std::move(value);
        break;
    case optionForce:
        invocation.force = true;
        break;
    case optionInteractive:
        invocation.interactive = true;
        break;
    case optionPasswordFile:
        invocation.passwordFile = std::move(value);
        break;
    case optionVerbose:
        invocation.verbose = true;
        break;
    }
}

} // namespace

std::optional<Invocation> parseInvocation(const std::vector<std::string>& args, unsigned allowed, std::string& error) {
    Invocation invocation;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            invocation.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            invocation.help = true;
            continue;
        }
        if (arg == "-p" || arg.starts_with("--password=") || arg == "--password") {
            error = "a password is never taken from the command line (others could read it); "
                    "use --password-file FILE, the KELVARA_PASSWORD variable or the prompt";
            return std::nullopt;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.starts_with("--") && equals != std::string::npos
                                          ? std::string_view(arg).substr(0, equals)
                                          : std::string_view(arg);
        const OptionSpec* match = nullptr;
        for (const auto& candidate : optionSpecs) {
            if (name == candidate.longName || (!candidate.shortName.empty() && name == candidate.shortName))
                match = &candidate;
        }
        if (match == nullptr || (allowed & match->option) == 0) {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
        std::string value;
        if (match->takesValue) {
            if (name.size() < arg.size()) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "option '" + arg + "' needs a value";
                return std::nullopt;
            }
        } else if (name.size() < arg.size()) {
            error = "option '" + std::string(name) + "' takes no value";
            return std::nullopt;
        }
        apply(invocation, match->option, std::move(value));
    }
    return invocation;
}

} // namespace kelvara::cli
