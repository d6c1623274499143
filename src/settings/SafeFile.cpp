#include "settings/SafeFile.h"

#include "diag/QmError.h"
#include "diag/Utf8.h"

#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#else
#include <csignal>
#include <cstdio> // renameat2, RENAME_NOREPLACE
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

constexpr int64_t kWholeFileLimit = 64LL << 20;

SaveFault& saveFault()
{
    static SaveFault fault;
    return fault;
}

int injected(SaveStep step, const QByteArray& temp)
{
    const auto& f = saveFault();
    return f ? f(step, temp.isEmpty() ? QString() : pathFromNative(temp)) : 0;
}

QString systemReason(int err)
{
    return qt_error_string(err);
}

// 61 (disk full) where the system says so, 75 (path/file access) otherwise.
int errorNumberOf(int err)
{
#ifdef EDQUOT
    if (err == EDQUOT)
        return 61;
#endif
    return err == ENOSPC ? 61 : 75;
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

#ifndef _WIN32

// Temporary files of saves in progress, for the signal handler: fixed slots
// of plain bytes, claimed and released with atomic flags (no allocation, no
// lock, nothing a signal handler may not touch).
constexpr int kTempSlots = 16;
constexpr size_t kTempPathMax = 4096;
struct TempSlot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 live
    char path[kTempPathMax];
};
TempSlot g_tempSlots[kTempSlots];
static_assert(std::atomic<int>::is_always_lock_free);

int registerTemp(const QByteArray& path)
{
    if (static_cast<size_t>(path.size()) >= kTempPathMax)
        return -1;
    for (int i = 0; i < kTempSlots; ++i) {
        int expected = 0;
        if (g_tempSlots[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_tempSlots[i].path, path.constData(), static_cast<size_t>(path.size()) + 1);
            g_tempSlots[i].state.store(2);
            return i;
        }
    }
    return -1;
}

void releaseTemp(int slot)
{
    if (slot >= 0)
        g_tempSlots[slot].state.store(0);
}

extern "C" void removeTempsAndStop(int sig)
{
    const int savedErrno = errno;
    for (auto& slot : g_tempSlots) {
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    }
    errno = savedErrno;
    // SA_RESETHAND has put the default action back: the signal raised here
    // is delivered as soon as this handler returns and ends the process.
    ::raise(sig);
}

// One read(2) of what fd has, appended to data, which grows to want bytes at
// the most. False at the end of the data and on an error (err set); a read
// that a signal broke off, or (nonBlocking) one that found nothing yet, is
// one that read nothing.
bool readChunk(int fd, int64_t want, QByteArray& data, int& err, bool nonBlocking)
{
    char buf[65536];
    const size_t chunk = static_cast<size_t>(std::min<int64_t>(sizeof buf, want - data.size()));
    const ssize_t n = ::read(fd, buf, chunk);
    if (n < 0) {
        if (errno == EINTR || (nonBlocking && errno == EAGAIN))
            return true;
        err = errno;
        return false;
    }
    data.append(buf, static_cast<qsizetype>(n));
    return n > 0;
}

// A regular file is open on fd: the rest of it, up to limit + 1 bytes.
void readRegular(int fd, int64_t limit, QByteArray& data, int64_t sizeHint, int& err)
{
    const int64_t want = limit + 1;
    data.reserve(static_cast<qsizetype>(std::clamp<int64_t>(sizeHint + 1, 1, want)));
    while (data.size() < want && readChunk(fd, want, data, err, false)) {
    }
}

// A pipe is open on fd (non-blocking): what arrives until the writer closes
// it, up to limit + 1 bytes. err = ETIMEDOUT when nothing arrives for waitMs.
void readPipe(int fd, int64_t limit, QByteArray& data, int waitMs, int& err)
{
    const int64_t want = limit + 1;
    while (data.size() < want) {
        // A pipe nobody has opened for writing yet reads as ended at once:
        // wait for data (or the writer's close) first.
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return;
        }
        if (ready == 0) {
            err = ETIMEDOUT;
            return;
        }
        if (!readChunk(fd, want, data, err, true))
            return;
    }
}

