// Empty consent and About windows with their object names.
#include "app/placeholder_windows.h"

namespace kelvara {

DatenschutzForm::DatenschutzForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DatenschutzForm"));
}

AboutForm::AboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
}

} // namespace kelvara
