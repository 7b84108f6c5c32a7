#pragma once

#include <QObject>

class QSocketNotifier;

namespace vh::cli {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop. The first one asks for a clean stop; a second
// one ends the process at once with 128 + the signal number, for a collector that does not stop in time.
// One instance at a time: the handlers are process-wide.
class StopSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StopSignals)

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vh::cli