FileFacts factsOf(const struct stat& st)
{
    FileFacts f;
    if (S_ISREG(st.st_mode))
        f.kind = FileFacts::Kind::Regular;
    else if (S_ISDIR(st.st_mode))
        f.kind = FileFacts::Kind::Folder;
    else if (S_ISFIFO(st.st_mode))
        f.kind = FileFacts::Kind::Pipe;
    else
        f.kind = FileFacts::Kind::Other;
    f.size = static_cast<int64_t>(st.st_size);
    f.device = static_cast<uint64_t>(st.st_dev);
    f.inode = static_cast<uint64_t>(st.st_ino);
    return f;
}

// The reason a file of this kind is not read (empty when it is).
QString refusedKind(const FileFacts& f, ReadSource source)
{
    switch (f.kind) {
    case FileFacts::Kind::Regular:
        return {};
    case FileFacts::Kind::Pipe:
        return source == ReadSource::FileOrPipe ? QString() : QStringLiteral("it is a pipe, not a regular file");
    case FileFacts::Kind::Folder:
        return QStringLiteral("it is a folder");
    default:
        return QStringLiteral("it is a device or socket, not a regular file");
    }
}

// The reason an existing target is never replaced (empty when it may be).
QString unreplaceable(const FileFacts& f)
{
    switch (f.kind) {
    case FileFacts::Kind::Folder:
        return QStringLiteral("it is a folder");
    case FileFacts::Kind::Pipe:
        return QStringLiteral("it is a pipe, not a regular file; only a regular file is replaced");
    case FileFacts::Kind::Other:
        return QStringLiteral("it is a device or socket, not a regular file; only a regular file is replaced");
    default:
        return {};
    }
}

QByteArray randomSuffix()
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(8, 'x');
    for (char& c : s)
        c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    return s;
}

#endif // !_WIN32

} // namespace

QByteArray nativePath(const QString& path)
{
    QByteArray out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size();) {
        const NameChar c = nameCharAt(path, i);
        if (c.kind == NameChar::Kind::RawByte)
            out += char(c.value); // a byte that was not part of a UTF-8 character
        else
            appendUtf8(out, c.kind == NameChar::Kind::LoneSurrogate ? char32_t(0xFFFD) : c.value);
        i += c.units;
    }
    return out;
}

QString pathFromNative(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        char32_t cp = 0;
        const int len = utf8CharAt(bytes, i, cp);
        if (len == 0) {
            out += rawByteChar(static_cast<unsigned char>(bytes[i]));
            ++i;
            continue;
        }
        if (len == 1)
            out += QChar(char16_t(cp));
        else
            out += QString::fromUcs4(&cp, 1);
        i += len;
    }
    return out;
}

bool sameFile(const FileFacts& a, const FileFacts& b)
{
    return a.exists() && b.exists() && a.device == b.device && a.inode == b.inode;
}

#ifndef _WIN32

FileFacts fileFacts(const QString& path)
{
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0) {
        FileFacts f;
        if (errno != ENOENT && errno != ENOTDIR)
            f.systemError = errno;
        return f;
    }
    return factsOf(st);
}

