#include "schema/validation/warnings.h"

#include <unistd.h>

#include <cerrno>

namespace orvane {

void write_warning(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace orvane
