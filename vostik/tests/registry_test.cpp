// DeleteRegistry and DeleteRegistrySub over the directory layer used where
// there is no platform registry (the Windows build is tested on the real
// registry in registry_wintest.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "codepage.h"
#include "registry_layer.h"
#include "vostik.h"

namespace fs = std::filesystem;

namespace {

class Registry : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vostik-registry-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        dir_ = pattern;
        root_ = open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(root_, 0);
    }
    void TearDown() override {
        close(root_);
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    void key(const std::string &path) { fs::create_directories(dir_ / path); }
    void value(const std::string &path) { std::ofstream(dir_ / path) << "data"; }
    bool exists(const std::string &path) const { return fs::exists(fs::symlink_status(dir_ / path)); }
    // One DeleteRegistrySub step on App: its result, a key it removed and,
    // if named, one it left.
    void expect_step(int result, const std::string &gone, const std::string &kept = "") {
        EXPECT_EQ(DeleteRegistrySub(root_, "App"), result);
        EXPECT_FALSE(exists(gone)) << gone;
        if (!kept.empty()) {
            EXPECT_TRUE(exists(kept)) << kept;
        }
    }

    fs::path dir_;
    int root_ = -1;
};

TEST_F(Registry, MissingKeyIsNotAnError) {
    key("Other");
    EXPECT_EQ(DeleteRegistry(root_, "Missing"), 0);
    EXPECT_EQ(DeleteRegistry(root_, "Other\\Missing"), 0);
    EXPECT_EQ(DeleteRegistrySub(root_, "Missing"), 0);
    EXPECT_TRUE(exists("Other"));
}

TEST_F(Registry, KeyWithoutSubkeysGoesInOneStepWithItsValues) {
    key("App");
    value("App/Width");
    value("App/Height");
    expect_step(1, "App");
}

TEST_F(Registry, ThreeLevelsDeep) {
    key("Soft/App/A/A1/A11");
    key("Soft/App/A/A2");
    key("Soft/App/B");
    value("Soft/App/v");
    value("Soft/App/A/A1/A11/deep");
    value("Soft/keep");
    EXPECT_EQ(DeleteRegistry(root_, "Soft\\App"), 1);
    EXPECT_FALSE(exists("Soft/App"));
    EXPECT_TRUE(exists("Soft/keep"));
}

// One key per call, lowest name first, and only the call that deletes the
// key itself reports 1.
TEST_F(Registry, TwoSiblingsWalkedCallByCall) {
    key("App/Beta");
    key("App/Alpha");
    expect_step(0, "App/Alpha", "App/Beta");
    expect_step(0, "App/Beta", "App");
    expect_step(1, "App");
}

// A step deletes the deepest key of the first chain, not a whole branch.
TEST_F(Registry, StepTakesTheDeepestKeyOfTheFirstChain) {
    key("App/A/B/C");
    value("App/A/B/value");
    expect_step(0, "App/A/B/C", "App/A/B/value");
    expect_step(0, "App/A/B", "App/A");
}

TEST_F(Registry, PathsThatWouldNameRootOrLeaveItAreRefused) {
    key("App/Sub");
    for (const char *path : {"", "\\", "/", "App\\", "\\App", "App\\\\Sub", ".", "..", "App\\..", "App/./Sub"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(DeleteRegistry(root_, path), 0);
        EXPECT_EQ(DeleteRegistrySub(root_, path), 0);
    }
    EXPECT_EQ(DeleteRegistry(root_, nullptr), 0);
    EXPECT_TRUE(exists("App/Sub"));
    EXPECT_EQ(DeleteRegistry(root_, "App/Sub"), 1);
    EXPECT_TRUE(exists("App"));
}

// Links are values: removing one never reaches what it points to.
TEST_F(Registry, SymbolicLinksAreNotFollowed) {
    key("Outside/Keep");
    value("Outside/file");
    key("App/Sub");
    fs::create_directory_symlink(dir_ / "Outside", dir_ / "App/link");
    fs::create_directory_symlink(dir_ / "Outside", dir_ / "App/Sub/link");
    EXPECT_EQ(DeleteRegistry(root_, "App\\link"), 0);
    EXPECT_EQ(DeleteRegistry(root_, "App"), 1);
    EXPECT_FALSE(exists("App"));
    EXPECT_TRUE(exists("Outside/Keep"));
    EXPECT_TRUE(exists("Outside/file"));
}

// After 10001 failed steps DeleteRegistry gives up and reports 0.
TEST_F(Registry, KeyThatCannotBeEmptiedGivesUp) {
    key("App/Locked/Inner");
    const fs::perms read_only = fs::perms::owner_read | fs::perms::owner_exec;
    int result = -1;
    if (geteuid() != 0) {
        fs::permissions(dir_ / "App/Locked", read_only);
        result = DeleteRegistry(root_, "App");
    } else {
        // Permissions do not bind the super-user: try it as nobody.
        const uid_t nobody = 65534;
        ASSERT_EQ(chown(dir_.c_str(), nobody, nobody), 0);
        for (const auto &e : fs::recursive_directory_iterator(dir_))
            ASSERT_EQ(chown(e.path().c_str(), nobody, nobody), 0);
        fs::permissions(dir_ / "App/Locked", read_only);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(99);
            _exit(DeleteRegistry(root_, "App"));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    }
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(exists("App/Locked/Inner"));
}

TEST_F(Registry, LayerCountsAndNamesSubkeys) {
    using namespace vostik::registry;
    key("App/Longer name");
    key("App/B");
    value("App/v1");
    value("App/v2");
    VostikKey app;
    ASSERT_TRUE(open_key(root_, "App", true, &app));
    KeyInfo info;
    ASSERT_TRUE(query_info(app, &info));
    EXPECT_EQ(info.subkeys, 2u);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.longest_subkey_name, 11u);
    char name[16];
    ASSERT_TRUE(enum_key(app, 0, name, sizeof name));
    EXPECT_STREQ(name, "B");
    ASSERT_TRUE(enum_key(app, 1, name, sizeof name));
    EXPECT_STREQ(name, "Longer name");
    EXPECT_FALSE(enum_key(app, 1, name, 11));  // no room for the terminator
    EXPECT_FALSE(enum_key(app, 2, name, sizeof name));
    EXPECT_FALSE(delete_key(root_, "App"));  // has subkeys: nothing removed
    EXPECT_TRUE(exists("App/v1"));
    close_key(app);
}

bool lead_932(unsigned char c) { return vostik::is_lead_byte_in(932, c); }
bool no_lead(unsigned char) { return false; }

// "表" in Shift-JIS ends in 0x5C, the byte of "\".
TEST_F(Registry, BackslashTrailBytesStayInTheName) {
    using vostik::registry::path_from_bytes;
    std::string out;
    ASSERT_TRUE(path_from_bytes("\x95\x5C\\Sub", lead_932, &out));
    EXPECT_EQ(out, "\x95\x5C/Sub");
    ASSERT_TRUE(path_from_bytes("A\\B/C", no_lead, &out));
    EXPECT_EQ(out, "A/B/C");
    EXPECT_FALSE(path_from_bytes("\x95\x5C\\Sub", no_lead, &out));  // "\x95", "", "Sub": an empty name
}

}  // namespace

#endif  // _WIN32
