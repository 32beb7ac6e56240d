#pragma once

#include <QList>
#include <QtGlobal>

// The idle and lock state that every window reports to. The main frame is the one host;
// dialogs and documents reach it through Current() so they do not depend on the program's
// shell. What runs again after an unlock, and in which order, is the host's own policy.
class CActivityHost {
public:
    CActivityHost();
    virtual ~CActivityHost();
    CActivityHost(const CActivityHost&) = delete;
    CActivityHost& operator=(const CActivityHost&) = delete;

    void StampActivity();
    // True when the whole seconds since the last activity exceed m_timeoutSeconds; the
    // subtraction wraps with the 32-bit clock.
    bool IsIdleTimeUp() const;

    // The password part of the unlock: asks for the screen password when one is set, then
    // removes the lock. False when the person gave up; the screen stays locked.
    virtual bool UnlockForClose();

    // A window the lock closed asks for its command to run again after the unlock. The
    // default keeps the ids in the order asked, once each.
    virtual void RequestResume(int commandId);
    const QList<int>& ResumeRequests() const { return m_resumeRequests; }
    void ClearResumeRequests() { m_resumeRequests.clear(); }

    // The host windows and dialogs report to; null before the main frame exists.
    static CActivityHost* Current();

    quint32 m_lastActivity = 0;
    quint32 m_timeoutSeconds = 10;
    quint8 m_locked = 0;

private:
    QList<int> m_resumeRequests;
};

// Reports a user action to the current host, if there is one.
void StampActivity();
