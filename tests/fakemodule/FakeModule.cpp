// A small module of the suite for the launcher's tests. It reads the hand-over block the
// launcher wrote into its section (named by LIQIVA_FAKE_SECTION), notes what it found in the
// section "FakeModuleSeen", says its window is up (hExe), works a moment and writes the key the
// user "chose" (IDField) back before it ends.
//
//   LIQIVA_FAKE_RESULT  the key written back (default 4242)
//   LIQIVA_FAKE_SLEEP   milliseconds of work (default 300)
//   LIQIVA_FAKE_NOWINDOW  set: never writes hExe (a module that does not start)

#include "suite/HandOverStore.h"
#include "suite/ResourceStrings.h"

#include <QCoreApplication>
#include <QThread>

using namespace liqiva;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString section = qEnvironmentVariable("LIQIVA_FAKE_SECTION");
    ResourceStrings texts;
    auto store = HandOverStore::forUser(texts.registryApplicationName());
    const QString seen = QStringLiteral("FakeModuleSeen");
    for (const QString &key : {HandOver::IDUser, HandOver::UserName, HandOver::lIDFirm, HandOver::TableName,
                               HandOver::Client, HandOver::IDFunction, QStringLiteral("Caption")})
        store->write(seen, key, store->read(section, key));
    store->write(seen, QStringLiteral("Arguments"), QCoreApplication::arguments().mid(1).join(u' '));
    if (qEnvironmentVariableIsEmpty("LIQIVA_FAKE_NOWINDOW"))
        store->write(section, HandOver::hExe, QString::number(QCoreApplication::applicationPid()));
    store->sync();
    const int sleep = qEnvironmentVariableIsSet("LIQIVA_FAKE_SLEEP") ? qEnvironmentVariableIntValue("LIQIVA_FAKE_SLEEP")
                                                                      : 300;
    QThread::msleep(sleep);
    store->write(section, HandOver::IDField,
                 qEnvironmentVariableIsSet("LIQIVA_FAKE_RESULT") ? qEnvironmentVariable("LIQIVA_FAKE_RESULT")
                                                                 : QStringLiteral("4242"));
    store->write(section, HandOver::hExe, QStringLiteral("1"));
    store->sync();
    return 0;
}
