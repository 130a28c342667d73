#include "standard_streams.h"

#include <cerrno>
#include <fcntl.h>

namespace orvani::cli {

void KeepClosedStandardStreamsClosed() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open() takes the lowest free descriptor: this one, as those below are open.
            (void)::open("/", O_PATH | O_CLOEXEC);
        }
    }
}

} // namespace orvani::cli
