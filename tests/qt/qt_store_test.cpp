// The Linux front end's settings file and notes files on the real file
// system: one file replacement per changed update, none for an unchanged
// one, a placement that survives a kill at any moment whole, and notes that
// never land outside their folder through a link.
#include "platform/qt/qt_store.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/convert.h"
#include "platform/errors.h"

namespace dv::qt {
namespace {

namespace fs = std::filesystem;

// The five keys of generation n: state n % 2, the four bounds n.
SettingValues Placement(int n) {
  const std::string bound = Str(static_cast<Single>(n));
  return {{"WindowState", Str(static_cast<Single>(n % 2))},
          {"Left", bound},
          {"Top", bound},
          {"Width", bound},
          {"Height", bound}};
}

// The generation that the file holds, or -1 when it is not one whole
// placement.
int StoredGeneration(const QString& path) {
  QSettings settings(path, QSettings::IniFormat);
  if (settings.status() != QSettings::NoError) return -1;
  const auto left = ReadStoredSetting(settings, "frmMain", "Left");
  if (!left) return -1;
  const int n = CLng(Val(*left));
  for (const auto& [key, value] : Placement(n)) {
    if (ReadStoredSetting(settings, "frmMain", key) != value) return -1;
  }
  return n;
}

// Runs as the child of the kill loop: says on `ready` that it is about to
// write, then writes generation after generation until it is killed.
[[noreturn]] void WriteForever(const char* path, int first, int ready) {
  QSettings settings(QString::fromLocal8Bit(path), QSettings::IniFormat);
  const char byte = 1;
  if (::write(ready, &byte, 1) != 1) std::_Exit(126);
  for (int n = first;; ++n) WriteStoredSettings(settings, "frmMain", Placement(n));
}

// Waits up to `seconds` for the writer's byte on `fd`.
bool WaitReady(int fd, int seconds) {
  pollfd wait{fd, POLLIN, 0};
  char byte = 0;
  return ::poll(&wait, 1, seconds * 1000) == 1 && ::read(fd, &byte, 1) == 1;
}

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dayvane-store.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = QString::fromStdString((dir_ / "Dayvane.conf").string());
  }
  void TearDown() override { fs::remove_all(dir_); }
  ino_t Inode() const {
    struct stat info {};
    return ::stat(path_.toLocal8Bit().constData(), &info) == 0 ? info.st_ino : 0;
  }

  fs::path dir_;
  QString path_;
};

TEST_F(Store, AnUpdateReplacesTheFileOnceAndAnUnchangedOneNotAtAll) {
  QSettings settings(path_, QSettings::IniFormat);
  EXPECT_TRUE(WriteStoredSettings(settings, "frmMain", Placement(7)));
  const ino_t first = Inode();
  ASSERT_NE(first, 0U);
  EXPECT_EQ(StoredGeneration(path_), 7);
  // The same texts again: nothing is written.
  EXPECT_FALSE(WriteStoredSettings(settings, "frmMain", Placement(7)));
  EXPECT_EQ(Inode(), first);
  // One changed key: a new file renamed over the old one, all keys in it.
  SettingValues moved = Placement(7);
  moved[1].second = " 8";
  EXPECT_TRUE(WriteStoredSettings(settings, "frmMain", moved));
  EXPECT_NE(Inode(), first);
  QSettings reread(path_, QSettings::IniFormat);
  EXPECT_EQ(ReadStoredSetting(reread, "frmMain", "Left"), " 8");
  EXPECT_EQ(ReadStoredSetting(reread, "frmMain", "Width"), " 7");
  EXPECT_EQ(ReadStoredSetting(reread, "frmMain", "Missing"), std::nullopt);
}

TEST_F(Store, AKillAtAnyMomentLeavesTheOldOrTheNewPlacementWhole) {
  const char* self = std::getenv("DAYVANE_STORE_TEST_SELF");
  ASSERT_NE(self, nullptr);
  {
    QSettings settings(path_, QSettings::IniFormat);
    WriteStoredSettings(settings, "frmMain", Placement(0));
  }
  std::mt19937 random(12345);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  int generation = 0;
  int kills = 0;
  const std::string path = path_.toStdString();
  // At least 150 kills, and on until the writer got 20 generations in.
  for (; (kills < 150 || generation <= 20) && std::chrono::steady_clock::now() < deadline;
       ++kills) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      const std::string first = std::to_string(generation + 1);
      const std::string fd = std::to_string(ready[1]);
      ::execl(self, self, "--writer", path.c_str(), first.c_str(), fd.c_str(), nullptr);
      std::_Exit(127);
    }
    ::close(ready[1]);
    // A kill from a fraction of a millisecond to 30 ms on: inside a write
    // or between writes. Every other one counts from the start (and may
    // land inside start-up), the others from the writer's first write, so
    // that a slow start (the sanitizers) cannot take every kill.
    if (kills % 2 == 1) {
      EXPECT_TRUE(WaitReady(ready[0], 30)) << "the writer did not start";
    }
    ::usleep(std::uniform_int_distribution<useconds_t>(100, 30000)(random));
    ::kill(child, SIGKILL);
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own";
    const int stored = StoredGeneration(path_);
    ASSERT_GE(stored, generation) << "after kill " << kills << " the file is torn or older";
    generation = stored;
  }
  EXPECT_GE(kills, 150);
  // The writer got on: the kills did not all land before its first write.
  EXPECT_GT(generation, 20) << "the writer got no further within 90 s";
  std::printf("kill loop: %d kills, last generation %d\n", kills, generation);
}

TEST_F(Store, NotesFilesAreCreatedButNeverThroughALinkToAMissingFile) {
  const fs::path note = dir_ / "12-6-1999.txt";
  ::close(OpenAppendFile(note.string()));
  EXPECT_TRUE(fs::exists(note));
  { std::ofstream(note) << "kept"; }
  ::close(OpenAppendFile(note.string()));
  EXPECT_EQ(fs::file_size(note), 4U);

  // A link to an existing file, also outside the folder, keeps working.
  const fs::path outside = dir_ / "elsewhere";
  fs::create_directory(outside);
  std::ofstream(outside / "diary.txt") << "old";
  const fs::path linked = dir_ / "1-5-2000.txt";
  fs::create_symlink(outside / "diary.txt", linked);
  const int fd = OpenAppendFile(linked.string());
  ASSERT_EQ(::write(fd, "+", 1), 1);
  ::close(fd);
  EXPECT_EQ(fs::file_size(outside / "diary.txt"), 4U);

  // A dangling link is reported; nothing is created where it points.
  const fs::path dangling = dir_ / "3-1-2000.txt";
  fs::create_symlink(outside / "missing.txt", dangling);
  try {
    ::close(OpenAppendFile(dangling.string()));
    ADD_FAILURE() << "a dangling link was followed";
  } catch (const ToolkitError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::PathFileAccess);
    EXPECT_NE(error.detail().find("missing.txt"), std::string::npos) << error.detail();
  }
  EXPECT_FALSE(fs::exists(outside / "missing.txt"));

  // A missing folder.
  try {
    ::close(OpenAppendFile((dir_ / "gone" / "1-1-2000.txt").string()));
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const ToolkitError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::PathNotFound);
  }
}

}  // namespace
}  // namespace dv::qt

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--writer") {
    dv::qt::WriteForever(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  ::setenv("DAYVANE_STORE_TEST_SELF", "/proc/self/exe", 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
