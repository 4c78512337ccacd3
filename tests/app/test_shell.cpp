#include <gtest/gtest.h>

#include "app/shell.h"
#include "app/state.h"

namespace {

TEST(Shell, ShutDownReleasesEveryFieldOnce) {
    app::StartUp();
    app::SharedState& state = app::State();
    state.RunDirectory = "run";
    state.SaveDirectory = "save dir";
    state.BackupRoot = "root";
    state.RememberedSelection = "x";
    state.BackupPaths = {"a", "b"};
    app::ShutDown();
    EXPECT_TRUE(state.RunDirectory.empty());
    EXPECT_TRUE(state.SaveDirectory.empty());
    EXPECT_TRUE(state.BackupRoot.empty());
    EXPECT_TRUE(state.RememberedSelection.empty());
    EXPECT_TRUE(state.BackupPaths.empty());
    EXPECT_EQ(state.BackupPaths.capacity(), 0u);
    state.RunDirectory = "again";
    app::ShutDown(); // a second call, like the one at exit, leaves things alone
    EXPECT_EQ(state.RunDirectory, "again");
}

} // namespace
