#include "app/single_window.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace jotrak {

namespace {

constexpr int kAnswerWithinMs = 1000;
const QByteArray kToFront = QByteArrayLiteral("front\n");

} // namespace

SingleWindow::SingleWindow(const QString& dataDir, QObject* parent)
    : QObject(parent), name_(ServerName(dataDir)), other_(new QLocalSocket(this))
{
}

SingleWindow::~SingleWindow() = default;

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
    if (other_->state() == QLocalSocket::ConnectedState)
        return true;
    other_->connectToServer(name_);
    return other_->waitForConnected(kAnswerWithinMs);
}

bool SingleWindow::bringOtherToFront()
{
    if (!otherWindowOpen())
        return false;
    other_->write(kToFront);
    const bool told = other_->waitForBytesWritten(kAnswerWithinMs);
    other_->disconnectFromServer();
    return told;
}

void SingleWindow::serve()
{
    other_->abort();
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // nobody answered on the name: what is there is left from a program that ended without removing it
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_))
        return; // this window still opens; later starts just do not find it
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
                while (caller->canReadLine())
                    if (caller->readLine() == kToFront)
                        emit frontRequested();
            });
        }
    });
}

} // namespace jotrak
