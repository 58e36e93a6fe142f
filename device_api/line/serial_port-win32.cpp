// The serial line on Windows: a COM port opened through the device
// namespace, raw 8N1, no flow control, with the timeouts of each call set as
// the port's COMMTIMEOUTS so that every ReadFile and WriteFile returns within
// the time the caller gave.
#include "serial_port.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

namespace vr815 {

namespace {

// "COM10" and above open only through the device namespace, and so does
// every other device name; a name already in that namespace is taken as is.
std::string device_path(const char* name) {
  const std::string given(name);
  const std::string prefix = "\\\\.\\";
  if (given.compare(0, prefix.size(), prefix) == 0) return given;
  return prefix + given;
}

bool set_line(HANDLE handle, int32_t baud) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) return false;  // not a serial device
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  return SetCommState(handle, &dcb) != 0;
}

DWORD to_dword_ms(int timeout_ms) {
  return timeout_ms > 0 ? static_cast<DWORD>(timeout_ms) : 0;
}

// A read waits up to timeout_ms for the first byte and returns once the
// line has been quiet for kReadIntervalMs after the last one, or when the
// buffer is full, never later than timeout_ms. (With the documented "return
// at the first byte" setting, MAXDWORD/MAXDWORD/constant, Wine waits out the
// whole constant; an interval timeout behaves the same everywhere.) With no
// time to wait it returns at once with what is there.
constexpr DWORD kReadIntervalMs = 5;

COMMTIMEOUTS read_timeouts(const COMMTIMEOUTS& current, int timeout_ms) {
  COMMTIMEOUTS t = current;
  t.ReadTotalTimeoutMultiplier = 0;
  if (timeout_ms > 0) {
    t.ReadIntervalTimeout = kReadIntervalMs;
    t.ReadTotalTimeoutConstant = to_dword_ms(timeout_ms);
  } else {
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutConstant = 0;
  }
  return t;
}

// A write of any length ends after timeout_ms, the whole call's bound as on
// every other line; zero would mean no limit.
COMMTIMEOUTS write_timeouts(const COMMTIMEOUTS& current, int timeout_ms) {
  COMMTIMEOUTS t = current;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = std::max<DWORD>(to_dword_ms(timeout_ms), 1);
  return t;
}

class SerialPort final : public Line {
 public:
  explicit SerialPort(HANDLE handle) : handle_(handle) {}
  ~SerialPort() override { CloseHandle(handle_); }

  /// Sets the line and the first timeouts; false when the port refuses.
  bool set_up(int32_t baud);

  void discard_input() override { PurgeComm(handle_, PURGE_RXCLEAR); }
  IoResult write(const uint8_t* data, size_t len, int timeout_ms) override;
  IoResult read(uint8_t* buf, size_t len, int timeout_ms, size_t* got) override;

 private:
  bool apply_timeouts(const COMMTIMEOUTS& wanted);

  HANDLE handle_;
  COMMTIMEOUTS timeouts_{};  // as last set on the port
};

bool SerialPort::set_up(int32_t baud) {
  // Start from "return at once" so that no call can ever wait unbounded.
  COMMTIMEOUTS initial{};
  initial.ReadIntervalTimeout = MAXDWORD;
  initial.WriteTotalTimeoutConstant = 1;
  if (!set_line(handle_, baud) || !SetCommTimeouts(handle_, &initial)) {
    return false;
  }
  timeouts_ = initial;
  PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return true;
}

bool SerialPort::apply_timeouts(const COMMTIMEOUTS& wanted) {
  const COMMTIMEOUTS& now = timeouts_;
  if (now.ReadIntervalTimeout == wanted.ReadIntervalTimeout &&
      now.ReadTotalTimeoutMultiplier == wanted.ReadTotalTimeoutMultiplier &&
      now.ReadTotalTimeoutConstant == wanted.ReadTotalTimeoutConstant &&
      now.WriteTotalTimeoutMultiplier == wanted.WriteTotalTimeoutMultiplier &&
      now.WriteTotalTimeoutConstant == wanted.WriteTotalTimeoutConstant) {
    return true;
  }
  COMMTIMEOUTS copy = wanted;
  if (!SetCommTimeouts(handle_, &copy)) return false;
  timeouts_ = wanted;
  return true;
}

IoResult SerialPort::write(const uint8_t* data, size_t len, int timeout_ms) {
  if (len == 0) return IoResult::Ok;
  if (data == nullptr || len > MAXDWORD) return IoResult::LineError;
  if (!apply_timeouts(write_timeouts(timeouts_, timeout_ms))) {
    return IoResult::LineError;
  }
  DWORD written = 0;
  if (!WriteFile(handle_, data, static_cast<DWORD>(len), &written, nullptr)) {
    return GetLastError() == ERROR_SEM_TIMEOUT ? IoResult::Timeout
                                               : IoResult::LineError;
  }
  return written == len ? IoResult::Ok : IoResult::Timeout;
}

IoResult SerialPort::read(uint8_t* buf, size_t len, int timeout_ms,
                          size_t* got) {
  if (got == nullptr) return IoResult::LineError;
  *got = 0;
  if (len == 0) return IoResult::Ok;
  if (buf == nullptr) return IoResult::LineError;
  if (!apply_timeouts(read_timeouts(timeouts_, timeout_ms))) {
    return IoResult::LineError;
  }
  DWORD n = 0;
  const DWORD want = static_cast<DWORD>(std::min<size_t>(len, MAXDWORD));
  if (!ReadFile(handle_, buf, want, &n, nullptr)) {
    return IoResult::LineError;  // includes a line that hung up
  }
  *got = n;
  if (n > 0) return IoResult::Ok;
  // A read that times out cannot tell a silent device from a line that is
  // gone; the port's error state can.
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(handle_, &errors, &status) ? IoResult::Timeout
                                                   : IoResult::LineError;
}

}  // namespace

std::unique_ptr<Line> serial_open(const char* name, int32_t baud) {
  if (name == nullptr || name[0] == '\0' || !serial_baud_supported(baud)) {
    return nullptr;
  }
  HANDLE handle =
      CreateFileA(device_path(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                  0 /* exclusive */, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  auto port = std::make_unique<SerialPort>(handle);
  if (!port->set_up(baud)) return nullptr;
  return port;
}

bool serial_baud_supported(int32_t baud) { return baud > 0; }

}  // namespace vr815
