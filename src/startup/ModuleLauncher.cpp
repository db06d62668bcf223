#include "startup/ModuleLauncher.h"

#include "database/DbError.h"
#include "database/SqlValue.h"
#include "startup/WorkContext.h"
#include "suite/HandOverStore.h"
#include "suite/ResourceStrings.h"
#include "suite/UtilityServices.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace liqiva {

namespace {

const QString modulesSection = QStringLiteral("Modules");

// Keys the launcher writes beside those of the start-up's hand-over.
const QString captionKey = QStringLiteral("Caption");
const QString idFunzioneKey = QStringLiteral("IDFunzione");
const QString idTipoOggettoKey = QStringLiteral("IDTipoOggetto");
const QString hTableCallKey = QStringLiteral("HTableCall");

SqlStatement targetStatement(int functionKey)
{
    return u"SELECT Gestore.IDGestore, Gestore, Entita, Funzione,Funzione.IDTipoOggetto, TipoOggetto.Oggetto FROM "
           u"Gestore, TipoOggetto, Funzione"_qs
           u" WHERE Funzione.IDFunzione = "_qs +
           sqlParam(functionKey) +
           u" AND Funzione.IDTipoOggetto = TipoOggetto.IDTipoOggetto"_qs
           u" AND TipoOggetto.IDGestore = Gestore.IDGestore"_qs;
}

// A handle as the modules write it: a positive whole number, anything else none.
qint64 handleOf(const QString &text)
{
    bool ok = false;
    const qint64 h = text.trimmed().toLongLong(&ok);
    return ok && h >= 1 ? h : 0;
}

} // namespace

const QString ModuleLauncher::NoRightText = QStringLiteral("Diritti non sufficienti per avviare l'applicazione.");
const QString ModuleLauncher::RecalculateText = QStringLiteral(
    "Attenzione: se sono state apportate modifiche si consiglia di ricalcolare la liquidazione del periodo corrente.");

std::optional<ModuleLauncher::Target> ModuleLauncher::targetOf(const QString &commandKey)
{
    QString key = commandKey;
    if (key.startsWith(u"Mnu_"_qs))
        key = key.mid(4);
    if (key == u"DatiIva"_qs)
        return Target{u"DatiIva"_qs, u"ContatoreIva"_qs, 90, false};
    if (key == u"CreditiIva"_qs)
        return Target{u"CreditoIva"_qs, u"Credito"_qs, 196, true};
    if (key == u"ControlloDateIva"_qs)
        return Target{u"LOGDATAFINIIVA"_qs, u"TestataMovimentoContabile"_qs, 200, true};
    if (key == u"RicostruzioneDatiIva"_qs)
        return Target{u"WIZRICIVA"_qs, u"ContatoreIva"_qs, 199, true};
    return std::nullopt;
}

ModuleLauncher::ModuleLauncher(WorkContext &ctx, HandOverStore &store, UtilityServices &services,
                               const ResourceStrings &texts, Hooks hooks)
    : m_ctx(ctx), m_store(store), m_services(services), m_texts(texts), m_hooks(std::move(hooks))
{
}

QString ModuleLauncher::executableOf(const QString &name) const
{
    const QString configured = m_store.read(modulesSection, name).trimmed();
    if (!configured.isEmpty())
        return configured;
    QString path = m_store.read(HandOver::MenuSettings, HandOver::Path).trimmed();
#ifdef Q_OS_WIN
    return path + u"\\"_qs + name + u".exe"_qs;
#else
    if (!path.isEmpty() && !path.endsWith(u'/'))
        path += u'/';
    return path + name;
#endif
}

QString ModuleLauncher::msgNotInstalled(const QString &program)
{
    return u"Applicazione non installata: "_qs + QDir::toNativeSeparators(program);
}

QString ModuleLauncher::unavailableReason(const QString &commandKey) const
{
    const std::optional<Target> target = targetOf(commandKey);
    if (!target)
        return {};
    const QString program = executableOf(target->section);
    return QFileInfo(program).isExecutable() ? QString() : msgNotInstalled(program);
}

