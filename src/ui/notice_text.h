// The window's German wording of what the operations report.
#pragma once

#include "operations/notice.h"

#include <QString>

namespace kelvara {

QString noticeText(const Notice& notice);

} // namespace kelvara
