// The serial line on POSIX systems: a terminal device opened without waiting
// on modem lines, set to raw 8N1, locked for exclusive use. Only the
// character device of a terminal driver is opened at all, and the line's
// settings are held against other programs that open it too.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "serial_port-posix.h"
#include "serial_port.h"
#include "socket.h"

namespace vr815 {

namespace {

struct BaudRate {
  int32_t rate;
  speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},     {134, B134},
    {150, B150},       {200, B200},       {300, B300},     {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},   {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400}, {57600, B57600},
    {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool speed_for(int32_t rate, speed_t* speed) {
  for (const BaudRate& b : kBaudRates) {
    if (b.rate == rate) {
      *speed = b.speed;
      return true;
    }
  }
  return false;
}

/// Unix98 pseudo-terminal slaves (/dev/pts/N): majors 136 to 143. They have
/// no entry under /sys/dev/char, so they are known by number.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kLastPtySlaveMajor = 143;

/// Terminals of the machine itself rather than lines to a device: their
/// driver is the terminal class too, but bytes written there reach a screen,
/// the operator's own session or a new pseudo-terminal.
struct MachineTerminal {
  unsigned major;
  unsigned first_minor;
  unsigned last_minor;
};

constexpr MachineTerminal kMachineTerminals[] = {
    {4, 0, 63},  // virtual consoles, /dev/tty0 to /dev/tty63
    {5, 0, 0},   // /dev/tty: whatever terminal the calling process runs in
    {5, 1, 1},   // /dev/console
    {5, 2, 2},   // /dev/ptmx: each open makes a new pseudo-terminal
};

bool is_machine_terminal(unsigned major_no, unsigned minor_no) {
  for (const MachineTerminal& t : kMachineTerminals) {
    if (t.major == major_no && minor_no >= t.first_minor &&
        minor_no <= t.last_minor) {
      return true;
    }
  }
  return false;
}

/// True when the kernel files the character device under the terminal
/// class: its /sys/dev/char/MAJOR:MINOR/subsystem link ends in "/tty".
bool in_tty_class(unsigned major_no, unsigned minor_no) {
  const std::string link = "/sys/dev/char/" + std::to_string(major_no) + ":" +
                           std::to_string(minor_no) + "/subsystem";
  char target[PATH_MAX];
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  const char* slash = std::strrchr(target, '/');
  return std::strcmp(slash != nullptr ? slash + 1 : target, "tty") == 0;
}

/// True for the node of a line (a serial port, a USB serial adapter, any
/// other terminal driver's device, a pseudo-terminal slave), told from the
/// node's type and number alone.
bool is_line_device(const struct stat& st) {
  if (!S_ISCHR(st.st_mode)) return false;
  const unsigned major_no = major(st.st_rdev);
  const unsigned minor_no = minor(st.st_rdev);
  if (major_no >= kFirstPtySlaveMajor && major_no <= kLastPtySlaveMajor) {
    return true;
  }
  return in_tty_class(major_no, minor_no) &&
         !is_machine_terminal(major_no, minor_no);
}

bool set_raw(int fd, speed_t speed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // With O_NONBLOCK, VMIN 1 makes an empty line EAGAIN rather than a read of
  // 0 bytes.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) {
    return false;
  }
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool same_settings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME] &&
         cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

/// True when the terminal reports a hang-up or an error now. A read of 0
/// bytes alone does not tell: with VMIN 0 an empty line reads 0 bytes too.
bool hung_up(int fd) {
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 0) < 0) {
    if (errno != EINTR) return true;
  }
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool same_device(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_rdev == b.st_rdev;
}

class SerialPort final : public Line {
 public:
  explicit SerialPort(int fd) : fd_(fd) {}
  ~SerialPort() override;

  /// Takes the line for this process: the lock, the exclusive mode, raw 8N1
  /// at the speed. False when any of it fails.
  bool take(speed_t speed);

  void discard_input() override;
  IoResult write(const uint8_t* data, size_t len, int timeout_ms) override;
  IoResult read(uint8_t* buf, size_t len, int timeout_ms, size_t* got) override;

 private:
  bool keep_settings();

