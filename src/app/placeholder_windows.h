// Stand-ins for the privacy consent window and the About window, created at start until the real ones exist.
#pragma once

#include <QDialog>

namespace kelvara {

// The privacy consent window (empty for now).
class DatenschutzForm : public QDialog {
    Q_OBJECT
public:
    explicit DatenschutzForm(QWidget* parent = nullptr);
};

// The About window (empty for now).
class AboutForm : public QDialog {
    Q_OBJECT
public:
    explicit AboutForm(QWidget* parent = nullptr);
};

} // namespace kelvara
