// The device on an existing serial port (one end of a virtual pair, or a
// cable), through the library's own line.
#include <memory>
#include <utility>

#include "line.h"
#include "transport.h"

namespace vr815::sim {

namespace {

class PortTransport : public Transport {
 public:
  explicit PortTransport(std::unique_ptr<Line> line) : line_(std::move(line)) {}

  IoResult receive(uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got) override {
    *got = 0;
    if (line_ == nullptr) return wait_on_dead_line(timeout_ms);
    const IoResult r = line_->read(buf, len, timeout_ms, got);
    if (r == IoResult::LineError) hang_up();
    return r;
  }

  IoResult send(const uint8_t* data, size_t len, int timeout_ms) override {
    if (line_ == nullptr) return IoResult::LineError;
    return line_->write(data, len, timeout_ms);
  }

  void hang_up() override { line_.reset(); }

 private:
  std::unique_ptr<Line> line_;
};

}  // namespace

OpenedTransport open_port_transport(const std::string& name, int32_t baud) {
  OpenedTransport opened;
  opened.name = name;
  std::unique_ptr<Line> line = line_open(name.c_str(), baud);
  if (line == nullptr) {
    opened.error = "cannot open serial port '" + name + "'";
    return opened;
  }
  opened.transport = std::make_unique<PortTransport>(std::move(line));
  return opened;
}

}  // namespace vr815::sim
