// Starting the program's window against starting the same widgets bare, as
// whole processes, in turns.
#include "stopwatch.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// The seconds from starting `program` until it has ended; negative if it
// could not start or failed. posix_spawn rather than fork: a fork would copy
// the page tables of this process, which holds far more than a probe.
double startAndWait(const QByteArray &program)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(program.constData()), nullptr};
    pid_t pid = 0;
    int status = 0;
    bool started = false;
    const double seconds = secondsTaken([&] {
        started = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ) == 0
            && waitpid(pid, &status, 0) == pid;
    });
    posix_spawn_file_actions_destroy(&actions);
    return started && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

void StartUp(benchmark::State &state)
{
    const auto probe = [&](const char *name) {
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name));
        return [&state, program] {
            const double seconds = startAndWait(program);
            if (seconds < 0)
                state.SkipWithError(qPrintable(QStringLiteral("%1 did not run").arg(QFile::decodeName(program))));
            return seconds;
        };
    };
    timeInTurns(state, 101, probe("probe_window"), probe("probe_bare"));
}

} // namespace

BENCHMARK(StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
