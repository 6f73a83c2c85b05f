// The editor's test program: the Qt application every widget test needs,
// on the offscreen platform unless one is chosen, then the GoogleTest cases.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("KorvelTests");
    QApplication::setApplicationName("KorvelTests");
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
