// The program folder of a copy run from anywhere and of a system-wide
// install, and the name that finds the running instance.
#include "diary/program_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <utility>

namespace dv {
namespace {

ProgramFolderFacts Facts(std::string dir) {
  ProgramFolderFacts facts;
  facts.program_dir = std::move(dir);
  facts.system_bin_dirs = {"/usr/bin", "/opt/dayvane/bin"};
  facts.home = "/home/ann";
  return facts;
}

TEST(ProgramFolder, ACopyAnywhereElseKeepsItsNotesBesideItself) {
  EXPECT_EQ(ProgramFolder(Facts("/home/ann/Dayvane")), "/home/ann/Dayvane");
  EXPECT_EQ(ProgramFolder(Facts("/media/stick/Dayvane/")), "/media/stick/Dayvane");
  // Close to the system folder is not the system folder.
  EXPECT_EQ(ProgramFolder(Facts("/usr/bin/dayvane")), "/usr/bin/dayvane");
  EXPECT_EQ(ProgramFolder(Facts("/usr/local/bin")), "/usr/local/bin");
  EXPECT_EQ(ProgramFolder(Facts("/usr")), "/usr");
  // DAYVANE_HOME names where scripts/run installs the program, not where a
  // copy elsewhere keeps its notes.
  ProgramFolderFacts facts = Facts("/opt/dv");
  facts.dayvane_home = "/home/ann/Diary";
  EXPECT_EQ(ProgramFolder(facts), "/opt/dv");
}

// The folder of a program in `dir` for a user with these settings.
std::string FolderFor(const std::string& dir, std::optional<std::string> home,
                      std::optional<std::string> dayvane_home = std::nullopt) {
  ProgramFolderFacts facts = Facts(dir);
  facts.home = std::move(home);
  facts.dayvane_home = std::move(dayvane_home);
  return ProgramFolder(facts);
}

TEST(ProgramFolder, ASystemWideInstallUsesTheUsersFolder) {
  EXPECT_EQ(ProgramFolder(Facts("/usr/bin")), "/home/ann/Dayvane");
  EXPECT_EQ(ProgramFolder(Facts("/usr//bin/")), "/home/ann/Dayvane");
  EXPECT_EQ(FolderFor("/usr/bin", "/home/ann/"), "/home/ann/Dayvane");
  // Root's home, on some systems also a service's.
  EXPECT_EQ(FolderFor("/usr/bin", "/"), "/Dayvane");
  EXPECT_EQ(FolderFor("/usr/bin", "/root"), "/root/Dayvane");
  // DAYVANE_HOME wins; an empty one counts as unset.
  EXPECT_EQ(FolderFor("/usr/bin", "/root", "/srv/notes/"), "/srv/notes");
  EXPECT_EQ(FolderFor("/usr/bin", "/root", ""), "/root/Dayvane");
  EXPECT_EQ(FolderFor("/usr/bin", std::nullopt, "/srv/notes"), "/srv/notes");
  // Without any home the program's own folder is all there is.
  EXPECT_EQ(FolderFor("/usr/bin", std::nullopt), "/usr/bin");
  EXPECT_EQ(FolderFor("/usr/bin", ""), "/usr/bin");
  // The folder of a build installed under another prefix.
  EXPECT_EQ(ProgramFolder(Facts("/opt/dayvane//bin/")), "/home/ann/Dayvane");
  // No system folder known: every copy is portable.
  ProgramFolderFacts facts = Facts("/usr/bin");
  facts.system_bin_dirs = {"", ""};
  EXPECT_EQ(ProgramFolder(facts), "/usr/bin");
}

TEST(InstanceName, OnePerUserAndFolderSafeAsAFileName) {
  const std::string name = InstanceName("ann", "/home/ann/Dayvane");
  EXPECT_EQ(name.rfind("dayvane-ann-", 0), 0U);
  EXPECT_EQ(name.size(), std::string("dayvane-ann-").size() + 16);
  EXPECT_EQ(name, InstanceName("ann", "/home/ann/Dayvane"));
  EXPECT_NE(name, InstanceName("bob", "/home/ann/Dayvane"));
  EXPECT_NE(name, InstanceName("ann", "/home/ann/Dayvane2"));
  EXPECT_NE(name, InstanceName("ann", "/media/stick/Dayvane"));
  // The well-known FNV-1a value of the empty text.
  EXPECT_EQ(InstanceName("", ""), "dayvane--cbf29ce484222325");
  for (const char c : InstanceName("a/b\\c d:..", "/x")) {
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') << c;
  }
}

}  // namespace
}  // namespace dv
