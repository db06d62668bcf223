#pragma once

#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>

namespace liqiva::test {

// Work that a test runs in other processes (concurrent users, a process killed mid-way):
// the test program starts itself again with "--child NAME ARGS..." and main() runs the task
// registered under that name instead of the tests. The task's return value is the exit code.
using ChildTaskFn = std::function<int(const QStringList &args)>;

struct ChildTask {
    ChildTask(const char *name, ChildTaskFn fn);
};

// Starts this test program as a child running the named task.
std::unique_ptr<QProcess> startChild(const QString &name, const QStringList &args);

// Used by main(): runs the task when the command line asks for one. Returns -1 otherwise.
int runChildTaskIfAsked(int argc, char **argv);

} // namespace liqiva::test
