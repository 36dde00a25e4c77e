// One Dayvane per user and program folder, on the real file system and
// sockets: a second start reaches the first; whatever lies under the lock's
// name delays nothing; clients that hold connections open or descriptors
// that run out leave the listener and its socket as they are; a folder that
// is not the user's alone is not used; an open request reaches the first
// as such, and one of another version does not.
#include "platform/qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "scratch.h"

namespace dv::qt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const QString kName = QStringLiteral("dayvane-test-0123456789abcdef");

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// A client of the socket at `path`, connected or -1.
int Connect(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The other end hung up (with a reset, when it left bytes unread).
bool HungUp(int fd) {
  char byte = 0;
  const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
  return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// Lets the running instance's event loop work for `time`.
void Serve(std::chrono::milliseconds time) {
  const auto end = Clock::now() + time;
  while (Clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(1ms);
  }
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchFolder("single-instance");
    ASSERT_FALSE(root_.empty());
    fs::create_directory(root_ / "run");
    fs::permissions(root_ / "run", fs::perms::owner_all);
    fs::create_directory(root_ / "tmp");
    ::chmod((root_ / "tmp").c_str(), 01777);
    ::setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    ::setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path() const { return (root_ / "run" / kName.toStdString()).string(); }

  // A second start, made in a thread of its own while this one serves;
  // what it returned.
  static bool SecondStart(std::optional<diary::Date> note = std::nullopt) {
    auto result = std::async(std::launch::async, [note] {
      SingleInstance second(kName);
      return second.ForwardOrListen([] {}, nullptr, note);
    });
    while (result.wait_for(1ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return result.get();
  }

  fs::path root_;
  int shown_ = 0;
};

TEST_F(SingleInstanceTest, SecondStartShowsTheFirst) {
  SingleInstance first(kName);
  EXPECT_FALSE(first.ForwardOrListen([this] { ++shown_; }));
  EXPECT_EQ(first.socket_path().toStdString(), Path());
  struct stat st {};
  ASSERT_EQ(::lstat(Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_TRUE(SecondStart());
  EXPECT_TRUE(SecondStart());
  EXPECT_EQ(shown_, 2);
}

TEST_F(SingleInstanceTest, SecondStartWithANoteHasTheFirstOpenIt) {
  SingleInstance first(kName);
  std::vector<diary::Date> opened;
  EXPECT_FALSE(first.ForwardOrListen([this] { ++shown_; },
                                     [&opened](const diary::Date& date) { opened.push_back(date); },
                                     std::nullopt));
  EXPECT_TRUE(SecondStart(diary::Date{2024, 2, 29}));
  EXPECT_TRUE(SecondStart());
  EXPECT_EQ(opened, (std::vector<diary::Date>{{2024, 2, 29}}));
  EXPECT_EQ(shown_, 1);
}

TEST_F(SingleInstanceTest, SocketGoesAtTheEnd) {
  {
    SingleInstance first(kName);
    EXPECT_FALSE(first.ForwardOrListen([] {}));
    EXPECT_TRUE(fs::exists(Path()));
  }
  EXPECT_FALSE(fs::exists(Path()));
  // The next one takes the name again.
  SingleInstance next(kName);
  EXPECT_FALSE(next.ForwardOrListen([] {}));
}

// What a killed instance, a full disk or a slip of the hand leaves under
// the lock's name, beside a socket nobody listens at any more.
TEST_F(SingleInstanceTest, LockOfAnyKindDelaysNothing) {
  const std::string lock = Path() + ".lock";
  const std::vector<std::pair<const char*, std::function<void()>>> kinds = {
      {"empty", [&] { std::ofstream{lock}; }},
      {"garbage", [&] { std::ofstream{lock} << "\x01\xff not a pid\n"; }},
      {"a pid of nobody", [&] { std::ofstream{lock} << "999999999\n"; }},
      {"unreadable",
       [&] {
         std::ofstream{lock};
         ::chmod(lock.c_str(), 0);
       }},
      {"a folder",
       [&] {
         fs::create_directory(lock);
         std::ofstream{lock + "/inside"};
       }},
      {"a link to nowhere", [&] { fs::create_symlink(root_ / "nowhere", lock); }},
  };
  for (const auto& [kind, make] : kinds) {
    SCOPED_TRACE(kind);
    fs::remove_all(lock);
    make();
    // A socket left behind.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Path().c_str(), sizeof address.sun_path - 1);
    fs::remove(Path());
    ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(stale);

    const auto start = Clock::now();
    SingleInstance first(kName);
    EXPECT_FALSE(first.ForwardOrListen([] {}));
    EXPECT_LT(MsSince(start), 200);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lock)));
    EXPECT_TRUE(SecondStart());
  }
}

TEST_F(SingleInstanceTest, HeldConnectionsLeaveItServing) {
  SingleInstance first(kName);
  EXPECT_FALSE(first.ForwardOrListen([this] { ++shown_; }));
  const int before = OpenDescriptors();
  std::vector<int> held;
  for (int i = 0; i < 300; ++i) {
    const int fd = Connect(Path());
    ASSERT_GE(fd, 0);
    held.push_back(fd);
    if (i % 50 == 0) Serve(1ms);
  }
  Serve(50ms);
  // Ours, and the few it serves at once.
  EXPECT_LE(OpenDescriptors(), before + 300 + 8);
  EXPECT_TRUE(SecondStart());
  EXPECT_EQ(shown_, 1);
  // A client that sends nothing is dropped after a second.
  Serve(1200ms);
  EXPECT_EQ(OpenDescriptors(), before + 300);
  for (const int fd : held) ::close(fd);
  EXPECT_TRUE(fs::exists(Path()));
}

TEST_F(SingleInstanceTest, OtherRequestsGetNoAnswer) {
  SingleInstance first(kName);
  bool opened = false;
  EXPECT_FALSE(first.ForwardOrListen(
      [this] { ++shown_; }, [&opened](const diary::Date&) { opened = true; }, std::nullopt));
  for (const std::string& request : std::vector<std::string>{
           "hello\n", "show me\n", std::string(100, 's'), "open 3 2024-02-29\n",
           "open 2 2024-02-30\n", "open 2 2024-02-29 and more\n"}) {
    const int fd = Connect(Path());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    Serve(20ms);
    EXPECT_TRUE(HungUp(fd)) << request;
    ::close(fd);
  }
  EXPECT_EQ(shown_, 0);
  EXPECT_FALSE(opened);
  EXPECT_TRUE(SecondStart());
  EXPECT_EQ(shown_, 1);
}

TEST_F(SingleInstanceTest, OutOfDescriptorsKeepsTheSocket) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizers open a pipe to check memory before a virtual call: with
  // no descriptor left they take every such call for one on a dead object.
  GTEST_SKIP() << "needs descriptors the sanitizers take; runs in the plain build";
#endif
  SingleInstance first(kName);
  EXPECT_FALSE(first.ForwardOrListen([] {}));
  // Clients waiting to be taken while the process has no descriptor left.
  std::vector<int> waiting(5);
  for (int& fd : waiting) fd = Connect(Path());
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
  rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(OpenDescriptors()) + 32;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> filler;
  for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) filler.push_back(fd);
  ASSERT_EQ(errno, EMFILE);
  Serve(50ms);
  // They were taken and ended, not left waiting.
  for (const int fd : waiting) {
    EXPECT_TRUE(HungUp(fd));
    ::close(fd);
  }
  for (const int fd : filler) ::close(fd);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &old), 0);
  EXPECT_TRUE(fs::exists(Path()));
  EXPECT_TRUE(SecondStart());
}

