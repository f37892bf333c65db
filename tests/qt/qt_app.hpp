// The one application object of the Qt tests, headless unless told otherwise.
#pragma once
#include <QApplication>

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);  // never destroyed: it outlives every window
    }
    return *static_cast<QApplication*>(QApplication::instance());
}
