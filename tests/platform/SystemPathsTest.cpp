#include "platform/SystemPaths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

using platform::SystemPaths;

class SystemPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Save("HOME", m_strHome, m_bHadHome);
        Save("XDG_DATA_HOME", m_strData, m_bHadData);
    }
    void TearDown() override {
        Restore("HOME", m_strHome, m_bHadHome);
        Restore("XDG_DATA_HOME", m_strData, m_bHadData);
    }

    static void Save(const char* name, std::string& value, bool& had) {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = v ? v : "";
    }
    static void Restore(const char* name, const std::string& value, bool had) {
        if (had)
            setenv(name, value.c_str(), 1);
        else
            unsetenv(name);
    }

    std::string m_strHome, m_strData;
    bool m_bHadHome = false, m_bHadData = false;
};

TEST_F(SystemPathsTest, DataHomeFollowsXdgRules) {
    setenv("HOME", "/home/tester", 1);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(SystemPaths::DataHome(), "/home/tester/.local/share");
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(SystemPaths::DataHome(), "/home/tester/.local/share");
    setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(SystemPaths::DataHome(), "/home/tester/.local/share");
    setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(SystemPaths::DataHome(), "/srv/data");
}

TEST_F(SystemPathsTest, HomeFallsBackToThePasswordDatabase) {
    unsetenv("HOME");
    EXPECT_FALSE(SystemPaths::HomeDir().empty());
}

TEST_F(SystemPathsTest, ExecutableDirHoldsThisProgram) {
    const std::string dir = SystemPaths::ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(std::filesystem::exists(dir + "/test_platform"));
}

}  // namespace