bool ModuleLauncher::handOverRunning(const QString &section)
{
    m_store.sync();
    const qint64 h = handleOf(m_store.read(section, HandOver::hExe));
    if (!h || !m_hooks.windowExists || !m_hooks.windowExists(h))
        return false;
    if (m_hooks.bringToFront)
        m_hooks.bringToFront(h);
    return true;
}

void ModuleLauncher::writeCommonKeys(const QString &section, const QString &tableName, const QString &caption)
{
    const WorkContext &c = m_ctx;
    m_store.write(section, HandOver::IDUser, QString::number(c.IDUser));
    m_store.write(section, HandOver::UserName, c.UserName);
    m_store.write(section, HandOver::Password, c.Password);
    m_store.write(section, HandOver::lIDBranch, QString::number(c.lIDBranch));
    m_store.write(section, HandOver::lIDActivity, QString::number(c.lIDActivity));
    m_store.write(section, captionKey, caption);
    m_store.write(section, HandOver::lIDFirm, QString::number(c.lIDFirm));
    m_store.write(section, HandOver::FirmName, c.FirmName);
    m_store.write(section, HandOver::TableName, tableName);
    m_store.write(section, HandOver::Branch, c.Branch);
}

bool ModuleLauncher::runModule(const QString &commandKey)
{
    const std::optional<Target> target = targetOf(commandKey);
    if (!target)
        return false;
    try {
        if (target->rightChecked && !m_services.hasRight(m_ctx.IDUser, target->functionKey, m_ctx.db())) {
            m_services.messageBox(NoRightText, Buttons::Ok, Icon::Warning);
            return false;
        }
    } catch (const DbError &e) {
        m_services.messageBox(e.message(), Buttons::Ok, Icon::Critical);
        return false;
    }
    // A module already running is brought forward; its hand-over stays as it is.
    if (handOverRunning(target->section))
        return false;
    writeCommonKeys(target->section, target->tableName, u"DatiIva"_qs);
    m_store.write(target->section, HandOver::IDFunction, QString::number(target->functionKey));
    m_store.sync();
    if (!runApplication(target->functionKey, 0, {}, target->tableName, u"DatiIva"_qs))
        return false;
    m_services.messageBox(RecalculateText, Buttons::Ok, Icon::Warning);
    return true;
}

bool ModuleLauncher::runMaintenanceOf(const QString &object, int objectKey, const QString &caption)
{
    int functionKey = 0;
    try {
        functionKey = m_ctx.db()
                          .scalar(u"SELECT MIN(Funzione.IDFunzione) FROM Funzione, TipoOggetto WHERE "
                                  u"Funzione.IDTipoOggetto = TipoOggetto.IDTipoOggetto AND TipoOggetto.Oggetto = ?"_qs,
                                  {object})
                          .toInt();
    } catch (const DbError &e) {
        m_services.messageBox(e.message(), Buttons::Ok, Icon::Critical);
        return false;
    }
    if (functionKey <= 0) {
        m_services.messageBox(u"La manutenzione di "_qs + caption +
                                  u" non è installata nella suite: impossibile avviarla da qui."_qs,
                              Buttons::Ok, Icon::Warning);
        return false;
    }
    return runApplication(functionKey, objectKey, {}, object, caption).has_value();
}

std::optional<ModuleLauncher::FunctionRow> ModuleLauncher::readFunction(int functionKey)
{
    FunctionRow row;
    try {
        {
            Recordset rs = m_ctx.db().openRecordset(targetStatement(functionKey));
            if (rs.eof()) {
                m_services.messageBox(QStringLiteral("La funzione %1 non è definita nella suite (tabelle Funzione, "
                                                     "TipoOggetto e Gestore): impossibile avviare l'applicazione.")
                                          .arg(functionKey),
                                      Buttons::Ok, Icon::Warning);
                return std::nullopt;
            }
            row.executable = rs.text(u"Entita"_qs).trimmed();
            row.functionName = rs.text(u"Funzione"_qs).trimmed();
            row.objectType = rs.integer(u"IDTipoOggetto"_qs);
        }
        if (!m_services.hasRight(m_ctx.IDUser, functionKey, m_ctx.db())) {
            m_services.messageBox(u"Attenzione, non si possiedono i diritti per utilizzare la manutenzione "_qs +
                                      row.functionName + u"."_qs,
                                  Buttons::Ok, Icon::Warning);
            return std::nullopt;
        }
    } catch (const DbError &e) {
        m_services.messageBox(e.message(), Buttons::Ok, Icon::Critical);
        return std::nullopt;
    }
    return row;
}

