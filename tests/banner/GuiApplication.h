#pragma once

#include <QGuiApplication>
#include <memory>

// Fonts need a GUI application; one for the whole test program, without a display.
inline void NeedGuiApplication() {
    static std::unique_ptr<QGuiApplication> app;
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_banner";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
}
