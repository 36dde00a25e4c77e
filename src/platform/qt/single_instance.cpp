#include "platform/qt/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "diary/program_folder.h"
#include "platform/trace.h"

namespace dv::qt {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The protocol: a start sends one line and the running one answers with
// one line, then hangs up. The line is "show\n", or an open request
// (OpenNoteRequest: "open 2 YYYY-MM-DD\n"); any other is dropped unanswered.
constexpr std::string_view kRequest = "show\n";
constexpr std::string_view kReply = "ok\n";
// A line longer than this is not ours.
constexpr std::size_t kMaxLine = 64;
// Clients served at once; a further one pushes out the one that waited
// longest (a start sends its request as soon as it is connected).
constexpr std::size_t kMaxClients = 8;
// A client that has not sent its whole request by then is dropped.
constexpr auto kClientTime = 1s;
// How long a start keeps trying to reach a running instance (one that is
// just starting, or busy with other clients) before it gives up.
constexpr auto kReachTime = 3s;
constexpr auto kRetryPause = 20ms;
// When the listener runs out of descriptors it rests this long.
constexpr int kPauseMs = 100;

std::string Why(const std::string& what) { return what + ": " + std::strerror(errno); }

// A folder of ours that no one else can write to: $XDG_RUNTIME_DIR, else
// TMP/dayvane-UID, which is made with mode 0700 and used only when it is
// a real folder of this user's with that mode. Empty (and `problem` says
// why) when there is none.
std::string PrivateFolder(std::string* problem) {
  const uid_t uid = ::getuid();
  struct stat st {};
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
      st.st_uid == uid && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
    return runtime.toStdString();
  }
  std::string folder =
      QFile::encodeName(QDir::tempPath()).toStdString() + "/dayvane-" + std::to_string(uid);
  if (::mkdir(folder.c_str(), 0700) == 0) {
    // Made just now: the mask may have taken bits of the owner's, nobody
    // else's.
    ::chmod(folder.c_str(), 0700);
  } else if (errno != EEXIST) {
    *problem = Why(folder);
    return {};
  }
  if (::lstat(folder.c_str(), &st) != 0) {
    *problem = Why(folder);
    return {};
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & 07777) != 0700) {
    *problem = folder + " is not a folder of this user's alone (mode 0700)";
    return {};
  }
  return folder;
}

bool SocketAddress(const std::string& path, sockaddr_un* address) {
  *address = {};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

// The lock file, opened for locking. What is in it does not matter (the
// lock is the kernel's and goes with its holder); whatever else lies under
// its name (a folder, a link, a file of another user's) is taken away.
int OpenLock(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd >= 0) {
      struct stat st {};
      if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()) return fd;
      ::close(fd);
    }
    if (::unlink(path.c_str()) != 0 && (errno == EISDIR || errno == EPERM)) {
      QDir(QFile::decodeName(path.c_str())).removeRecursively();
    }
  }
  return -1;
}

// The pid the lock's holder wrote into it, for messages.
std::string LockHolder(int fd) {
  char text[32] = {};
  const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
  std::string pid;
  for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i) pid += text[i];
  return pid.empty() ? "pid unknown" : "pid " + pid;
}

enum class Reach {
  kAnswered,  // the running one took the request
  kSilent,    // connected, but no answer
  kBusy,      // a listener is there, but its queue is full or it hung up
  kAbsent,    // nobody listens
};

// One try to hand the request over, waiting for the answer until `deadline`.
Reach TryForward(const std::string& path, const std::string& request, Clock::time_point deadline) {
  // In a shared folder another user could have put a socket of that name
  // there: only one of the user's own counts.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) {
    return Reach::kAbsent;
  }
  sockaddr_un address{};
  if (!SocketAddress(path, &address)) return Reach::kAbsent;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Reach::kAbsent;
  Reach reach = Reach::kBusy;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    reach = errno == EAGAIN ? Reach::kBusy : Reach::kAbsent;
  } else if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
             static_cast<ssize_t>(request.size())) {
    std::string reply;
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd wait{fd, POLLIN, 0};
      const int ready = ::poll(&wait, 1, static_cast<int>(std::max<long long>(left, 0)));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        reach = Reach::kSilent;
        break;
      }
      char buffer[kMaxLine];
      const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got <= 0) break;  // hung up before answering: busy
      reply.append(buffer, static_cast<std::size_t>(got));
      if (reply.find('\n') != std::string::npos || reply.size() >= kMaxLine) {
        // Anything else than our answer is still someone listening there.
        reach = reply == kReply ? Reach::kAnswered : Reach::kSilent;
        break;
      }
    }
  }
  ::close(fd);
  return reach;
}

}  // namespace

