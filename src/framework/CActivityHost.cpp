#include "CActivityHost.h"

#include "TickClock.h"

namespace {
CActivityHost* g_current = nullptr;
}

CActivityHost::CActivityHost() {
    m_lastActivity = TickClock::Now();
    g_current = this;
}

CActivityHost::~CActivityHost() {
    if (g_current == this)
        g_current = nullptr;
}

void CActivityHost::StampActivity() {
    m_lastActivity = TickClock::Now();
}

bool CActivityHost::IsIdleTimeUp() const {
    const quint32 elapsed = TickClock::Now() - m_lastActivity;
    return elapsed / 1000 > m_timeoutSeconds;
}

bool CActivityHost::UnlockForClose() {
    m_locked = 0;
    StampActivity();
    return true;
}

void CActivityHost::RequestResume(int commandId) {
    if (!m_resumeRequests.contains(commandId))
        m_resumeRequests.append(commandId);
}

CActivityHost* CActivityHost::Current() {
    return g_current;
}

void StampActivity() {
    if (CActivityHost* host = CActivityHost::Current())
        host->StampActivity();
}
