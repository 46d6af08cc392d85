// One QApplication for every test of the Qt views, made before the first test runs, with the
// program's application-wide rules. It lives until the process ends, as Qt expects of its
// application object.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/BookletPrinter.h"
#include "ui/DialogKeyRules.h"

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance()) return;
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        vellora::prepareWebEngineProcess();
        app_ = new QApplication(argc, argv);
        // As the program does.
        vellora::installDialogKeyRules(*app_);
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
