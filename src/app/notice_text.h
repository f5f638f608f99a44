// The window's German wording of what the operations report: notices, the folder question, phases.
#pragma once

#include "operations/notice.h"
#include "operations/user_interface.h"

#include <QString>

namespace kelvara {

QString noticeText(const Notice& notice);

// The progress window's line for a folder run's phase.
QString phaseText(ProgressPhase phase);

// The question before a folder run.
QString folderQuestionText(bool decrypting, const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace kelvara
