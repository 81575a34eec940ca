// main() of every test executable: a Qt application object, then GoogleTest.
#include <gtest/gtest.h>

#ifdef GLANIX_TEST_WEBENGINE
#    include "ui/ViewWeb.h"
#endif
#ifdef GLANIX_TEST_GUI
#    include <QApplication>
using App = QApplication;
#else
#    include <QCoreApplication>
using App = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef GLANIX_TEST_WEBENGINE
    glanix::prepareWebEngine();
#endif
    App app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
