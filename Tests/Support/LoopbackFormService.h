#pragma once

// A form-to-mail service on 127.0.0.1 for the mail tests: it reads each HTTP request whole
// (headers and Content-Length body), keeps it, and answers as the test says: with the given
// chunks of a reply page (written apart, a little time between them), by closing the
// connection without a word, or not at all.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class LoopbackFormService : public QObject {
public:
    enum class Behaviour { Answer, Close, Silent };

    struct Request {
        QByteArray head;   // request line and header lines
        QByteArray body;
        QByteArray header(const QByteArray& name) const
        {
            for (const QByteArray& line : head.split('\n')) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                    return line.mid(colon + 1).trimmed();
            }
            return {};
        }
    };

    LoopbackFormService()
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                auto* buffer = new QByteArray;
                QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket, buffer] { read(socket, *buffer); });
            }
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/form").arg(server_.serverPort())); }

    Behaviour behaviour = Behaviour::Answer;
    QList<QByteArray> chunks;   // the reply page, written in these pieces
    int answerDelayMs = 0;      // before the first piece
    QList<Request> requests;

private:
    void read(QTcpSocket* socket, QByteArray& buffer)
    {
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        Request request;
        request.head = buffer.left(end);
        const qsizetype length = request.header("Content-Length").toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        buffer.clear();
        requests.append(request);
        if (behaviour == Behaviour::Silent)
            return;
        if (behaviour == Behaviour::Close) {
            socket->disconnectFromHost();
            return;
        }
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(answerDelayMs, socket, [this, guarded] {
            if (guarded)
                guarded->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n");
            writeChunk(guarded, 0);
        });
    }

    void writeChunk(QPointer<QTcpSocket> socket, int index)
    {
        if (!socket)
            return;
        if (index >= chunks.size()) {
            socket->disconnectFromHost();
            return;
        }
        socket->write(chunks.at(index));
        socket->flush();
        QTimer::singleShot(60, socket, [this, socket, index] { writeChunk(socket, index + 1); });
    }

    QTcpServer server_;
};
