#include "util/LocalHttpServer.h"

#include <httplib.h>

#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vh::test {

namespace {

enum class Kind
{
    Body,
    Slow,
    Chunked,
    Redirect,
    Stall,
    StallAfter
};

struct Route
{
    Kind kind = Kind::Body;
    std::string body;
    std::string contentType = "text/html";
    int delayMs = 0;      // before the answer
    int chunkDelayMs = 0; // before each piece of a slow body
    std::size_t chunk = 0;
    std::size_t sent = 0;
    std::string target;
};

} // namespace

struct LocalHttpServer::State
{
    httplib::Server server;
    std::thread thread;
    int port = -1;

    mutable std::mutex mutex;
    std::condition_variable released;
    bool stalling = true;
    bool stopping = false;
    std::map<std::string, Route> routes;
    std::map<std::string, int> hits;
    QStringList requests;
    int inFlight = 0;
    int maxInFlight = 0;

    // Waits until the stalls are released or the server stops; bounded either way.
    void waitWhileStalled()
    {
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::milliseconds(MaxStallMs), [this] { return !stalling || stopping; });
    }

    void sleepUnlessStopping(int ms)
    {
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
    }

    void handle(const httplib::Request& request, httplib::Response& response)
    {
        Route route;
        bool known = false;
        {
            std::lock_guard lock(mutex);
            ++hits[request.path];
            requests.append(QString::fromStdString(request.path));
            maxInFlight = std::max(maxInFlight, ++inFlight);
            const auto it = routes.find(request.path);
            if (it != routes.end()) {
                route = it->second;
                known = true;
            }
        }
        if (!known) {
            response.status = 404;
        } else {
            if (route.delayMs > 0)
                sleepUnlessStopping(route.delayMs);
            answer(route, response);
        }
        std::lock_guard lock(mutex);
        --inFlight;
    }

    void answer(const Route& route, httplib::Response& response)
    {
        switch (route.kind) {
        case Kind::Body:
            response.set_content(route.body, route.contentType.c_str());
            break;
        case Kind::Redirect:
            response.set_redirect(route.target);
            break;
        case Kind::Stall:
            waitWhileStalled();
            response.status = 503;
            break;
        case Kind::Slow:
            response.set_content_provider(
                route.body.size(), route.contentType.c_str(),
                [this, route](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    sleepUnlessStopping(route.chunkDelayMs);
                    const std::size_t n = std::min(route.chunk, length);
                    return sink.write(route.body.data() + offset, n);
                });
            break;
        case Kind::Chunked:
            response.set_chunked_content_provider(
                route.contentType.c_str(), [route](std::size_t offset, httplib::DataSink& sink) {
                    if (offset >= route.body.size()) {
                        sink.done();
                        return true;
                    }
                    return sink.write(route.body.data() + offset, std::min(route.chunk, route.body.size() - offset));
                });
            break;
        case Kind::StallAfter:
            response.set_content_provider(route.body.size(), route.contentType.c_str(),
                                          [this, route](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              if (offset < route.sent)
                                                  return sink.write(route.body.data() + offset, route.sent - offset);
                                              waitWhileStalled();
                                              return false;
                                          });
            break;
        }
    }

    void set(const QString& path, Route route)
    {
        std::lock_guard lock(mutex);
        routes[path.toStdString()] = std::move(route);
    }
};

LocalHttpServer::LocalHttpServer() : m_state(std::make_unique<State>())
{
    State* s = m_state.get();
    s->server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    s->server.set_keep_alive_timeout(1);
    s->server.Get(".*", [s](const httplib::Request& req, httplib::Response& res) { s->handle(req, res); });
    s->port = s->server.bind_to_any_port("127.0.0.1");
    if (s->port <= 0)
        return;
    s->thread = std::thread([s] { s->server.listen_after_bind(); });
    for (int i = 0; i < 500 && !s->server.is_running(); ++i)
        QThread::msleep(10);
}

LocalHttpServer::~LocalHttpServer()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->released.notify_all();
    m_state->server.stop();
    if (m_state->thread.joinable())
        m_state->thread.join();
}

bool LocalHttpServer::isRunning() const
{
    return m_state->server.is_running();
}

int LocalHttpServer::port() const
{
    return m_state->port;
}

QString LocalHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_state->port).arg(path);
}

void LocalHttpServer::serve(const QString& path, const QByteArray& body, int delayMs, const QByteArray& contentType)
{
    Route r;
    r.body = body.toStdString();
    r.delayMs = delayMs;
    r.contentType = contentType.toStdString();
    m_state->set(path, std::move(r));
}

void LocalHttpServer::serveSlowly(const QString& path, const QByteArray& body, qsizetype chunkBytes, int delayMs)
{
    Route r;
    r.kind = Kind::Slow;
    r.body = body.toStdString();
    r.chunk = std::size_t(std::max<qsizetype>(chunkBytes, 1));
    r.chunkDelayMs = delayMs;
    m_state->set(path, std::move(r));
}

void LocalHttpServer::serveChunked(const QString& path, const QByteArray& body, qsizetype chunkBytes)
{
    Route r;
    r.kind = Kind::Chunked;
    r.body = body.toStdString();
    r.chunk = std::size_t(std::max<qsizetype>(chunkBytes, 1));
    m_state->set(path, std::move(r));
}

void LocalHttpServer::redirect(const QString& path, const QString& targetPath)
{
    Route r;
    r.kind = Kind::Redirect;
    r.target = url(targetPath).toStdString();
    m_state->set(path, std::move(r));
}

void LocalHttpServer::stall(const QString& path)
{
    Route r;
    r.kind = Kind::Stall;
    m_state->set(path, std::move(r));
}

void LocalHttpServer::stallAfter(const QString& path, const QByteArray& body, qsizetype sentBytes)
{
    Route r;
    r.kind = Kind::StallAfter;
    r.body = body.toStdString();
    r.sent = std::size_t(std::clamp<qsizetype>(sentBytes, 0, body.size()));
    m_state->set(path, std::move(r));
}

void LocalHttpServer::releaseStalls()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stalling = false;
    }
    m_state->released.notify_all();
}

int LocalHttpServer::hits(const QString& path) const
{
    std::lock_guard lock(m_state->mutex);
    const auto it = m_state->hits.find(path.toStdString());
    return it == m_state->hits.end() ? 0 : it->second;
}

QStringList LocalHttpServer::requests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}

int LocalHttpServer::maxConcurrent() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->maxInFlight;
}

} // namespace vh::test
