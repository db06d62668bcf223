#pragma once

#include "suite/ResourceStrings.h"
#include "suite/UsageRegister.h"

namespace liqiva {

class Connection;

// What a process that works on settlements without the main window (the command line)
// owes the other users: its settlements registered in the usage register while it holds
// them, the working settlements of dead processes cleared before it writes, and its
// registrations released when it ends (a process that dies leaves them stale).
class SettlementSession {
public:
    SettlementSession(Connection &db, int idUser, int idFunction);
    ~SettlementSession();

    // Removes the working settlements that no live session holds; returns how many.
    int removeAbandoned();
    // Registers a settlement as held by this session.
    void hold(int idRisultatoLiquidazioneIva);
    // Ends this session's hold on a settlement (a batch that moves on to the next one).
    void release(int idRisultatoLiquidazioneIva);
    // The user of another live session that holds the settlement; empty when none.
    QString holderOf(int idRisultatoLiquidazioneIva);

private:
    Connection &m_db;
    ResourceStrings m_texts;
    UsageRegister m_usage;
    int m_objectType = 0;
};

} // namespace liqiva