void ModuleLauncher::writeApplicationKeys(const FunctionRow &row, int functionKey, int objectKey,
                                          const QString &tableName, const QString &caption)
{
    const QString &section = row.executable;
    writeCommonKeys(section, tableName, caption.isEmpty() ? row.functionName : caption);
    m_store.write(section, HandOver::Client, m_ctx.executableName);
    m_store.write(section, HandOver::IDFunction, QString::number(functionKey));
    m_store.write(section, HandOver::IDField, QString::number(objectKey));
    m_store.write(section, idFunzioneKey, QString::number(functionKey));
    m_store.write(section, idTipoOggettoKey, QString::number(row.objectType));
    m_store.write(section, hTableCallKey, QString::number(objectKey));
}

void ModuleLauncher::moduleDidNotStart(const QString &why)
{
    m_services.messageBox(m_texts.text(ResourceStrings::ModuleDidNotStart) + u"\n"_qs + why, Buttons::Ok,
                          Icon::Warning);
}

bool ModuleLauncher::startModule(QProcess &process, const QString &program, const QString &parameters,
                                 const QString &section)
{
    process.setProgram(program);
    process.setArguments(QProcess::splitCommand(parameters));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(10000)) {
        moduleDidNotStart(u"Impossibile avviare "_qs + QDir::toNativeSeparators(program) + u": "_qs +
                          process.errorString());
        return false;
    }
    // Until the module says its window is up (or it has already done its work and ended).
    const QDeadlineTimer startDeadline(m_startTimeoutMs);
    for (;;) {
        m_store.sync();
        if (handleOf(m_store.read(section, HandOver::hExe)) || process.state() == QProcess::NotRunning)
            return true;
        if (startDeadline.hasExpired()) {
            process.kill();
            process.waitForFinished(3000);
            moduleDidNotStart(u"Applicazione: "_qs + QDir::toNativeSeparators(program));
            return false;
        }
        if (m_hooks.keepAlive)
            m_hooks.keepAlive();
        QThread::msleep(20);
    }
}

void ModuleLauncher::waitForModule(QProcess &process)
{
    if (m_hooks.waiting)
        m_hooks.waiting(true);
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(20);
        if (m_hooks.keepAlive)
            m_hooks.keepAlive();
    }
    if (m_hooks.waiting)
        m_hooks.waiting(false);
}

std::optional<int> ModuleLauncher::runApplication(int functionKey, int objectKey, const QString &parameters,
                                                  const QString &tableName, const QString &caption)
{
    const std::optional<FunctionRow> row = readFunction(functionKey);
    if (!row)
        return std::nullopt;
    const QString section = row->executable;
    writeApplicationKeys(*row, functionKey, objectKey, tableName, caption);
    if (handOverRunning(section)) {
        m_store.sync();
        return std::nullopt;
    }
    // The handle the module writes once its window is up; an old one does not count.
    m_store.remove(section, HandOver::hExe);
    m_store.sync();

    const QString program = executableOf(row->executable);
    // Not installed: that is the one reason (the time allowed to start never began).
    if (!QFileInfo(program).isExecutable()) {
        m_services.messageBox(msgNotInstalled(program), Buttons::Ok, Icon::Warning);
        return std::nullopt;
    }
    QProcess process;
    if (!startModule(process, program, parameters, section))
        return std::nullopt;
    waitForModule(process);

    if (process.exitStatus() == QProcess::CrashExit)
        m_services.messageBox(u"L'applicazione "_qs + row->functionName + u" è terminata in modo anomalo."_qs,
                              Buttons::Ok, Icon::Warning);
    m_store.sync();
    bool ok = false;
    const int chosen = m_store.read(section, HandOver::IDField).trimmed().toInt(&ok);
    return ok ? chosen : 0;
}

} // namespace liqiva