// The running instance's side: a listening socket read through the event
// loop, and the few clients being served.
class SingleInstance::Listener {
 public:
  Listener(int fd, std::string path, std::function<void()> show,
           std::function<void(const diary::Date&)> open)
      : fd_(fd),
        path_(std::move(path)),
        show_(std::move(show)),
        open_(std::move(open)),
        notifier_(fd, QSocketNotifier::Read) {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) inode_ = st.st_ino;
    // Kept in reserve: when the descriptors run out, giving it back makes
    // room to take a waiting client and end it, instead of leaving it queued
    // and the listener woken for it again and again.
    spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Accept(); });
    expiry_.setSingleShot(true);
    QObject::connect(&expiry_, &QTimer::timeout, [this] { DropExpired(); });
    rest_.setSingleShot(true);
    rest_.setInterval(kPauseMs);
    QObject::connect(&rest_, &QTimer::timeout, [this] { notifier_.setEnabled(true); });
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  ~Listener() {
    clients_.clear();
    notifier_.setEnabled(false);
    ::close(fd_);
    if (spare_ >= 0) ::close(spare_);
    // The socket file goes with us, unless another took its name meanwhile.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_ino == inode_) ::unlink(path_.c_str());
  }

 private:
  struct Client {
    Client(int client_fd, Clock::time_point client_deadline)
        : fd(client_fd), deadline(client_deadline), notifier(client_fd, QSocketNotifier::Read) {}
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() {
      notifier.setEnabled(false);
      ::close(fd);
    }
    int fd;
    Clock::time_point deadline;
    std::string line;
    QSocketNotifier notifier;
  };

  // What a client asked for.
  struct Request {
    bool show = false;
    std::optional<diary::Date> open;
  };

  void Accept() {
    std::vector<Request> requests;
    for (;;) {
      const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd >= 0) {
        auto client = std::make_unique<Client>(fd, Clock::now() + kClientTime);
        // A start sends its request right after connecting: mostly it is
        // there already.
        if (const auto done = Read(*client)) {
          requests.push_back(*done);
          continue;
        }
        if (clients_.size() >= kMaxClients) clients_.erase(clients_.begin());
        Client* raw = client.get();
        QObject::connect(&raw->notifier, &QSocketNotifier::activated,
                         [this, raw] { Readable(raw); });
        clients_.push_back(std::move(client));
        continue;
      }
      if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      if ((errno == EMFILE || errno == ENFILE) && spare_ >= 0) {
        ::close(spare_);
        const int dropped = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (dropped >= 0) ::close(dropped);
        spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (dropped >= 0) continue;
      }
      // Out of descriptors or memory: rest a moment, the socket stays.
      notifier_.setEnabled(false);
      rest_.start();
      break;
    }
    ArmExpiry();
    Serve(requests);
  }

  void Readable(Client* client) {
    const auto done = Read(*client);
    if (!done) return;
    std::erase_if(clients_, [client](const auto& c) { return c.get() == client; });
    ArmExpiry();
    Serve({*done});
  }

  // At most one show for a burst of starts; every open request in turn.
  void Serve(const std::vector<Request>& requests) {
    if (std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.show; })) {
      show_();
    }
    for (const Request& request : requests) {
      if (request.open && open_) open_(*request.open);
    }
  }

  // Reads what the client sent: nothing when it is not through yet, else
  // what it asked for (it got its answer, and may be closed; a line that is
  // not ours asks for nothing).
  std::optional<Request> Read(Client& client) {
    for (;;) {
      if (client.line.size() >= kMaxLine) return Request{};  // not ours
      char buffer[kMaxLine];
      const ssize_t got = ::recv(client.fd, buffer, kMaxLine - client.line.size(), 0);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return std::nullopt;
      if (got <= 0) return Request{};
      client.line.append(buffer, static_cast<std::size_t>(got));
      const std::size_t end = client.line.find('\n');
      if (end == std::string::npos) continue;
      const std::string_view line = std::string_view(client.line).substr(0, end + 1);
      Request request;
      request.show = line == kRequest;
      if (!request.show) request.open = ParseOpenNoteRequest(line);
      if (!request.show && !request.open) return Request{};
      [[maybe_unused]] const auto sent =
          ::send(client.fd, kReply.data(), kReply.size(), MSG_NOSIGNAL);
      return request;
    }
  }

  void DropExpired() {
    const auto now = Clock::now();
    std::erase_if(clients_, [now](const auto& c) { return c->deadline <= now; });
    ArmExpiry();
  }

  // The timer runs only while clients are waiting.
  void ArmExpiry() {
    if (clients_.empty()) {
      expiry_.stop();
      return;
    }
    const auto first = clients_.front()->deadline;  // the oldest comes first
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count();
    expiry_.start(static_cast<int>(std::max<long long>(left, 0) + 1));
  }

  int fd_;
  std::string path_;
  ino_t inode_ = 0;
  int spare_ = -1;
  std::function<void()> show_;
  std::function<void(const diary::Date&)> open_;
  QSocketNotifier notifier_;
  QTimer expiry_;
  QTimer rest_;
  std::vector<std::unique_ptr<Client>> clients_;
};

