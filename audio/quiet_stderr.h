#pragma once

#include <fcntl.h>
#include <unistd.h>

// PortAudio and the sound libraries below it print their probing to the
// console; the program keeps it quiet while it starts the library and opens devices.
class CQuietStderr {
public:
    CQuietStderr() : m_saved(dup(STDERR_FILENO))
    {
        const int null = open("/dev/null", O_WRONLY);
        // With standard error closed, /dev/null takes its place and keeps it
        // for good: a file a library opens later must not become descriptor 2.
        if (null >= 0 && null != STDERR_FILENO) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~CQuietStderr()
    {
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int m_saved;
};
