#pragma once

#include <QtGlobal>

// The idle and lock state that every window reports to. The main frame is the one host;
// dialogs and documents reach it through Current() so they do not depend on the shell.
class CActivityHost {
public:
    // Commands re-issued after an unlock, in the order the flags are kept.
    enum ResumeFlag {
        ResumeWelcomeAtStartup,
        ResumeWelcome,
        ResumeNew,
        ResumeLockOptions,
        ResumeOpen,
        ResumeSaveAs,
        ResumeAbout,
        ResumeFlagCount
    };

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

    // The host windows and dialogs report to; null before the main frame exists.
    static CActivityHost* Current();

    quint32 m_lastActivity = 0;
    quint32 m_timeoutSeconds = 10;
    quint8 m_locked = 0;
    quint8 m_resume[ResumeFlagCount] = {};
};

// Reports a user action to the current host, if there is one.
void StampActivity();
