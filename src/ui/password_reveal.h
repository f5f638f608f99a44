// The eye inside a password field's right edge: shows what was typed while it is on.
#pragma once

class QAction;
class QLineEdit;

namespace kelvara {

// Adds a checkable eye action to field, which must already sit in its window, and shows dots until the eye is
// switched on. While it is on the password stands in plain text; it goes back to dots when the field's window
// loses the focus, so that a password is not left readable on a screen the user has turned away from. The field
// keeps its size and place.
QAction* addPasswordReveal(QLineEdit& field);

} // namespace kelvara
