#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

namespace quobel::testing {

// A scriptable HTTP server on 127.0.0.1 for fetch tests. It lives on the
// test's thread: the fetch's own event loop serves its sockets while the
// test waits for the answer. Each path can be given its own behaviour; every
// request is counted.
class HttpTestServer : public QObject {
    Q_OBJECT
public:
    struct Behaviour {
        enum class Kind {
            // Write `bytes`, then close the connection (or leave it open).
            Raw,
            // Read the request and never answer.
            Silence,
            // Write `bytes`, then reset the connection (RST, not FIN).
            RawThenReset,
            // Write `bytes` (headers of a chunked answer), then chunks of
            // `chunk` for as long as the client keeps reading.
            EndlessChunks,
            // Write `bytes` one byte per `intervalMs`, never finishing.
            Trickle,
        };
        Kind kind = Kind::Raw;
        QByteArray bytes;
        QByteArray chunk;
        int intervalMs = 0;
        bool closeAfter = true;
    };

    // A complete answer with Content-Length and "Connection: close".
    static Behaviour Answer(int status, const QByteArray& reason, const QByteArray& body,
                            const QList<QByteArray>& extraHeaders = {});
    static Behaviour Raw(const QByteArray& bytes, bool closeAfter = true);
    static Behaviour Silence();
    // Headers announcing `declaredLength` body bytes, then only `body`.
    static Behaviour CutShort(const QByteArray& body, int declaredLength, bool reset);
    static Behaviour EndlessBody(const QByteArray& chunk);
    static Behaviour Redirect(const QByteArray& location);
    static Behaviour Trickle(const QByteArray& bytes, int intervalMs);

    explicit HttpTestServer(QObject* parent = nullptr);
    ~HttpTestServer() override;

    bool listening() const { return server_.isListening(); }
    QUrl url(const QString& path = QStringLiteral("/123.htm")) const;

    void setDefault(const Behaviour& behaviour) { default_ = behaviour; }
    void route(const QByteArray& path, const Behaviour& behaviour) { routes_[path] = behaviour; }

    // Runs when a request has been read, before it is answered.
    std::function<void()> onRequest;

    int requestCount() const { return requests_.size(); }
    // Request lines and headers as received, one entry per request.
    const QList<QByteArray>& requests() const { return requests_; }
    // Body bytes written by EndlessChunks behaviours so far.
    qint64 endlessBytesSent() const { return endlessBytesSent_; }

    // A loopback port that nothing listens on: bound, then released.
    static quint16 RefusedPort();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void serve(QTcpSocket* socket, const Behaviour& behaviour);
    void feedChunks(QTcpSocket* socket, const QByteArray& chunk);

    QTcpServer server_;
    Behaviour default_;
    QHash<QByteArray, Behaviour> routes_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QList<QByteArray> requests_;
    qint64 endlessBytesSent_ = 0;
};

} // namespace quobel::testing
