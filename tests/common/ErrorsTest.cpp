#include "common/Errors.h"
#include "common/ui/Dialogs.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ErrorBox, AddsAFullStopOnlyWhenMissing) {
    EXPECT_EQ(Dialogs::withFullStop(QStringLiteral("File not found")), QStringLiteral("File not found."));
    EXPECT_EQ(Dialogs::withFullStop(QStringLiteral(" Nincs soros kapcsolat.")),
              QStringLiteral(" Nincs soros kapcsolat."));
}
