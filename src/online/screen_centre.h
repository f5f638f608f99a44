// Puts a top-level window in the middle of the screen it is on (or of the primary screen).
#pragma once

class QWidget;

namespace kelvara {

void centreOnScreen(QWidget* window);

} // namespace kelvara
