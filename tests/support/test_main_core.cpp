#include "support/testprocessenv.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    PrepareTestProcessEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    EndTestProcessSound();
    return result;
}
