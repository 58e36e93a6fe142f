// Finding the machine's serial ports and letting the operator choose one.
#ifndef VR815_PORT_SELECTION_H
#define VR815_PORT_SELECTION_H

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "port_names.h"

/// The COM ports among the names the source gives, in ascending order of
/// port number; empty when the source cannot ask the system.
std::vector<std::string> EnumerateComPorts(DeviceNameSource device_names);

/// Lists the ports found in the source's names and reads the operator's
/// choice from standard input; "COM3" whenever the answer is unusable.
std::string SelectComPort(DeviceNameSource device_names);

/// The COM port names in a system name list (names each ended by a zero
/// byte, the list by an empty name), in ascending order of port number.
/// Reads nothing past names[size - 1]; a last name that the buffer cuts off
/// before its zero byte is left out. A number beyond the signed 32-bit range
/// counts as one past the largest, so such a name sorts after every name
/// whose number fits; names with equal numbers keep the system's order.
std::vector<std::string> com_ports_from_names(const char* names, size_t size);

/// The dialogue over the given list, reading answers from in and writing to
/// out.
std::string select_com_port(const std::vector<std::string>& ports,
                            std::FILE* in, std::FILE* out);

#endif  // VR815_PORT_SELECTION_H
