#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "qt/qt_host.h"

// The widgets need an application object for the whole run, as the program has one.
int main(int argc, char* argv[]) {
    // Test discovery runs this program without the environment the tests get.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setup::installFrenchTranslation(application);
    return RUN_ALL_TESTS();
}
