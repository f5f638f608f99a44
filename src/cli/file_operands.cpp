// Standard streams as "-", default output names, and the refusals of outputs that must not be written.
#include "cli/file_operands.h"

#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"

namespace kelvara::cli {

std::optional<int> FileOperands::prepare(const Invocation& invocation, Streams& streams,
                                         const DefaultOutput& defaultOutput) {
    const std::string& inputText = invocation.operands[0];
    const bool standardInput = inputText == "-";
    m_input = standardInput ? FileSource::standardInput() : FileSource(pathFromUtf8(inputText));

    if (invocation.output && *invocation.output == "-") {
        m_output = FileDestination::standardOutput();
        return refuseTerminalOutput(streams);
    }
    std::filesystem::path output;
    if (invocation.output) {
        output = pathFromUtf8(*invocation.output);
    } else if (standardInput) {
        return fail(streams, exitUsage, "standard input has no name to derive an output name from",
                    "give one with -o OUTPUT, or \"-o -\" for standard output");
    } else if (auto proposed = defaultOutput(m_input->path)) {
        output = *proposed;
    } else {
        return fail(streams, exitUsage, "cannot derive an output name from " + shownPath(m_input->path),
                    "its name holds no \".kvra\" to remove; give one with -o OUTPUT");
    }
    m_output = FileDestination(output);
    return refuseOutput(output, existingOf(invocation), streams);
}

} // namespace kelvara::cli
