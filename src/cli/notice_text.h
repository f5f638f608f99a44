// The tool's wording of what the operations report: one English line naming the path and the reason.
#pragma once

#include "operations/notice.h"

#include <string>

namespace kelvara::cli {

std::string noticeText(const Notice& notice);

} // namespace kelvara::cli
