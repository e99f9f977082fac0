#include "support/testprocessenv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    PrepareTestProcessEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    EndTestProcessSound();
    return result;
}
