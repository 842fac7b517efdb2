// One QApplication for the widget tests of a test program (linked into every
// test program of a folder with widgets).
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "widget_tests";
        static char *argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QApplication *app_ = nullptr;
};

[[maybe_unused]] auto *const environment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
