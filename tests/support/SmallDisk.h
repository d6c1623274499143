// A file system of a few KiB for tests of full disks: a tmpfs mounted on a
// temporary folder (as `mount -t tmpfs -o size=16k tmpfs DIR` does), unmounted
// when it goes out of scope. Mounting needs root on Linux; otherwise ok() is
// false and why() says what is missing, for GTEST_SKIP(). Unix.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mount.h>
#endif

namespace qmtest {

class SmallDisk {
public:
    explicit SmallDisk(int kib = 16)
    {
#ifdef __linux__
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        if (::geteuid() != 0)
            why_ = QStringLiteral("mounting a small tmpfs needs root");
        else if (!dir_.isValid() || ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) != 0)
            why_ = QStringLiteral("cannot mount a tmpfs here: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        mounted_ = why_.isEmpty();
#else
        (void)kib;
        why_ = QStringLiteral("tmpfs is a Linux file system");
#endif
    }
    ~SmallDisk()
    {
#ifdef __linux__
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
#endif
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return mounted_; }
    const QString& why() const { return why_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    // Fills the rest of the disk with a file of that name: afterwards not one
    // more byte fits.
    bool fill(const QString& name = QStringLiteral("filler"))
    {
        const int fd = ::open(QFile::encodeName(file(name)).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray block(4096, 'f');
        bool full = false;
        for (int i = 0; fd >= 0 && i < 100000; ++i)
            if (::write(fd, block.constData(), size_t(block.size())) < 0) {
                full = errno == ENOSPC;
                break;
            }
        if (fd >= 0)
            ::close(fd);
        return full;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString why_;
};

} // namespace qmtest
