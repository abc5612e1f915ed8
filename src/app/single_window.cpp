#include "app/single_window.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace jotrak {

namespace {

constexpr int kAnswerWithinMs = 1000;
const QByteArray kToFront = QByteArrayLiteral("front\n");
constexpr qsizetype kLongestLine = 4096; // a caller sending more without a line end is not a Jotrak

// The socket file of a name: in the temporary folder, where Qt's local sockets keep theirs (older Jotrak
// releases served through them, and still find this one).
bool AddressOf(const QByteArray& file, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (file.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, file.constData(), static_cast<std::size_t>(file.size()));
    return true;
}

const sockaddr* AsAddress(const sockaddr_un& address)
{
    return reinterpret_cast<const sockaddr*>(&address);
}

// A socket connected to whoever serves file; -1 when nobody answers.
int Connect(const QByteArray& file)
{
    sockaddr_un address;
    if (!AddressOf(file, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return -1;
    // bounds the wait for a busy program to take the call, and for the write
    const timeval within{kAnswerWithinMs / 1000, (kAnswerWithinMs % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &within, sizeof within);
    if (::connect(socket, AsAddress(address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

} // namespace

SingleWindow::SingleWindow(const QString& dataDir, QObject* parent)
    : QObject(parent), file_(QFile::encodeName(QDir::tempPath() + u'/' + ServerName(dataDir)))
{
}

SingleWindow::~SingleWindow()
{
    for (QSocketNotifier* reader : findChildren<QSocketNotifier*>())
        ::close(static_cast<int>(reader->socket()));
    if (serving_)
        ::unlink(file_.constData());
    if (other_ >= 0)
        ::close(other_);
}

QString SingleWindow::ServerName(const QString& dataDir)
{
    const QFileInfo folder(dataDir);
    // a folder made only now (a first start) has no canonical path yet
    const QString path = folder.exists() ? folder.canonicalFilePath() : QDir::cleanPath(folder.absoluteFilePath());
    const QByteArray key = path.toUtf8() + '\0' + QByteArray::number(::getuid());
    return QStringLiteral("jotrak-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

bool SingleWindow::otherWindowOpen()
{
    if (other_ < 0)
        other_ = Connect(file_);
    return other_ >= 0;
}

bool SingleWindow::bringOtherToFront()
{
    if (!otherWindowOpen())
        return false;
    const bool told = ::send(other_, kToFront.constData(), static_cast<std::size_t>(kToFront.size()), MSG_NOSIGNAL) ==
                      kToFront.size();
    ::close(other_);
    other_ = -1;
    return told;
}

void SingleWindow::serve()
{
    if (other_ >= 0) {
        ::close(other_);
        other_ = -1;
    }
    sockaddr_un address;
    if (!AddressOf(file_, address))
        return; // this window still opens; later starts just do not find it
    // nobody answered on the name: what is there is left from a program that ended without removing it
    ::unlink(file_.constData());
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (server < 0)
        return;
    // the user's own programs only; none can call before listen()
    if (::bind(server, AsAddress(address), sizeof address) != 0 || ::chmod(file_.constData(), S_IRWXU) != 0 ||
        ::listen(server, SOMAXCONN) != 0) {
        ::close(server);
        return;
    }
    serving_ = true;
    auto* calls = new QSocketNotifier(server, QSocketNotifier::Read, this);
    connect(calls, &QSocketNotifier::activated, this, [this, server] {
        int caller = -1;
        while ((caller = ::accept4(server, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0)
            listenTo(caller);
    });
}

void SingleWindow::listenTo(int caller)
{
    auto* reader = new QSocketNotifier(caller, QSocketNotifier::Read, this);
    auto pending = std::make_shared<QByteArray>();
    connect(reader, &QSocketNotifier::activated, this, [this, reader, caller, pending] {
        char bytes[512];
        ssize_t read = 0;
        while ((read = ::read(caller, bytes, sizeof bytes)) > 0)
            pending->append(bytes, read);
        const bool ended = read == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        for (qsizetype end = pending->indexOf('\n'); end >= 0; end = pending->indexOf('\n')) {
            if (pending->first(end + 1) == kToFront)
                emit frontRequested();
            pending->remove(0, end + 1);
        }
        if (ended || pending->size() > kLongestLine) {
            delete reader;
            ::close(caller);
        }
    });
}

} // namespace jotrak
