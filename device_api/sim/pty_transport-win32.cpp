// Windows has no pseudo-terminals: the device needs a line named for it.
#include "transport.h"

namespace vr815::sim {

OpenedTransport open_pty_transport() {
  OpenedTransport opened;
  opened.error =
      "no pseudo-terminals on Windows: serve with --listen [HOST:]PORT "
      "or --port NAME";
  opened.exit_status = kUsageStatus;
  return opened;
}

}  // namespace vr815::sim