SingleInstance::SingleInstance(const QString& name) {
  const std::string folder = PrivateFolder(&folder_problem_);
  if (folder.empty()) return;
  const std::string path = folder + '/' + QFile::encodeName(name).toStdString();
  sockaddr_un address{};
  if (!SocketAddress(path, &address)) {
    folder_problem_ = path + ": name too long for a socket";
    return;
  }
  path_ = QFile::decodeName(path.c_str());
}

SingleInstance::~SingleInstance() {
  listener_.reset();  // removes the socket file while the lock is still held
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

bool SingleInstance::ForwardOrListen(std::function<void()> show) {
  return ForwardOrListen(std::move(show), nullptr, std::nullopt);
}

bool SingleInstance::ForwardOrListen(std::function<void()> show,
                                     std::function<void(const diary::Date& date)> open,
                                     const std::optional<diary::Date>& note) {
  Trace("instance-check");
  const std::string request = note ? OpenNoteRequest(*note) : std::string(kRequest);
  if (path_.isEmpty()) {
    std::fprintf(stderr, "dayvane: %s; running without the check for a running Dayvane\n",
                 folder_problem_.c_str());
    Trace("instance-alone");
    return false;
  }
  const std::string path = QFile::encodeName(path_).toStdString();
  // The lock is held for the program's whole life: whether a Dayvane of this
  // folder runs is known at once, also when its socket cannot be reached.
  lock_fd_ = OpenLock(path + ".lock");
  bool owner = false;
  bool other_runs = false;
  const auto deadline = Clock::now() + kReachTime;
  for (;;) {
    if (lock_fd_ >= 0 && !owner) {
      owner = ::flock(lock_fd_, LOCK_EX | LOCK_NB) == 0;
      other_runs = !owner && errno == EWOULDBLOCK;
    }
    const Reach reach = TryForward(path, request, deadline);
    if (reach == Reach::kAnswered) {
      Trace("instance-forwarded");
      return true;
    }
    if (reach == Reach::kSilent) {
      // Stopped in a debugger, say: still running.
      std::fprintf(stderr, "dayvane: the running Dayvane does not answer at %s\n", path.c_str());
      return true;
    }
    // Nobody listens, and no other Dayvane holds the lock (one that is
    // starting or ending does only for a moment).
    if (reach == Reach::kAbsent && !other_runs) break;
    if (Clock::now() >= deadline) {
      std::fprintf(stderr,
                   "dayvane: a Dayvane for this folder runs (%s) but cannot be reached at %s\n",
                   lock_fd_ >= 0 ? LockHolder(lock_fd_).c_str() : "pid unknown", path.c_str());
      return true;
    }
    std::this_thread::sleep_for(kRetryPause);
  }
  Listen(path, owner, std::move(show), std::move(open));
  return false;
}

// Takes the socket: marks the lock with this process, and listens.
void SingleInstance::Listen(const std::string& path, bool owner, std::function<void()> show,
                            std::function<void(const diary::Date& date)> open) {
  if (owner) {
    const std::string pid = std::to_string(::getpid()) + '\n';
    if (::ftruncate(lock_fd_, 0) == 0) {
      [[maybe_unused]] const auto written = ::pwrite(lock_fd_, pid.data(), pid.size(), 0);
    }
  } else {
    std::fprintf(stderr, "dayvane: no lock at %s.lock; two starts at once may both run\n",
                 path.c_str());
  }
  // The socket, if any, is left from a killed process.
  ::unlink(path.c_str());
  sockaddr_un address{};
  SocketAddress(path, &address);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(path.c_str(), 0700) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    std::fprintf(stderr, "dayvane: a later start cannot find this one (%s)\n", Why(path).c_str());
    if (fd >= 0) ::close(fd);
    return;
  }
  listener_ = std::make_unique<Listener>(fd, path, std::move(show), std::move(open));
  Trace("instance-listening");
}

}  // namespace dv::qt
