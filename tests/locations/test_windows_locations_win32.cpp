#include <gtest/gtest.h>

#include "locations/locations.h"
#include "locations/platform.h"

namespace {

TEST(WindowsDefaultSaveFolder, IsTheFixedProfilePathWithTheUserName) {
    struct Case {
        AppText userName;
        AppText expected;
    };
    const Case cases[] = {
        {"player", "C:\\Users\\player\\AppData\\LocalLow\\ostrelworks\\lanternmoor\\Steam"},
        {"测试用户", "C:\\Users\\测试用户\\AppData\\LocalLow\\ostrelworks\\lanternmoor\\Steam"},
        // An unknown user leaves two separators in a row rather than guessing a profile.
        {"", "C:\\Users\\\\AppData\\LocalLow\\ostrelworks\\lanternmoor\\Steam"},
    };
    for (const Case& c : cases) {
        locations::Environment environment;
        environment.userName = c.userName;
        // Whatever a Linux-style environment says, Windows does not look at it.
        environment.home = "D:\\Profiles\\other";
        environment.xdgConfigHome = "D:\\config";
        EXPECT_EQ(locations::DefaultSaveFolder(environment), c.expected) << c.userName;
    }
}

TEST(WindowsRunFolder, IsTheProgramFolderEvenWhenItCannotBeWritten) {
    locations::Environment environment;
    environment.executableFolder = "Z:\\no such folder";
    environment.xdgDataHome = "C:\\data";
    EXPECT_EQ(locations::ChooseRunDirectory(environment), "Z:\\no such folder");
}

} // namespace
