#include "ServerLog.h"

#include <unistd.h>

#include <mutex>
#include <string>

namespace family {

void logLine(std::string_view line) {
    static std::mutex mutex;
    std::string text = "zanbeck-family-server: ";
    text.append(line);
    text += '\n';
    std::lock_guard lock(mutex);
    // One write per line, past any stream buffer, so lines of two threads never interleave.
    for (std::size_t done = 0; done < text.size();) {
        const auto n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace family
