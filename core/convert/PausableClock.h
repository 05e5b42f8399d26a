#pragma once

#include <QElapsedTimer>

// Wall-clock time that stands still while paused: how long a batch has
// been converting, not how long it has existed.
class PausableClock final {
public:
    void start();
    bool isValid() const { return m_running.isValid(); }
    void pause();
    void resume();
    bool isPaused() const { return m_paused.isValid(); }
    qint64 elapsed() const;

private:
    QElapsedTimer m_running;
    QElapsedTimer m_paused; // valid while paused
    qint64 m_pausedMs = 0;  // of the pauses that have ended
};
