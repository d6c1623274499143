// One QCoreApplication for the tests that need an event loop or serial
// ports; made on first use and kept until the test program ends.
#pragma once

#include <QCoreApplication>

namespace qmtest {

inline QCoreApplication* ensureCoreApp()
{
    if (auto* app = QCoreApplication::instance())
        return app;
    static int argc = 1;
    static char name[] = "qm570_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return app;
}

} // namespace qmtest