BoundedRead readFileAtMost(const QString& path, int64_t limit, const QString& action, ReadSource source, int pipeWaitMs)
{
    const QByteArray native = nativePath(path);
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0) {
        const int err = native.isEmpty() ? ENOENT : errno;
        if (err == ENOENT)
            throw QmError(53, action, path, QStringLiteral("no such file"));
        throw QmError(75, action, path, systemReason(err));
    }
    // Devices and folders are refused before they are opened: opening some
    // devices already does something.
    if (const QString why = refusedKind(factsOf(st), source); !why.isEmpty())
        throw QmError(75, action, path, why);
    // Not blocking: a pipe without a writer must not hold the open forever.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        throw QmError(err == ENOENT ? 53 : 75, action, path, err == ENOENT ? QStringLiteral("no such file") : systemReason(err));
    }
    BoundedRead r;
    int err = 0;
    struct stat opened;
    QString why;
    if (::fstat(fd, &opened) != 0) {
        err = errno;
    } else if (why = refusedKind(factsOf(opened), source); why.isEmpty()) {
        if (S_ISFIFO(opened.st_mode))
            readPipe(fd, limit, r.data, pipeWaitMs, err);
        else
            readRegular(fd, limit, r.data, static_cast<int64_t>(opened.st_size), err);
    }
    ::close(fd);
    if (!why.isEmpty())
        throw QmError(75, action, path, why);
    if (err == ETIMEDOUT)
        throw QmError(75, action, path,
                      QStringLiteral("the pipe sent nothing for %1 seconds").arg(QString::number(pipeWaitMs / 1000.0)));
    if (err != 0)
        throw QmError(75, action, path, systemReason(err));
    if (r.data.size() > limit) {
        r.longer = true;
        r.data.truncate(static_cast<qsizetype>(limit));
    }
    return r;
}

namespace {

// Puts the finished temporary file under target only when no file has that
// name: renameat2 with RENAME_NOREPLACE where the kernel and file system
// have it, else a hard link (which fails on an existing name) and the
// removal of the temporary name. Returns 0 or the errno (EEXIST: taken).
int placeAsNewFile(const QByteArray& temp, const QByteArray& target)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    if (::link(temp.constData(), target.constData()) != 0)
        return errno;
    ::unlink(temp.constData());
    return 0;
}

} // namespace

