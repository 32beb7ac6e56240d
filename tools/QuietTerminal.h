#pragma once

// Turns echo off on the terminal fd for as long as it lives, for a password prompt. The
// terminal gets its settings back on every way out: the end of the scope, and SIGINT,
// SIGTERM, SIGHUP and SIGQUIT, which then end the program as they would have. A stop (Ctrl+Z)
// gives echo back while stopped and takes it away again when the program continues.
class QuietTerminal {
public:
    explicit QuietTerminal(int fd);
    ~QuietTerminal();
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;
};
