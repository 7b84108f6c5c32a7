#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace vh::test {

// An HTTP server on 127.0.0.1 (a free port) for the suites that talk to the network. Routes answer with a
// body, after a delay, slowly, with a redirect, or stall: accept the request and send nothing (or part of
// the body) until released. Stalls end by themselves after MaxStallMs, and the destructor ends everything.
class LocalHttpServer final
{
public:
    static constexpr int MaxStallMs = 15000;

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool isRunning() const;
    int port() const;
    // "http://127.0.0.1:<port>" followed by path, which begins with "/".
    QString url(const QString& path) const;

    void serve(const QString& path, const QByteArray& body, int delayMs = 0,
               const QByteArray& contentType = QByteArrayLiteral("text/html"));
    // The body in pieces of chunkBytes with delayMs before each, with its length announced.
    void serveSlowly(const QString& path, const QByteArray& body, qsizetype chunkBytes, int delayMs);
    // The body without a length, in chunked encoding: the client cannot tell the size in advance.
    void serveChunked(const QString& path, const QByteArray& body, qsizetype chunkBytes);
    void redirect(const QString& path, const QString& targetPath);
    // Accepts the request and sends nothing at all.
    void stall(const QString& path);
    // Announces the body's length, sends its first sentBytes and then nothing more.
    void stallAfter(const QString& path, const QByteArray& body, qsizetype sentBytes);
    void releaseStalls();

    int hits(const QString& path) const;
    // The paths requested, in the order they arrived.
    QStringList requests() const;
    // The most requests whose handlers ran at the same time.
    int maxConcurrent() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace vh::test