void saveFile(const QString& path, const QByteArray& data, const QString& action, SaveMode mode)
{
    QByteArray target = nativePath(path);
    if (target.isEmpty())
        throw QmError(75, action, path, QStringLiteral("no file name"));

    struct stat st;
    bool existed = false;
    if (mode == SaveMode::NewFileOnly) {
        struct stat lst;
        if (::lstat(target.constData(), &lst) == 0)
            throw QmError(58, action, path, QStringLiteral("it exists already; it is never replaced"));
    } else if (::stat(target.constData(), &st) == 0) {
        existed = true;
        if (const QString why = unreplaceable(factsOf(st)); !why.isEmpty())
            throw QmError(75, action, path, why);
        // Through a symbolic link the file it points to is replaced; the
        // link stays a link.
        struct stat lst;
        if (::lstat(target.constData(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
            if (char* real = ::realpath(target.constData(), nullptr)) {
                target = real;
                std::free(real);
            }
        }
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    // The temporary name: the target's name (shortened so that the whole
    // stays within the name length limits) and a random part.
    const QByteArray base = target.mid(slash + 1).left(200);

    int fd = -1;
    int slot = -1;
    QByteArray temp;
    auto fail = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        if (!temp.isEmpty())
            ::unlink(temp.constData());
        releaseTemp(slot);
        throw QmError(errorNumberOf(err), action, path, systemReason(err));
    };

    if (const int e = injected(SaveStep::Create, {}))
        fail(e);
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = folder + '/' + base + '.' + randomSuffix() + ".tmp";
        // 0666 less the umask, as any new file; an existing target's mode below.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            const int err = errno;
            if (err == EEXIST && attempt < 100)
                continue;
            temp.clear();
            fail(err);
        }
    }
    slot = registerTemp(temp);
    if (existed) {
        // The new file keeps the old one's permissions (and its owner and
        // group, where this process may set them).
        (void)::fchmod(fd, st.st_mode & 07777);
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd, st.st_uid, st.st_gid);
    }

    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        if (const int e = injected(SaveStep::Write, temp))
            fail(e);
        const ssize_t n = ::write(fd, p, static_cast<size_t>(std::min<qsizetype>(left, 1 << 20)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(EIO);
        p += n;
        left -= n;
    }
    // Nothing is buffered in this process (plain writes); fsync puts the data
    // on the disk before the name points at it.
    if (const int e = injected(SaveStep::Sync, temp))
        fail(e);
    if (::fsync(fd) != 0)
        fail(errno);
    const int injectedClose = injected(SaveStep::Close, temp);
    const int closed = ::close(fd);
    const int closeErr = errno;
    fd = -1;
    if (injectedClose)
        fail(injectedClose);
    if (closed != 0)
        fail(closeErr);
    if (const int e = injected(SaveStep::Rename, temp))
        fail(e);
    if (mode == SaveMode::NewFileOnly) {
        if (const int e = placeAsNewFile(temp, target)) {
            if (e != EEXIST)
                fail(e);
            ::unlink(temp.constData());
            releaseTemp(slot);
            throw QmError(58, action, path, QStringLiteral("it exists already; it is never replaced"));
        }
    } else if (::rename(temp.constData(), target.constData()) != 0) {
        fail(errno);
    }
    releaseTemp(slot);
    // The rename itself reaches the disk with the folder's fsync, where the
    // file system allows one.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

void removeTemporaryFilesOnSignals()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = removeTempsAndStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

#else // _WIN32: the same contract on Qt's own file classes.

FileFacts fileFacts(const QString& path)
{
    const QFileInfo info(path);
    FileFacts f;
    if (!info.exists())
        return f;
    f.kind = info.isDir() ? FileFacts::Kind::Folder : info.isFile() ? FileFacts::Kind::Regular : FileFacts::Kind::Other;
    f.size = info.size();
    // No inode here: the canonical path stands in for the identity.
    f.inode = qHash(info.canonicalFilePath().toLower());
    return f;
}

BoundedRead readFileAtMost(const QString& path, int64_t limit, const QString& action, ReadSource, int)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw QmError(53, action, path, QStringLiteral("no such file"));
    if (info.isDir())
        throw QmError(75, action, path, QStringLiteral("it is a folder"));
    if (!info.isFile())
        throw QmError(75, action, path, QStringLiteral("it is a device, not a regular file"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw QmError(75, action, path, f.errorString());
    BoundedRead r;
    r.data = f.read(limit + 1);
    if (f.error() != QFile::NoError)
        throw QmError(75, action, path, f.errorString());
    if (r.data.size() > limit) {
        r.longer = true;
        r.data.truncate(static_cast<qsizetype>(limit));
    }
    return r;
}

void saveFile(const QString& path, const QByteArray& data, const QString& action, SaveMode mode)
{
    const QFileInfo info(path);
    if (mode == SaveMode::NewFileOnly && (info.exists() || info.isSymLink()))
        throw QmError(58, action, path, QStringLiteral("it exists already; it is never replaced"));
    if (info.isDir())
        throw QmError(75, action, path, QStringLiteral("it is a folder"));
    if (info.exists() && !info.isFile())
        throw QmError(75, action, path, QStringLiteral("it is a device, not a regular file"));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        throw QmError(75, action, path, f.errorString());
}

void removeTemporaryFilesOnSignals() {}

#endif

QByteArray readWholeFile(const QString& path)
{
    const QString action = QStringLiteral("read file");
    BoundedRead r = readFileAtMost(path, kWholeFileLimit, action, ReadSource::RegularFile);
    if (r.longer)
        throw QmError(7, action, path, QStringLiteral("it is larger than %1 MiB").arg(kWholeFileLimit >> 20));
    return r.data;
}

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    try {
        saveFile(path, data, QStringLiteral("save file"));
        return true;
    } catch (const QmError& e) {
        if (error)
            *error = e.error().reason;
        return false;
    }
}

void setSaveFaultForTesting(SaveFault fault)
{
    saveFault() = std::move(fault);
}

} // namespace qm
