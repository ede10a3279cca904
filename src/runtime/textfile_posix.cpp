#include "textfile.h"

#include "textfile_p.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString openErrorReason(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return missingFileReason();
    case ELOOP:
        return linkLoopReason();
    case ENXIO: // a socket, or a device with nothing behind it
        return notRegularFileReason();
    case EACCES:
    case EPERM:
        return withDetail(noPermissionReason(), qt_error_string(error));
    default:
        return withDetail(notOpenedReason(), qt_error_string(error));
    }
}

} // namespace

std::optional<QString> openRegularFile(QFile &file)
{
    // A plain open of a FIFO waits for a writer, and of a device perhaps for
    // its hardware; with O_NONBLOCK it returns at once and the descriptor says
    // what it is. No terminal becomes ours by being opened.
    const QByteArray name = QFile::encodeName(file.fileName());
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return openErrorReason(errno);

    std::optional<QString> reason;
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        reason = openErrorReason(errno);
    } else if (S_ISDIR(status.st_mode)) {
        reason = directoryReason();
    } else if (!S_ISREG(status.st_mode)) {
        reason = notRegularFileReason();
    } else {
        // Reads from a regular file do block, as they should.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            reason = openErrorReason(errno);
        else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            reason = deviceReason(file); // Qt has left the descriptor to us
    }
    if (reason)
        ::close(fd);
    return reason;
}

bool heldOpenElsewhere(const QString &)
{
    // A rename replaces a file whoever holds it open; readers keep the old one.
    return false;
}

std::optional<QString> folderWriteReason(const QString &folder)
{
    // The mode bits are not the whole story (access lists, read-only mounts,
    // root), so the folder is asked by making a file in it.
    QByteArray name = QFile::encodeName(folder) + "/.kelvarine-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd >= 0) {
        ::close(fd);
        ::unlink(name.constData());
        return std::nullopt;
    }
    switch (errno) {
    case EROFS:
        return readOnlyMediumReason();
    case EACCES:
    case EPERM:
        return noFolderRightsReason();
    default:
        return std::nullopt;
    }
}
