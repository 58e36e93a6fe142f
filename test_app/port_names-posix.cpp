#include "port_names-posix.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "port_names.h"

// A POSIX machine has no COM names. The library opens COM<n> as
// /dev/ttyS<n-1>, so each /dev/ttyS<n> is listed as COM<n+1> when a port
// exists behind it. The kernel keeps ttyS entries for absent hardware too;
// their sysfs "type" is 0 (unknown UART), and they are left out. Nothing is
// opened to find out.

namespace {

bool is_tty_s_name(const char* name, long* tty_number) {
  if (std::strncmp(name, "ttyS", 4) != 0 || name[4] == '\0') return false;
  for (const char* p = name + 4; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  if (std::strlen(name + 4) > 6) return false;
  *tty_number = std::strtol(name + 4, nullptr, 10);
  return true;
}

bool uart_present(const char* sys_dir, const char* name) {
  const std::string path = std::string(sys_dir) + "/" + name + "/type";
  std::ifstream file(path);
  int type = 0;
  return (file >> type) && type != 0;
}

struct CloseDir {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

bool read_tty_s_names(const char* sys_class_tty, char* buffer, size_t size) {
  const std::unique_ptr<DIR, CloseDir> dir(opendir(sys_class_tty));
  if (dir == nullptr) return false;
  size_t used = 0;
  while (const dirent* entry = readdir(dir.get())) {
    long tty_number = 0;
    if (!is_tty_s_name(entry->d_name, &tty_number)) continue;
    if (!uart_present(sys_class_tty, entry->d_name)) continue;
    char name[32];
    const int len = std::snprintf(name, sizeof name, "COM%ld", tty_number + 1);
    // Keep room for this name's zero byte and the list's closing one.
    if (len <= 0 || used + static_cast<size_t>(len) + 2 > size) break;
    std::memcpy(buffer + used, name, static_cast<size_t>(len) + 1);
    used += static_cast<size_t>(len) + 1;
  }
  return true;
}

bool read_device_names(char* buffer, size_t size) {
  return read_tty_s_names("/sys/class/tty", buffer, size);
}
