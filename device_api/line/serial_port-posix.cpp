// The serial line on POSIX systems: a terminal device opened without waiting
// on modem lines, set to raw 8N1, locked for exclusive use.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "serial_port.h"

namespace vr815 {

struct SerialPort {
  int fd;
};

namespace {

struct BaudRate {
  int32_t rate;
  speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},
    {134, B134},       {150, B150},       {200, B200},
    {300, B300},       {600, B600},       {1200, B1200},
    {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
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

/// Highest n accepted in "COM<n>".
constexpr long kMaxComNumber = 256;

/// Device path for a port name: a name containing '/' is a path as given;
/// "COM<n>" (any case, n from 1 to kMaxComNumber) is /dev/ttyS<n-1>.
bool device_path(const char* name, std::string* path) {
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

bool set_raw(int fd, speed_t speed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // With O_NONBLOCK, VMIN 1 makes an empty line EAGAIN and keeps a read of 0
  // bytes for a hang-up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) {
    return false;
  }
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

/// Waits for the events until the deadline: 1 ready, 0 timed out, -1 the
/// line failed or hung up.
int wait_for(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int r = poll(&p, 1, remaining_ms(deadline));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) return 0;
    // Bytes that came before a hang-up are still read; the read after them
    // sees the hang-up.
    if (p.revents & events) return 1;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
  }
}

}  // namespace

SerialPort* serial_open(const char* name, int32_t baud) {
  std::string path;
  speed_t speed{};
  if (name == nullptr || !device_path(name, &path) || !speed_for(baud, &speed)) {
    return nullptr;
  }
  const int fd =
      open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Refuse anything that is not a terminal before a byte is written; lock
  // advisory as well as exclusive, because root passes TIOCEXCL.
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  if (ioctl(fd, TIOCEXCL) != 0 || !set_raw(fd, speed)) {
    ioctl(fd, TIOCNXCL);
    close(fd);
    return nullptr;
  }
  tcflush(fd, TCIOFLUSH);
  return new SerialPort{fd};
}

void serial_close(SerialPort* port) {
  if (port == nullptr) return;
  // The exclusive mode belongs to the terminal, not to this descriptor: clear
  // it so that the next open succeeds while others hold the line open.
  ioctl(port->fd, TIOCNXCL);
  // Nothing left to send, so close does not wait for output to drain.
  tcflush(port->fd, TCIOFLUSH);
  close(port->fd);
  delete port;
}

void serial_discard_input(SerialPort* port) {
  tcflush(port->fd, TCIFLUSH);
  uint8_t sink[256];
  while (read(port->fd, sink, sizeof sink) > 0) {
  }
}

IoResult serial_write(SerialPort* port, const uint8_t* data, size_t len,
                      int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  size_t done = 0;
  while (done < len) {
    const ssize_t n = write(port->fd, data + done, len - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return IoResult::LineError;
    }
    const int ready = wait_for(port->fd, POLLOUT, deadline);
    if (ready < 0) return IoResult::LineError;
    if (ready == 0) return IoResult::Timeout;
  }
  return IoResult::Ok;
}

IoResult serial_read(SerialPort* port, uint8_t* buf, size_t len,
                     int timeout_ms, size_t* got) {
  *got = 0;
  if (len == 0) return IoResult::Ok;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const ssize_t n = read(port->fd, buf, len);
    if (n > 0) {
      *got = static_cast<size_t>(n);
      return IoResult::Ok;
    }
    // End of file on a terminal is a hang-up.
    if (n == 0) return IoResult::LineError;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return IoResult::LineError;
    }
    const int ready = wait_for(port->fd, POLLIN, deadline);
    if (ready < 0) return IoResult::LineError;
    if (ready == 0) return IoResult::Timeout;
  }
}

bool serial_baud_supported(int32_t baud) {
  speed_t speed{};
  return speed_for(baud, &speed);
}

}  // namespace vr815
