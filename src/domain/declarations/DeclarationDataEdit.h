#pragma once

#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "suite/Questions.h"

#include <QString>
#include <optional>

namespace liqiva {

class Connection;

// The editing of the periodic declaration data ("Altri Dati Dichiarazione IVA Periodica"):
// what the dialog may change and shows, its checks and their messages. The dialog (and the
// command line's input) work on a copy in the shown unit; Conferma writes back into the
// settlement's object only what the user may enter.
class DatiDipEdit {
public:
    DatiDipEdit(Connection &db, AltriDatiDip &dip, bool soggettoRimborso, bool decimali);

    enum class Campo { Nessuno, Imposta, AliquotaMedia };

    int Anno() const;
    // The quarterly-taxpayer box belongs to the special regime of articles 73/74 (of the
    // activity, or of any activity of the company with a single compensated settlement).
    bool ContribuentiTrimAbilitato() const { return m_regime7374; }
    bool RimborsoAbilitato() const { return m_dip.SoggettoLegittRimb; }
    bool VersamentoInEuroFisso() const { return m_decimali; }
    QString Titolo() const;

    // The object as the dialog shows it: amounts in thousands of lire where whole lire are
    // kept, the boxes that do not apply cleared.
    AltriDatiDip Mostrati() const;
    // The VP3 tax may not exceed its taxable amount.
    static bool ImpostaValida(Money imponibile, Money imposta) { return imposta <= imponibile; }
    // The field the check of the shown values refuses, Nessuno when none.
    Campo Errato(const AltriDatiDip &shown) const;
    // Checks the shown values and writes them back; a Refusal with the message otherwise
    // (Errato says the field to correct).
    void Conferma(const AltriDatiDip &shown);

    static QString titolo() { return QStringLiteral("Altri Dati Dichiarazione IVA Periodica"); }
    static QString msgImpostaMaggiore();
    static QString msgSelezionareVoce();

private:
    Connection &m_db;
    AltriDatiDip &m_dip;
    bool m_soggetto;
    bool m_decimali;
    bool m_regime7374 = false;
};

// The data of the annual VAT communication the user enters: the imports without VAT at
// customs and "Eventi eccezionali".
class DatiCADIEdit {
public:
    DatiCADIEdit(Connection &db, DatiCADI &cadi, bool decimali);

    int Anno() const;
    DatiCADI Mostrati() const;
    // The question the caller asks before Conferma: a tax above its taxable amount.
    std::optional<Question> Domanda(const DatiCADI &shown) const;
    // Writes the shown values back (the caller has asked the question, answered yes).
    void Conferma(const DatiCADI &shown);

    static QString titolo() { return QStringLiteral("Comunicazione annuale dati IVA"); }
    static QString questionImpostaMaggiore();

private:
    Connection &m_db;
    DatiCADI &m_cadi;
    bool m_decimali;
};

} // namespace liqiva
