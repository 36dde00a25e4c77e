#include "platform/qt/xdg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

namespace dv::xdg {
namespace {

namespace fs = std::filesystem;

class Xdg : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("dayvane-xdg-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    env_.home = root_.string();
    env_.config_home = (root_ / "config").string();
    env_.config_dirs = (root_ / "etc").string();
    env_.data_home = (root_ / "data").string();
    env_.data_dirs = (root_ / "share").string();
    env_.path = (root_ / "bin").string();
    Write(root_ / "bin/stub-editor", "#!/bin/sh\n");
    fs::permissions(root_ / "bin/stub-editor", fs::perms::owner_all);
    Write(root_ / "bin/mousepad", "#!/bin/sh\n");
    fs::permissions(root_ / "bin/mousepad", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root_); }
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  fs::path root_;
  Environment env_;
};

TEST_F(Xdg, DefaultApplicationFollowsTheLookupOrder) {
  Write(root_ / "share/applications/stub.desktop",
        "[Desktop Entry]\nName=Stub\nExec=stub-editor --new %F\n");
  Write(root_ / "share/applications/other.desktop", "[Desktop Entry]\nExec=other %f\n");
  Write(root_ / "share/applications/mimeapps.list",
        "[Default Applications]\ntext/plain=other.desktop\n");
  EXPECT_EQ(DefaultApplication(env_, "text/plain")->filename(), "other.desktop");
  // The user's own list comes first; a missing entry is passed over.
  Write(root_ / "config/mimeapps.list",
        "[Added Associations]\ntext/plain=x.desktop\n"
        "[Default Applications]\ntext/plain=gone.desktop;stub.desktop;\n");
  EXPECT_EQ(DefaultApplication(env_, "text/plain")->filename(), "stub.desktop");
  const auto command = TextEditorCommand(env_, "12-6-1999.txt");
  ASSERT_TRUE(command);
  EXPECT_EQ(*command, (std::vector<std::string>{(root_ / "bin/stub-editor").string(), "--new",
                                                "12-6-1999.txt"}));
}

TEST_F(Xdg, FallsBackToAnInstalledEditor) {
  const auto command = TextEditorCommand(env_, "1-5-2000.txt");
  ASSERT_TRUE(command);
  EXPECT_EQ(*command,
            (std::vector<std::string>{(root_ / "bin/mousepad").string(), "1-5-2000.txt"}));
  env_.path = "/nonexistent";
  EXPECT_FALSE(TextEditorCommand(env_, "1-5-2000.txt"));
}

TEST(ExecLine, QuotingAndFieldCodes) {
  EXPECT_EQ(SplitExec(R"(a "b c" "d\"e" f\ g)"),
            (std::vector<std::string>{"a", "b c", "d\"e", "f\\", "g"}));
  const auto dir = fs::temp_directory_path() / ("dayvane-exec-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const auto entry = dir / "e.desktop";
  std::ofstream(entry) << "[Desktop Entry]\nName=Ed\nExec=ed %i --title=%c --file=%f 100%%\n";
  EXPECT_EQ(*EntryCommand(entry, "n.txt"),
            (std::vector<std::string>{"ed", "--title=Ed", "--file=n.txt", "100%"}));
  std::ofstream(entry) << "[Desktop Entry]\nExec=ed\n";
  EXPECT_EQ(*EntryCommand(entry, "n.txt"), (std::vector<std::string>{"ed", "n.txt"}));
  std::ofstream(entry) << "[Desktop Entry]\nExec=vi %f\nTerminal=true\n";
  EXPECT_FALSE(EntryCommand(entry, "n.txt"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dv::xdg
