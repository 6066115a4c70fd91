#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

// Fonts need a GUI application; one for the whole test program, without a display. It
// must be gone before the program's static objects are, so the test environment ends it.
class GuiApplicationEnvironment : public ::testing::Environment {
  public:
    static void Need() {
        if (QGuiApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_banner";
        static char* argv[] = {name, nullptr};
        app() = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app().reset(); }

  private:
    static std::unique_ptr<QGuiApplication>& app() {
        static std::unique_ptr<QGuiApplication> instance;
        return instance;
    }
};

inline void NeedGuiApplication() {
    GuiApplicationEnvironment::Need();
}
