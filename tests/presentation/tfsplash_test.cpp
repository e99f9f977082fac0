#include "presentation/tfsplash.h"

#include <gtest/gtest.h>

TEST(Splash, ShowsAtOnceAndCarriesTheStartUpProgress)
{
    TfSplash splash;
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.message(), QStringLiteral("Initializing Tonaria..."));
    splash.SetStatus(QStringLiteral("Reading album names..."));
    EXPECT_EQ(splash.message(), QStringLiteral("Reading album names..."));
}
