#pragma once

#include <QByteArray>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs `work` in a forked child and returns the bytes it gave back: for faults a test must not
// bring upon itself (a file size limit, another user). The child ends without running exit
// handlers; when no pipe can be made, returns `failed`.
inline QByteArray inChildProcess(const std::function<QByteArray()>& work,
                                 const QByteArray& failed = "<no pipe>") {
    int channel[2];
    if (::pipe(channel) != 0)
        return failed;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const QByteArray result = work();
        [[maybe_unused]] const auto written = ::write(channel[1], result.constData(), size_t(result.size()));
        std::_Exit(0);
    }
    ::close(channel[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, got);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}
