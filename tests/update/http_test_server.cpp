#include "http_test_server.h"

#include <QTcpSocket>
#include <QTimer>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace quobel::testing {

namespace {
// Keep this much queued for an endless body: enough to keep the client busy,
// little enough that the server itself stays small.
constexpr qint64 kEndlessQueue = 256 * 1024;

QByteArray HeaderBlock(int status, const QByteArray& reason, const QList<QByteArray>& headers) {
    QByteArray block = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    for (const QByteArray& header : headers)
        block += header + "\r\n";
    return block + "\r\n";
}
} // namespace

HttpTestServer::Behaviour HttpTestServer::Answer(int status, const QByteArray& reason,
                                                 const QByteArray& body,
                                                 const QList<QByteArray>& extraHeaders) {
    QList<QByteArray> headers{"Content-Length: " + QByteArray::number(body.size()),
                              "Connection: close"};
    headers += extraHeaders;
    return Raw(HeaderBlock(status, reason, headers) + body);
}

HttpTestServer::Behaviour HttpTestServer::Raw(const QByteArray& bytes, bool closeAfter) {
    Behaviour b;
    b.bytes = bytes;
    b.closeAfter = closeAfter;
    return b;
}

HttpTestServer::Behaviour HttpTestServer::Silence() {
    Behaviour b;
    b.kind = Behaviour::Kind::Silence;
    return b;
}

HttpTestServer::Behaviour HttpTestServer::CutShort(const QByteArray& body, int declaredLength,
                                                   bool reset) {
    Behaviour b = Raw(HeaderBlock(200, "OK",
                                  {"Content-Length: " + QByteArray::number(declaredLength),
                                   "Connection: close"}) +
                      body);
    if (reset)
        b.kind = Behaviour::Kind::RawThenReset;
    return b;
}

HttpTestServer::Behaviour HttpTestServer::EndlessBody(const QByteArray& chunk) {
    Behaviour b;
    b.kind = Behaviour::Kind::EndlessChunks;
    b.bytes = HeaderBlock(200, "OK", {"Transfer-Encoding: chunked", "Content-Type: text/plain"});
    b.chunk = chunk;
    return b;
}

HttpTestServer::Behaviour HttpTestServer::Redirect(const QByteArray& location) {
    return Raw(HeaderBlock(302, "Found",
                           {"Location: " + location, "Content-Length: 0", "Connection: close"}));
}

HttpTestServer::Behaviour HttpTestServer::Trickle(const QByteArray& bytes, int intervalMs) {
    Behaviour b;
    b.kind = Behaviour::Kind::Trickle;
    b.bytes = bytes;
    b.intervalMs = intervalMs;
    return b;
}

HttpTestServer::HttpTestServer(QObject* parent) : QObject(parent) {
    default_ = Answer(200, "OK", "hello");
    connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::onNewConnection);
    server_.listen(QHostAddress::LocalHost, 0);
}

HttpTestServer::~HttpTestServer() {
    // The sockets belong to server_, which outlives the members their
    // handlers touch; they go first, quietly.
    server_.close();
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        delete socket;
    }
}

QUrl HttpTestServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

quint16 HttpTestServer::RefusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void HttpTestServer::onNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpTestServer::onReadyRead(QTcpSocket* socket) {
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray request = buffer.left(end);
    buffer.remove(0, end + 4);
    requests_ << request;
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray path = requestLine.value(1);
    if (onRequest)
        onRequest();
    serve(socket, routes_.value(path, default_));
}

void HttpTestServer::serve(QTcpSocket* socket, const Behaviour& behaviour) {
    using Kind = Behaviour::Kind;
    switch (behaviour.kind) {
    case Kind::Silence:
        return;
    case Kind::Raw:
        socket->write(behaviour.bytes);
        if (behaviour.closeAfter)
            socket->disconnectFromHost();
        return;
    case Kind::RawThenReset: {
        socket->write(behaviour.bytes);
        socket->flush();
        // A zero linger turns the close into a reset.
        const linger noLinger{1, 0};
#ifdef _WIN32
        ::setsockopt(static_cast<SOCKET>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                     reinterpret_cast<const char*>(&noLinger), sizeof noLinger);
#else
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                     sizeof noLinger);
#endif
        socket->abort();
        return;
    }
    case Kind::EndlessChunks: {
        socket->write(behaviour.bytes);
        const QByteArray chunk =
            QByteArray::number(behaviour.chunk.size(), 16) + "\r\n" + behaviour.chunk + "\r\n";
        connect(socket, &QTcpSocket::bytesWritten, socket,
                [this, socket, chunk] { feedChunks(socket, chunk); });
        feedChunks(socket, chunk);
        return;
    }
    case Kind::Trickle: {
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        const QByteArray bytes = behaviour.bytes;
        connect(timer, &QTimer::timeout, socket, [socket, bytes, sent] {
            // Past the script, the last byte repeats for ever.
            const qsizetype at = std::min(*sent, bytes.size() - 1);
            socket->write(bytes.mid(at, 1));
            ++*sent;
        });
        timer->start(behaviour.intervalMs);
        return;
    }
    }
}

void HttpTestServer::feedChunks(QTcpSocket* socket, const QByteArray& chunk) {
    while (socket->state() == QAbstractSocket::ConnectedState &&
           socket->bytesToWrite() < kEndlessQueue) {
        socket->write(chunk);
        endlessBytesSent_ += chunk.size();
    }
}

} // namespace quobel::testing
