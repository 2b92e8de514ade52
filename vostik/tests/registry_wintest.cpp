// DeleteRegistry and DeleteRegistrySub on the real registry, in trees made
// under a test key of the current user.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "vostik.h"

namespace {

const std::string kBase = "Software\\VostikTest";

class Registry : public testing::Test {
protected:
    void SetUp() override {
        name_ = testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, path("").c_str());
        create("");
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, path("").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kBase.c_str());  // goes once the last test's key has gone
    }

    // The test's own key, or a key below it.
    std::string path(const std::string &sub) const {
        return kBase + "\\" + name_ + (sub.empty() ? "" : "\\" + sub);
    }
    void create(const std::string &sub, const char *class_name = nullptr) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path(sub).c_str(), 0, const_cast<char *>(class_name), 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void value(const std::string &sub, const char *name) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path(sub).c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        DWORD data = 42;
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
        RegCloseKey(key);
    }
    bool exists(const std::string &sub) const {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    int delete_tree(const std::string &sub) const { return DeleteRegistry(HKEY_CURRENT_USER, path(sub).c_str()); }
    int delete_step(const std::string &sub) const { return DeleteRegistrySub(HKEY_CURRENT_USER, path(sub).c_str()); }
    // Calls f with the test's own key, opened, as the root.
    template <class F> void with_own_key(F f) const {
        HKEY mine;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path("").c_str(), 0, KEY_ALL_ACCESS, &mine), ERROR_SUCCESS);
        f(mine);
        RegCloseKey(mine);
    }
    DWORD subkeys(const std::string &sub) const {
        HKEY key;
        DWORD n = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return n;
    }

    std::string name_;
};

TEST_F(Registry, MissingKeyReturnsZeroAndChangesNothing) {
    create("Other");
    EXPECT_EQ(delete_tree("Missing"), 0);
    EXPECT_EQ(delete_step("Missing"), 0);
    EXPECT_TRUE(exists("Other"));
}

TEST_F(Registry, KeyWithoutSubkeysGoesInOneCall) {
    create("App");
    value("App", "Width");
    EXPECT_EQ(delete_step("App"), 1);
    EXPECT_FALSE(exists("App"));
}

TEST_F(Registry, ThreeLevelsDeep) {
    create("App\\A\\A1\\A11");
    create("App\\A\\A2");
    create("App\\B");
    create("Keep");
    value("App", "v");
    value("App\\A\\A1\\A11", "deep");
    EXPECT_EQ(delete_tree("App"), 1);
    EXPECT_FALSE(exists("App"));
    EXPECT_TRUE(exists("Keep"));
}

TEST_F(Registry, TwoSiblingsWalkedCallByCall) {
    create("App\\Beta");
    create("App\\Alpha");
    EXPECT_EQ(delete_step("App"), 0);
    EXPECT_EQ(subkeys("App"), 1u);
    EXPECT_FALSE(exists("App\\Alpha"));
    EXPECT_EQ(delete_step("App"), 0);
    EXPECT_EQ(subkeys("App"), 0u);
    EXPECT_TRUE(exists("App"));
    EXPECT_EQ(delete_step("App"), 1);
    EXPECT_FALSE(exists("App"));
}

// A class name on a key must not stop the walk below it.
TEST_F(Registry, KeysWithClassNames) {
    create("App", "VostikClass");
    create("App\\Sub", "SubClass");
    create("App\\Sub\\Leaf");
    EXPECT_EQ(delete_tree("App"), 1);
    EXPECT_FALSE(exists("App"));
}

TEST_F(Registry, RootMayBeAnyOpenKey) {
    create("App\\One\\Two");
    with_own_key([](HKEY mine) { EXPECT_EQ(DeleteRegistry(mine, "App"), 1); });
    EXPECT_FALSE(exists("App"));
}

// An empty path names root itself; walking it would delete root's first
// subkeys one by one.
TEST_F(Registry, EmptyPathIsRefused) {
    create("App\\Sub");
    with_own_key([](HKEY mine) {
        EXPECT_EQ(DeleteRegistry(mine, ""), 0);
        EXPECT_EQ(DeleteRegistrySub(mine, ""), 0);
        EXPECT_EQ(DeleteRegistry(mine, nullptr), 0);
    });
    EXPECT_TRUE(exists("App\\Sub"));
}

// Subkey names are walked in UTF-16, so a name the ANSI code page cannot
// spell is still reached.
TEST_F(Registry, SubkeyNamesOutsideTheCodePage) {
    create("App");
    std::string app = path("App");
    std::wstring wide = std::wstring(app.begin(), app.end()) + L"\\\u8868\u30bd\u0101";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(delete_tree("App"), 1);
    EXPECT_FALSE(exists("App"));
}

TEST_F(Registry, ManySubkeys) {
    for (int i = 0; i < 60; ++i) create("App\\K" + std::to_string(i) + "\\Inner");
    EXPECT_EQ(delete_tree("App"), 1);
    EXPECT_FALSE(exists("App"));
}

}  // namespace
