#include "support/LimitedDisk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QUuid>
#include <csignal>

namespace limited_disk {
namespace {

const QByteArray kNotPermitted = "\x01not permitted";

// Runs prepare (which returns false when the child cannot be set up) and
// body in a child; its answer comes back through a pipe.
QString inChild(const std::function<bool()>& prepare, const std::function<QString()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return QStringLiteral("no pipe");
    const pid_t pid = ::fork();
    if (pid < 0) return QStringLiteral("no fork");
    if (pid == 0) {
        ::close(channel[0]);
        const QByteArray answer = prepare() ? body().toUtf8() : kNotPermitted;
        qint64 done = 0;
        while (done < answer.size()) {
            const ssize_t n = ::write(channel[1], answer.constData() + done, size_t(answer.size() - done));
            if (n <= 0) break;
            done += n;
        }
        ::close(channel[1]);
        std::_Exit(0);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0) answer.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return QStringLiteral("the child died of signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(answer);
}

}  // namespace

QString withFileSizeLimit(qint64 maxBytes, const std::function<QString()>& body) {
    return inChild(
        [maxBytes] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(maxBytes), rlim_t(maxBytes)};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        body);
}

std::optional<QString> onSmallTmpfs(const QString& folder, qint64 sizeBytes,
                                    const std::function<QString()>& body) {
    const QString answer = inChild(
        [&] {
            if (::unshare(CLONE_NEWNS) != 0) return false;
            // Nothing mounted here may reach the parent's namespace.
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
            const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0700";
            return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) ==
                   0;
        },
        body);
    if (answer.toUtf8() == kNotPermitted) return std::nullopt;
    return answer;
}

void fill(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder + QStringLiteral("/filler-") +
                                              QUuid::createUuid().toString(QUuid::WithoutBraces));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    // The last few bytes a block would not take.
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

}  // namespace limited_disk
