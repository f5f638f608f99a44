// The program's QApplication: errors that escape an event handler go to the unexpected-error handler.
#pragma once

#include <QApplication>

namespace kelvara {

class Application : public QApplication {
    Q_OBJECT

public:
    // Also installs a terminate handler that saves the report of an error nothing caught before the program ends.
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The description of the exception being handled (for use inside a catch block).
QString describeCurrentException();

} // namespace kelvara
