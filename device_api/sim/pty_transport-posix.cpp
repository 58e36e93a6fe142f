// The device on the master side of a pseudo-terminal of its own; the host
// opens the other side, whose path is the name told.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "socket.h"
#include "transport.h"

namespace vr815::sim {

namespace {

class PtyTransport : public Transport {
 public:
  PtyTransport() = default;
  PtyTransport(const PtyTransport&) = delete;
  PtyTransport& operator=(const PtyTransport&) = delete;
  ~PtyTransport() override {
    hang_up();
    if (slave_ >= 0) close(slave_);
  }

  /// Opens a new pseudo-terminal, raw from the start: no echo of answers, no
  /// line editing of requests. *path is the side the host opens.
  bool open(std::string* path);

  IoResult receive(uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got) override {
    *got = 0;
    if (master_ < 0) return wait_on_dead_line(timeout_ms);
    const IoResult ready =
        wait_for(master_, Awaited::Readable, deadline_after(timeout_ms));
    if (ready == IoResult::Timeout) return ready;
    if (ready == IoResult::Ok) {
      const ssize_t n = read(master_, buf, len);
      if (n > 0) {
        *got = static_cast<size_t>(n);
        return IoResult::Ok;
      }
      if (n < 0 && would_block(errno)) return IoResult::Timeout;
    }
    hang_up();  // the terminal is gone
    return IoResult::LineError;
  }

  IoResult send(const uint8_t* data, size_t len, int timeout_ms) override {
    if (master_ < 0) return IoResult::LineError;
    const int fd = master_;
    return write_all(
        fd, data, len, deadline_after(timeout_ms),
        [fd](const uint8_t* bytes, size_t n) { return write(fd, bytes, n); });
  }

  void hang_up() override {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  /// The slave side stays open too, so that the line stays up between host
  /// sessions, and its number is not handed to a new terminal while the
  /// device runs.
  int slave_ = -1;
};

bool PtyTransport::open(std::string* path) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    return false;
  }
  const char* name = ptsname(master_);
  if (name == nullptr) return false;
  *path = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) return false;
  cfmakeraw(&tio);
  return tcsetattr(slave_, TCSANOW, &tio) == 0;
}

}  // namespace

OpenedTransport open_pty_transport() {
  OpenedTransport opened;
  auto pty = std::make_unique<PtyTransport>();
  if (!pty->open(&opened.name)) {
    opened.error = "cannot open a pseudo-terminal";
    return opened;
  }
  opened.transport = std::move(pty);
  return opened;
}

}  // namespace vr815::sim
