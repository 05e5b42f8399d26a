#include "core/convert/PausableClock.h"

void PausableClock::start() {
    m_running.start();
    m_paused.invalidate();
    m_pausedMs = 0;
}

void PausableClock::pause() {
    if (!isPaused())
        m_paused.start();
}

void PausableClock::resume() {
    if (!isPaused())
        return;
    m_pausedMs += m_paused.elapsed();
    m_paused.invalidate();
}

qint64 PausableClock::elapsed() const {
    if (!m_running.isValid())
        return 0;
    return m_running.elapsed() - m_pausedMs - (isPaused() ? m_paused.elapsed() : 0);
}
