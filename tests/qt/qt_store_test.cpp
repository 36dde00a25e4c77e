// The Linux front end's settings file and notes files on the real file
// system: one file replacement per changed update, none for an unchanged
// one, a placement that survives a kill at any moment whole and leaves
// nothing behind, a file too large to be this program's that is neither
// read nor kept, and notes that never land outside their folder through a
// link nor wait on something that is not a file.
#include "platform/qt/qt_store.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLockFile>
#include <QSettings>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "scratch.h"

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
    dir_ = test::ScratchFolder("store");
    ASSERT_FALSE(dir_.empty());
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

TEST_F(Store, ANewNotesFolderAndNoteAreTheUsersAloneAndOldOnesKeepTheirModes) {
  const auto mode = [](const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0U;
  };
  const mode_t old_umask = ::umask(0);  // nothing taken away: the modes asked for show
  const fs::path folder = dir_ / "home" / "Dayvane";
  MakeNotesFolder(folder.string());
  ::close(OpenAppendFile((folder / "12-8-2026.txt").string()));
  EXPECT_EQ(mode(folder), 0700U);
  EXPECT_EQ(mode(folder / "12-8-2026.txt"), 0600U);
  // What is there already stays as its owner made it.
  fs::permissions(folder, fs::perms(0750));
  fs::permissions(folder / "12-8-2026.txt", fs::perms(0644));
  MakeNotesFolder(folder.string());
  ::close(OpenAppendFile((folder / "12-8-2026.txt").string()));
  EXPECT_EQ(mode(folder), 0750U);
  EXPECT_EQ(mode(folder / "12-8-2026.txt"), 0644U);
  ::umask(old_umask);
}

TEST_F(Store, AnOversizedFileReadsAsEmptyAtOnceAndTheNextSaveReplacesIt) {
  // Ten megabytes that something else wrote, with a placement among them.
  {
    std::ofstream file(path_.toStdString());
    file << "[frmMain]\nLeft=\" 150\"\n";
    for (int i = 0; file.tellp() < 10 * 1024 * 1024; ++i) {
      file << "[junk" << i << "]\nkey=some value that fills the file up\n";
    }
  }
  const auto start = std::chrono::steady_clock::now();
  SettingsStore store(path_);
  EXPECT_EQ(store.Read("frmMain", "Left"), std::nullopt);
  EXPECT_EQ(store.Read("frmMain", "Top"), std::nullopt);
  // Saved as the program saves its placement: a file of these keys alone.
  EXPECT_TRUE(store.Write("frmMain", Placement(3)));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(200))
      << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
  EXPECT_LT(fs::file_size(path_.toStdString()), 1024U);
  EXPECT_EQ(StoredGeneration(path_), 3);
  QSettings reread(path_, QSettings::IniFormat);
  EXPECT_EQ(reread.childGroups(), QStringList{"frmMain"});
  // At the limit a file is still read.
  {
    std::ofstream file(path_.toStdString());
    file << "[frmMain]\nLeft=\" 150\"\n[pad]\nkey=";
    file << std::string(static_cast<std::size_t>(kSettingsFileLimit) - 40, 'x') << "\n";
  }
  ASSERT_LE(fs::file_size(path_.toStdString()), static_cast<std::uintmax_t>(kSettingsFileLimit));
  EXPECT_EQ(SettingsStore(path_).Read("frmMain", "Left"), " 150");
  // Something that is not a file at all is not read either, and never
  // waited on: a named pipe.
  fs::remove(path_.toStdString());
  ASSERT_EQ(::mkfifo(path_.toLocal8Bit().constData(), 0600), 0);
  ::alarm(10);  // a read that waits for the pipe's writer ends the test
  SettingsStore piped(path_);
  EXPECT_EQ(piped.Read("frmMain", "Left"), std::nullopt);
  EXPECT_TRUE(piped.Write("frmMain", Placement(4)));
  ::alarm(0);
  EXPECT_EQ(StoredGeneration(path_), 4);
}

TEST_F(Store, AWriteKilledHalfWayLeavesNothingBehindAfterTheNextStart) {
  {
    QSettings settings(path_, QSettings::IniFormat);
    WriteStoredSettings(settings, "frmMain", Placement(5));
  }
  // What a kill between writing the new file and renaming it leaves: the
  // new file under a temporary name, and the writer's lock.
  const fs::path stray = dir_ / "Dayvane.conf.aB3xYz";
  std::ofstream(stray) << "[frmMain]\nLeft=6\n";
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    QLockFile lock(path_ + ".lock");
    std::_Exit(lock.tryLock(0) ? 0 : 1);  // killed while it holds the lock
  }
  int status = 1;
  ASSERT_EQ(::waitpid(writer, &status, 0), writer);
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(fs::exists(dir_ / "Dayvane.conf.lock"));
  // Other files stay.
  std::ofstream(dir_ / "Dayvane.conf.bak") << "kept";
  std::ofstream(dir_ / "Other.conf.aB3xYz") << "kept";
  SettingsStore store(path_);
  EXPECT_FALSE(fs::exists(stray));
  EXPECT_FALSE(fs::exists(dir_ / "Dayvane.conf.lock"));
  EXPECT_TRUE(fs::exists(dir_ / "Dayvane.conf.bak"));
  EXPECT_TRUE(fs::exists(dir_ / "Other.conf.aB3xYz"));
  EXPECT_EQ(store.Read("frmMain", "Left"), " 5");
  // While another process holds the lock (it is writing), nothing goes.
  std::ofstream(stray) << "[frmMain]\nLeft=6\n";
  QLockFile writing(path_ + ".lock");
  ASSERT_TRUE(writing.tryLock(0));
  EXPECT_EQ(RemoveStrayFiles(path_), 0);
  EXPECT_TRUE(fs::exists(stray));
  writing.unlock();
  EXPECT_EQ(RemoveStrayFiles(path_), 1);
}

TEST_F(Store, ANoteThatIsNotAFileIsNeitherWaitedOnNorOpened) {
  // Whatever happens, a wait ends the test here rather than at the
  // run's time-out.
  ::alarm(10);
  const auto expect_not_a_file = [](const fs::path& name, const std::string& reason) {
    try {
      ::close(OpenAppendFile(name.string()));
      ADD_FAILURE() << name << " was opened";
    } catch (const ToolkitError& error) {
      EXPECT_EQ(error.kind(), ErrorKind::PathFileAccess) << name;
      EXPECT_EQ(error.detail(), reason) << name;
    }
  };
  // A named pipe without a reader (opening it for writing would wait for
  // one), and with one (the reader would get what is written).
  const fs::path pipe = dir_ / "12-10-2026.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  expect_not_a_file(pipe, "it is a named pipe, not a file");
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  expect_not_a_file(pipe, "it is a named pipe, not a file");
  ::close(reader);
  // A folder, a device and a socket, also through links.
  fs::create_directory(dir_ / "12-11-2026.txt");
  expect_not_a_file(dir_ / "12-11-2026.txt", "it is a folder, not a file");
  fs::create_symlink("/dev/null", dir_ / "12-12-2026.txt");
  expect_not_a_file(dir_ / "12-12-2026.txt", "it is a device, not a file");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_name = (dir_ / "12-13-2026.txt").string();
  ASSERT_LT(socket_name.size(), sizeof address.sun_path);
  std::copy(socket_name.begin(), socket_name.end(), address.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  expect_not_a_file(dir_ / "12-13-2026.txt", "it is a socket, not a file");
  ::close(sock);
  ::alarm(0);
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
