// Finding the machine's serial ports and letting the operator choose one.
#ifndef VR815_PORT_SELECTION_H
#define VR815_PORT_SELECTION_H

#include <string>
#include <vector>

/// The machine's COM ports, in ascending order of port number; empty when
/// the system cannot be asked.
std::vector<std::string> EnumerateComPorts();

/// Lists the ports and reads the operator's choice from standard input;
/// "COM3" whenever the answer is unusable.
std::string SelectComPort();

#endif  // VR815_PORT_SELECTION_H