  int fd_;
  /// Set once the lock is held: the close clears the exclusive mode too.
  bool taken_ = false;
  /// The line's settings as the driver took them at the open.
  termios settings_{};
};

SerialPort::~SerialPort() {
  if (taken_) {
    // The exclusive mode belongs to the terminal, not to this descriptor:
    // clear it so that the next open succeeds while others hold the line
    // open.
    ioctl(fd_, TIOCNXCL);
    // Nothing left to send, so close does not wait for output to drain.
    tcflush(fd_, TCIOFLUSH);
  }
  close(fd_);
}

bool SerialPort::take(speed_t speed) {
  // Advisory as well as exclusive, because root passes TIOCEXCL.
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) return false;
  taken_ = true;
  if (ioctl(fd_, TIOCEXCL) != 0 || !set_raw(fd_, speed) ||
      tcgetattr(fd_, &settings_) != 0) {
    return false;
  }
  tcflush(fd_, TCIOFLUSH);
  return true;
}

// A terminal's settings are shared by everyone who has it open, and the
// exclusive mode does not stop root: a program that opens the line without
// the lock (services that probe serial ports at plug-in do) may leave it at
// another speed, canonical, or with VMIN 0, where an empty line reads 0 bytes
// like a hung-up one. So each exchange starts from the settings of the open.

/// Puts the settings of the open back if they changed; false when the line
/// cannot be asked, as a hung-up terminal answers.
bool SerialPort::keep_settings() {
  termios now{};
  if (tcgetattr(fd_, &now) != 0) return false;
  if (same_settings(now, settings_)) return true;
  return tcsetattr(fd_, TCSANOW, &settings_) == 0;
}

void SerialPort::discard_input() {
  tcflush(fd_, TCIFLUSH);
  uint8_t sink[256];
  while (::read(fd_, sink, sizeof sink) > 0) {
  }
}

}  // namespace

bool serial_device_path(const char* name, std::string* path) {
  if (std::strchr(name, '/') != nullptr) {
    *path = name;
    return true;
  }
  if (std::strlen(name) < 4 || strncasecmp(name, "COM", 3) != 0) return false;
  const char* digits = name + 3;
  if (digits[0] < '1' || digits[0] > '9') return false;
  long n = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + (*p - '0');
    if (n > kMaxComNumber) return false;
  }
  *path = "/dev/ttyS" + std::to_string(n - 1);
  return true;
}

std::unique_ptr<Line> serial_open(const char* name, int32_t baud) {
  std::string path;
  speed_t speed{};
  if (name == nullptr || !serial_device_path(name, &path) ||
      !speed_for(baud, &speed)) {
    return nullptr;
  }
  // Decide before the open: opening some devices acts by itself (a watchdog
  // arms). stat follows symbolic links, so /dev/serial/by-id names work.
  struct stat before {};
  if (stat(path.c_str(), &before) != 0 || !is_line_device(before)) {
    return nullptr;
  }
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto port = std::make_unique<SerialPort>(fd);
  // The path may name another file by now, and the kernel has the last word
  // on what is a terminal: check again before a byte is written.
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !same_device(before, opened) || !isatty(fd) ||
      !port->take(speed)) {
    return nullptr;
  }
  return port;
}

IoResult SerialPort::write(const uint8_t* data, size_t len, int timeout_ms) {
  if (len == 0) return IoResult::Ok;
  if (data == nullptr || !keep_settings()) return IoResult::LineError;
  const int fd = fd_;
  return write_all(
      fd, data, len, deadline_after(timeout_ms),
      [fd](const uint8_t* bytes, size_t n) { return ::write(fd, bytes, n); });
}

IoResult SerialPort::read(uint8_t* buf, size_t len, int timeout_ms,
                          size_t* got) {
  if (got == nullptr) return IoResult::LineError;
  *got = 0;
  if (len == 0) return IoResult::Ok;
  if (buf == nullptr || !keep_settings()) return IoResult::LineError;
  const auto deadline = deadline_after(timeout_ms);
  for (;;) {
    const ssize_t n = ::read(fd_, buf, len);
    if (n > 0) {
      *got = static_cast<size_t>(n);
      return IoResult::Ok;
    }
    if (n < 0 && !would_block(errno)) return IoResult::LineError;
    // 0 bytes: a hung-up terminal, or an empty one whose VMIN another program
    // set to 0 since the check above.
    if (n == 0 && (hung_up(fd_) || !keep_settings())) {
      return IoResult::LineError;
    }
    const IoResult ready = wait_for(fd_, Awaited::Readable, deadline);
    if (ready != IoResult::Ok) return ready;
  }
}

bool serial_baud_supported(int32_t baud) {
  speed_t speed{};
  return speed_for(baud, &speed);
}

}  // namespace vr815