// A Dayvane holds the lock but cannot be reached (its socket was removed):
// a start gives up after a while rather than run a second copy.
TEST_F(SingleInstanceTest, RunningButUnreachableMakesNoSecond) {
  const int lock = ::open((Path() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  const auto start = Clock::now();
  EXPECT_TRUE(SecondStart());
  EXPECT_LT(MsSince(start), 4000);
  EXPECT_FALSE(fs::exists(Path()));
  ::close(lock);
  // Once it ends, the next start runs.
  SingleInstance next(kName);
  EXPECT_FALSE(next.ForwardOrListen([] {}));
}

TEST_F(SingleInstanceTest, WithoutRuntimeFolderAFolderOfTheUsersOwn) {
  ::unsetenv("XDG_RUNTIME_DIR");
  SingleInstance first(kName);
  EXPECT_FALSE(first.ForwardOrListen([this] { ++shown_; }));
  const fs::path folder = root_ / "tmp" / ("dayvane-" + std::to_string(::getuid()));
  EXPECT_EQ(first.socket_path().toStdString(), (folder / kName.toStdString()).string());
  struct stat st {};
  ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, ::getuid());
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_TRUE(SecondStart());
  EXPECT_EQ(shown_, 1);
}

TEST_F(SingleInstanceTest, FolderNotTheUsersAloneIsNotUsed) {
  ::unsetenv("XDG_RUNTIME_DIR");
  const fs::path folder = root_ / "tmp" / ("dayvane-" + std::to_string(::getuid()));
  std::vector<std::function<void()>> kinds = {
      [&] {
        fs::create_directory(folder);
        ::chmod(folder.c_str(), 0755);
      },
      [&] { fs::create_directory_symlink(root_ / "run", folder); },
  };
  if (::getuid() == 0) {
    // Another user's (nobody's).
    kinds.push_back([&] {
      fs::create_directory(folder);
      ::chmod(folder.c_str(), 0700);
      ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    });
  }
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    SCOPED_TRACE(i);
    fs::remove_all(folder);
    kinds[i]();
    const auto start = Clock::now();
    SingleInstance first(kName);
    EXPECT_TRUE(first.socket_path().isEmpty());
    EXPECT_FALSE(first.ForwardOrListen([] {}));
    EXPECT_LT(MsSince(start), 200);
    EXPECT_TRUE(fs::is_empty(root_ / "run"));
  }
}

}  // namespace
}  // namespace dv::qt

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
