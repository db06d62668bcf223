#include "support/ChildTask.h"

#include <QCoreApplication>
#include <QMap>

namespace liqiva::test {

namespace {
QMap<QString, ChildTaskFn> &tasks()
{
    static QMap<QString, ChildTaskFn> map;
    return map;
}
} // namespace

ChildTask::ChildTask(const char *name, ChildTaskFn fn)
{
    tasks().insert(QString::fromUtf8(name), std::move(fn));
}

std::unique_ptr<QProcess> startChild(const QString &name, const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(QCoreApplication::applicationFilePath(), QStringList{u"--child"_qs, name} + args);
    return p;
}

int runChildTaskIfAsked(int argc, char **argv)
{
    if (argc < 3 || QByteArray(argv[1]) != "--child")
        return -1;
    const QString name = QString::fromLocal8Bit(argv[2]);
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto it = tasks().constFind(name);
    if (it == tasks().constEnd())
        return 99;
    return (*it)(args);
}

} // namespace liqiva::test
