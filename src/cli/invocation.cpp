// Parsing a command's options and operands.
#include "cli/invocation.h"

#include <algorithm>
#include <string_view>

namespace kelvara::cli {
namespace {

struct OptionEntry {
    std::string_view shortName;
    std::string_view longName;
    Option option;
    std::string_view valueName; // empty: the option takes no value
    std::string_view help;
};

constexpr OptionEntry optionTable[] = {
    {"-o", "--output", optionOutput, "OUTPUT", "where to write the result; \"-\" writes it to standard output"},
    {"-f", "--force", optionForce, "", "replace existing output files (never anything but a regular file)"},
    {"-i", "--interactive", optionInteractive, "", "ask for confirmation on the terminal first"},
    {"-v", "--verbose", optionVerbose, "", "also report success"},
    {"-q", "--quiet", optionQuiet, "",
     "no progress line (drawn only on a terminal), no warning\n"
     "about a short password"},
    {"-j", "--jobs", optionJobs, "N", "files processed at once (default: one per processor)"},
    {"", "--password-file", optionPasswordFile, "FILE",
     "read the password from FILE (else KELVARA_PASSWORD, else a\n"
     "prompt); one trailing line end (LF, CR LF or a lone CR)\n"
     "and a leading UTF-8 byte-order mark are not part of the\n"
     "password; at most 64 KiB, never the standard input the\n"
     "command reads"},
};

// A count of jobs: a plain decimal number from 1 to 256.
bool parseJobs(const std::string& text, unsigned& jobs) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > 256)
        return false;
    jobs = static_cast<unsigned>(value);
    return true;
}

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
    case optionQuiet:
        invocation.quiet = true;
        break;
    case optionJobs:
        parseJobs(value, invocation.jobs);
        break;
    }
}

} // namespace

std::string optionUsage(unsigned options) {
    std::string usage;
    for (const auto& entry : optionTable) {
        if ((options & entry.option) == 0)
            continue;
        usage.append(" [").append(entry.shortName.empty() ? entry.longName : entry.shortName);
        if (!entry.valueName.empty())
            usage.append(" ").append(entry.valueName);
        usage.append("]");
    }
    return usage;
}

std::string optionHelp(unsigned options) {
    constexpr std::size_t column = 26;
    std::string help;
    for (const auto& entry : optionTable) {
        if ((options & entry.option) == 0)
            continue;
        std::string names = "  ";
        if (!entry.shortName.empty())
            names.append(entry.shortName).append(", ");
        names.append(entry.longName);
        if (!entry.valueName.empty())
            names.append(" ").append(entry.valueName);
        names.resize(std::max(column, names.size() + 2), ' ');
        for (const char c : entry.help) {
            names.push_back(c);
            if (c == '\n')
                names.append(column, ' ');
        }
        help += names + "\n";
    }
    return help;
}

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
        if (arg.starts_with("-p") || arg.starts_with("--password=") || arg == "--password") {
            error = "a password is never taken from the command line (others could read it); "
                    "use --password-file FILE, the KELVARA_PASSWORD variable or the prompt";
            return std::nullopt;
        }
        // The value of an option joins its name as "--name=VALUE" or, for a short one, "-jVALUE".
        const std::size_t equals = arg.find('=');
        std::string_view name = arg;
        std::size_t valueStart = std::string::npos;
        if (arg.starts_with("--") && equals != std::string::npos) {
            name = std::string_view(arg).substr(0, equals);
            valueStart = equals + 1;
        } else if (!arg.starts_with("--") && arg.size() > 2) {
            name = std::string_view(arg).substr(0, 2);
            valueStart = 2;
        }
        const OptionEntry* match = nullptr;
        for (const auto& candidate : optionTable) {
            if (name == candidate.longName || (!candidate.shortName.empty() && name == candidate.shortName))
                match = &candidate;
        }
        if (match == nullptr || (allowed & match->option) == 0 || (valueStart == 2 && match->valueName.empty())) {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
        std::string value;
        if (!match->valueName.empty()) {
            if (valueStart != std::string::npos) {
                value = arg.substr(valueStart);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "option '" + arg + "' needs a value";
                return std::nullopt;
            }
        } else if (valueStart != std::string::npos) {
            error = "option '" + std::string(name) + "' takes no value";
            return std::nullopt;
        }
        if (match->option == optionJobs && !parseJobs(value, invocation.jobs)) {
            error = "option '" + std::string(name) + "' needs a number from 1 to 256";
            return std::nullopt;
        }
        apply(invocation, match->option, std::move(value));
    }
    return invocation;
}

} // namespace kelvara::cli
