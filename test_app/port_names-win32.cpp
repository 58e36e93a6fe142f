#include "port_names.h"

#include <windows.h>

// One call with the fixed size: a list longer than the buffer makes the call
// fail, and the operator then types the name.
bool read_device_names(char* buffer, size_t size) {
  return QueryDosDeviceA(nullptr, buffer, static_cast<DWORD>(size)) != 0;
}
