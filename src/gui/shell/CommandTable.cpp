#include "gui/shell/CommandTable.h"

#include "suite/rights/UserRights.h"

namespace liqiva {

namespace {

using A = Command::Availability;

struct Row {
    const char *key;
    const char *buttonKey;
    const char *menu;
    const char *toolbar;
    QString caption;
    QString buttonCaption;
    QString description;
    QStringList shortcuts;
    QString right;
    A availability;
    bool separatorBefore;
};

} // namespace

std::vector<Command> commandTable(const ObjectNames &n)
{
    const QString none;
    const QString &newSave = UserRights::NewSave;
    const QString &del = UserRights::Delete;
    const QString &search = UserRights::Search;
    const QString &print = UserRights::Print;
    const bool sep = true;

    // The captions of the general commands are the suite's own texts; those of the
    // settlement's commands are fixed.
    // clang-format off
    const std::vector<Row> rows = {
        // File
        {"Mnu_New", "New", "mnuFile", "Standard", u"&Nuovo"_qs, none, u"Crea una "_qs + n.newObject,
         {u"Control+N"_qs}, newSave, A::Always, false},
        {"Mnu_Close", "", "mnuFile", "", u"&Chiudi"_qs, none, u"Chiude la "_qs + n.active,
         {u"Control+F4"_qs, u"Control+W"_qs}, none, A::Document, false},
        {"Mnu_Save", "Save", "mnuFile", "Standard", u"&Salva"_qs, none, u"Salva la "_qs + n.active,
         {u"Control+S"_qs, u"Shift+F12"_qs}, newSave, A::Document, sep},
        {"Mnu_SaveAs", "", "mnuFile", "", u"Salva con &nome"_qs, none,
         u"Salva la "_qs + n.active + u" come nuova registrazione"_qs, {}, newSave, A::Document, false},
        {"Mnu_PrePrint", "PrePrint", "mnuFile", "Standard", u"Antepri&ma di stampa"_qs, none,
         u"Mostra l'anteprima di stampa della "_qs + n.active, {}, print, A::Document, sep},
        {"Mnu_Print", "Print", "mnuFile", "Standard", u"S&tampa..."_qs, none, u"Stampa la "_qs + n.active,
         {u"Control+P"_qs, u"Control+Shift+F12"_qs}, print, A::Document, false},
        {"Mnu_PrintBarCode", "", "mnuFile", "", u"Stampa &codici a barre"_qs, none,
         u"Stampa i codici a barre"_qs, {}, none, A::Later, false},
        {"Mnu_ImportaFatture", "", "mnuFile", "", u"&Importa fatture elettroniche..."_qs, none,
         u"Porta le fatture elettroniche emesse e ricevute nei contatori IVA"_qs, {}, newSave, A::Always, sep},
        {"Mnu_FattureImportate", "", "mnuFile", "", u"&Fatture importate"_qs, none,
         u"Elenca le fatture importate e annulla un'importazione"_qs, {}, search, A::Always, false},
        {"Mnu_RegoleImportazione", "", "mnuFile", "", u"&Regole di importazione..."_qs, none,
         u"Le scelte per fornitore che le fatture non danno: merci per la rivendita, IVA indetraibile, filiale"_qs, {},
         newSave, A::Always, false},
        {"Mnu_Exit", "", "mnuFile", "", u"&Esci"_qs, none, u"Chiude il programma"_qs, {}, none, A::Always, sep},
        // Edit
        {"Mnu_Delete", "Delete", "mnuEdit", "Standard", u"&Elimina"_qs, none, u"Elimina la "_qs + n.active,
         {u"Control+Delete"_qs}, del, A::Document, false},
        {"Mnu_Clear", "Clear", "mnuEdit", "Standard", u"&Annulla modifiche"_qs, none,
         u"Annulla le modifiche non salvate della "_qs + n.active, {u"F5"_qs}, none, A::Document, false},
        {"Mnu_Cut", "Cut", "mnuEdit", "Standard", u"&Taglia"_qs, none,
         u"Taglia la selezione e la copia negli Appunti"_qs, {u"Control+X"_qs}, none, A::Document, sep},
        {"Mnu_Copy", "Copy", "mnuEdit", "Standard", u"C&opia"_qs, none, u"Copia la selezione negli Appunti"_qs,
         {u"Control+C"_qs}, none, A::Document, false},
        {"Mnu_Paste", "Paste", "mnuEdit", "Standard", u"&Incolla"_qs, none, u"Incolla il contenuto degli Appunti"_qs,
         {u"Control+V"_qs}, none, A::Document, false},
        {"Mnu_Search", "Search", "mnuEdit", "Standard", u"&Ricerca"_qs, none,
         u"Ricerca "_qs + n.plural + u" secondo le condizioni indicate"_qs, {u"Control+T"_qs}, search, A::Always,
         sep},
        {"Mnu_SearchExecute", "SearchExecute", "mnuEdit", "Standard", u"Esegui ricerca"_qs, none,
         u"Esegue la ricerca con le condizioni indicate"_qs, {u"Control+E"_qs}, search, A::Document, false},
        {"Mnu_SearchPrevious", "SearchPrevious", "mnuEdit", "Standard", u"&Precedente"_qs, none,
         u"Visualizza la "_qs + n.name + u" precedente"_qs, {u"Control+PgUp"_qs}, search, A::Document, false},
        {"Mnu_SearchNext", "SearchNext", "mnuEdit", "Standard", u"S&uccessiva"_qs, none,
         u"Visualizza la "_qs + n.next, {u"Control+PgDown"_qs}, search, A::Document, false},
        // Display
        {"Mnu_SearchResult", "SearchResult", "mnuVisualize", "Standard", u"&Risultato della ricerca"_qs, none,
         u"Espone il risultato della ricerca"_qs, {}, search, A::Document, false},
        {"Mnu_SearchTable", "", "mnuVisualize", "", u"Modalità &tabella"_qs, none,
         u"Espone "_qs + n.plural + u" in modo <tabella>."_qs, {u"Control+M"_qs}, search, A::Document, false},
        {"Mnu_SearchFilter", "", "mnuVisualize", "", u"Mo&dalità filtri"_qs, none,
         u"Espone "_qs + n.plural + u" in modo <filtri>."_qs, {u"Control+Shift+T"_qs}, search, A::Document, false},
        {"Mnu_SearchForm", "", "mnuVisualize", "", u"Modalità &scheda"_qs, none,
         u"Espone la "_qs + n.name + u" selezionata in modo <scheda>."_qs, {u"Control+F"_qs}, search, A::Document,
         false},
        {"Mnu_ToolBar", "", "mnuVisualize", "", u"&Barre degli strumenti..."_qs, none,
         u"Personalizza le barre degli strumenti"_qs, {}, none, A::Always, sep},
        {"Mnu_Folders", "", "mnuVisualize", "", u"&Riquadro attività"_qs, none,
         u"Mostra o nasconde il riquadro attività"_qs, {u"Control+F1"_qs}, none, A::Always, false},
        // Tools
        {"Mnu_Export", "Export", "mnuTools", "Standard", u"&Esporta..."_qs, none,
         u"Esporta la "_qs + n.active + u" in un file"_qs, {}, print, A::Document, false},
        {"Mnu_ExportWord", "", "mnuExport", "", u"Documento &Word"_qs, none,
         u"Esporta la "_qs + n.active + u" in un documento Word"_qs, {}, print, A::Document, false},
        {"Mnu_ExportExcel", "", "mnuExport", "", u"Foglio &Excel"_qs, none,
         u"Esporta la "_qs + n.active + u" in un foglio Excel"_qs, {}, print, A::Document, false},
        {"Mnu_ExportHtml", "", "mnuExport", "", u"Pagina &HTML"_qs, none,
         u"Esporta la "_qs + n.active + u" in una pagina HTML"_qs, {}, print, A::Document, false},
        {"Mnu_ExportPDF", "", "mnuExport", "", u"Documento &PDF"_qs, none,
         u"Esporta la "_qs + n.active + u" in un documento PDF"_qs, {}, print, A::Document, false},
        {"Mnu_SendTo", "", "mnuTools", "", u"&Invia a..."_qs, none,
         u"Invia la "_qs + n.active + u" per posta elettronica"_qs, {}, print, A::Document, false},
        {"Mnu_Option", "", "mnuTools", "", u"&Opzioni..."_qs, none, u"Imposta le opzioni del programma"_qs, {},
         none, A::Always, sep},
        {"Mnu_UpdatePriceList", "", "mnuTools", "", u"Aggiorna &listino"_qs, none, u"Aggiorna il listino"_qs, {},
         none, A::Later, false},
        {"Mnu_DescriptionsInLanguage", "", "mnuTools", "", u"Descri&zioni in lingua"_qs, none,
         u"Descrizioni in lingua"_qs, {}, none, A::Later, false},
        {"Mnu_AnnoLiquidazioni", "", "mnuTools", "", u"&Anno delle liquidazioni IVA..."_qs, none,
         u"Mostra lo stato e gli importi delle liquidazioni dell'anno, attività per attività"_qs, {}, none, A::Always,
         sep},
        {"Mnu_NuovaAzienda", "", "mnuTools", "", u"Nuova a&zienda..."_qs, none,
         u"Crea un'azienda con le sue attività, il primo anno IVA e il registro"_qs, {}, none, A::Always, sep},
        {"Mnu_ApriAnnoIva", "", "mnuTools", "", u"Apri a&nno IVA..."_qs, none,
         u"Apre l'anno IVA successivo con le impostazioni dell'anno precedente"_qs, {}, none, A::Always, false},
        {"Mnu_Utenti", "", "mnuTools", "", u"&Utenti e diritti..."_qs, none,
         u"Gestisce gli utenti, i loro gruppi e le password"_qs, {}, none, A::Always, false},
        {"Mnu_DatiIva", "DatiIva", "mnuTools", "ToolDip", u"&Dati IVA..."_qs, u"Dati IVA..."_qs,
         u"Avvia l'applicazione per la gestione dei Dati IVA"_qs, {}, none, A::Always, sep},
        {"Mnu_CreditiIva", "CreditiIva", "mnuTools", "ToolDip", u"&Crediti IVA..."_qs, u"Crediti IVA..."_qs,
         u"Avvia l'applicazione per la gestione dei Crediti IVA"_qs, {}, none, A::Always, false},
        {"Mnu_ControlloDateIva", "ControlloDateIva", "mnuTools", "ToolDip",
         u"Co&ntrollo congruenza date ai fini IVA..."_qs, u"Controllo congruenza date ai fini IVA..."_qs,
         u"Avvia l'applicazione per il controllo della congruenza delle date ai fini IVA"_qs, {}, none, A::Always,
         false},
        {"Mnu_RicostruzioneDatiIva", "RicostruzioneDatiIva", "mnuTools", "ToolDip", u"&Ricostruzione dati IVA..."_qs,
         u"Ricostruzione dati IVA..."_qs, u"Avvia l'applicazione per la ricostruzione dei dati IVA"_qs, {}, none,
         A::Always, false},
        {"Mnu_ComunicazioneLiqIVA", "ComunicazioneLiqIVA", "mnuTools", "ToolDip",
         u"Co&municazione liquidazioni IVA"_qs, u"Comunicazione liquidazioni IVA"_qs,
         u"Genera il file telematico per la comunicazione delle liquidazioni periodiche IVA"_qs, {}, none, A::Always,
         false},
        {"Mnu_DatiDip", "DatiDip", "mnuTools", "ToolDip", u"&Altri dati DIP..."_qs,
         u"Dati Dichiarazione IVA Periodica"_qs, u"Visualizza i dati relativi alla dichiarazione IVA periodica"_qs, {},
         none, A::Document, sep},
        {"Mnu_StampaDip", "StampaDip", "mnuTools", "ToolDip", u"&Stampa DIP..."_qs,
         u"Stampa Dichiarazione IVA Periodica"_qs, u"Stampa i dati relativi alla dichiarazione IVA periodica"_qs, {},
         print, A::Document, false},
        {"Mnu_DatiProRata", "DatiProRata", "mnuTools", "ToolDip", u"Gestione &Pro-rata..."_qs,
         u"Gestione Pro-rata"_qs, u"Visualizza i dati relativi alla gestione Pro-rata"_qs, {}, none, A::Document, false},
        {"Mnu_DatiAltreOperazioni", "DatiAltreOperazioni", "mnuTools", "ToolDip", u"Altre opera&zioni..."_qs,
         u"Gestione Altre operazioni"_qs, u"Visualizza i dati relativi alle altre operazioni per acconto"_qs, {}, none,
         A::Document, false},
        // Window
        {"Mnu_TileHorizzontal", "", "mnuWindow", "", u"Affianca &orizzontalmente"_qs, none,
         u"Dispone le finestre una sopra l'altra"_qs, {}, none, A::Document, false},
        {"Mnu_TileVertical", "", "mnuWindow", "", u"Affianca &verticalmente"_qs, none,
         u"Dispone le finestre una accanto all'altra"_qs, {}, none, A::Document, false},
        {"Mnu_Cascade", "", "mnuWindow", "", u"&Sovrapponi"_qs, none, u"Dispone le finestre sovrapposte"_qs, {}, none,
         A::Document, false},
        {"Mnu_DisposeIcon", "", "mnuWindow", "", u"Disponi &icone"_qs, none,
         u"Dispone le icone delle finestre ridotte"_qs, {}, none, A::Document, false},
        // Help
        {"Mnu_HelpOnLine", "", "mnuHelp", "", u"&Guida in linea"_qs, none, u"Guida sulla finestra attiva"_qs,
         {u"F1"_qs}, none, A::Always, false},
        {"Mnu_Arg", "", "mnuHelp", "", u"&Sommario della guida"_qs, none, u"Sommario degli argomenti della guida"_qs,
         {u"Shift+F1"_qs}, none, A::Always, false},
        {"Mnu_Web", "Web", "mnuHelp", "", u"Sito &web"_qs, none, u"Apre il sito web"_qs, {}, none, A::Always, sep},
        {"Mnu_Agg_Web", "Agg_Web", "mnuHelp", "", u"&Aggiornamenti dal web"_qs, none,
         u"Apre la pagina degli aggiornamenti"_qs, {}, none, A::Always, false},
        {"Mnu_Info", "", "mnuHelp", "", u"&Informazioni su "_qs + n.title, none,
         u"Informazioni sul programma"_qs, {}, none, A::Always, sep},
        // Field pop-ups
        {"Mnu_RunApplication", "", "mnuPopUp", "", u"&Apri applicazione"_qs, none,
         u"Avvia l'applicazione che gestisce il dato del campo"_qs, {u"Control+G"_qs}, none, A::Document, false},
        {"Mnu_SearchObject", "", "mnuPopUp", "", u"&Cerca"_qs, none, u"Cerca il dato del campo"_qs,
         {u"Control+R"_qs}, none, A::Document, false},
        {"Mnu_RunApplicationPriceList", "", "mnuPopUpPriceList", "", u"&Apri applicazione"_qs, none,
         u"Avvia l'applicazione che gestisce il dato del campo"_qs, {u"Control+G"_qs}, none, A::Document, false},
        {"Mnu_SearchObjectPriceList", "", "mnuPopUpPriceList", "", u"&Cerca"_qs, none, u"Cerca il dato del campo"_qs,
         {u"Control+R"_qs}, none, A::Document, false},
        {"Mnu_SearchArticlePriceList", "", "mnuPopUpPriceList", "", u"Cerca nel &listino"_qs, none,
         u"Cerca l'articolo nel listino"_qs, {u"Control+L"_qs}, none, A::Document, false},
    };

    std::vector<Command> out;
    out.reserve(rows.size());
    for (const Row &r : rows) {
        Command c;
        c.key = QString::fromLatin1(r.key);
        c.buttonKey = QString::fromLatin1(r.buttonKey);
        c.menu = QString::fromLatin1(r.menu);
        c.toolbar = QString::fromLatin1(r.toolbar);
        c.caption = r.caption;
        c.buttonCaption = r.buttonCaption;
        c.description = r.description;
        c.shortcuts = r.shortcuts;
        c.right = r.right;
        c.availability = r.availability;
        c.separatorBefore = r.separatorBefore;
        out.push_back(std::move(c));
    }
    return out;
}

const std::vector<MenuDefinition> &menuTable()
{
    static const std::vector<MenuDefinition> menus = {
        {u"mnuFile"_qs, u"&File"_qs, {}},
        {u"mnuEdit"_qs, u"&Modifica"_qs, {}},
        {u"mnuVisualize"_qs, u"&Visualizza"_qs, {}},
        {u"mnuTools"_qs, u"S&trumenti"_qs, {}},
        {u"mnuExport"_qs, u"Esporta &in"_qs, u"mnuTools"_qs},
        {u"mnuWindow"_qs, u"F&inestra"_qs, {}},
        {u"mnuHelp"_qs, u"&?"_qs, {}},
    };
    return menus;
}

const std::vector<std::pair<QString, QStringList>> &popupTable()
{
    static const std::vector<std::pair<QString, QStringList>> popups = {
        {u"mnuTable"_qs,
         {u"Mnu_SearchForm"_qs, u"Mnu_SearchFilter"_qs, u""_qs, u"Mnu_Search"_qs, u"Mnu_SearchPrevious"_qs,
          u"Mnu_SearchNext"_qs}},
        {u"mnuPopUp"_qs, {u"Mnu_RunApplication"_qs, u"Mnu_SearchObject"_qs}},
        {u"mnuPopUpPriceList"_qs,
         {u"Mnu_RunApplicationPriceList"_qs, u"Mnu_SearchObjectPriceList"_qs, u"Mnu_SearchArticlePriceList"_qs}},
    };
    return popups;
}

QStringList toolbarButtons(const QString &toolbar)
{
    if (toolbar == u"Standard"_qs)
        return {u"New"_qs,      u"Save"_qs,          u""_qs,           u"PrePrint"_qs,       u"Print"_qs,
                u""_qs,         u"Delete"_qs,        u"Clear"_qs,      u""_qs,               u"Cut"_qs,
                u"Copy"_qs,     u"Paste"_qs,         u""_qs,           u"Search"_qs,         u"SearchExecute"_qs,
                u"SearchPrevious"_qs, u"SearchNext"_qs, u"SearchResult"_qs, u""_qs,           u"Export"_qs};
    if (toolbar == u"ToolDip"_qs)
        return {u"DatiIva"_qs, u"CreditiIva"_qs, u"ControlloDateIva"_qs, u"RicostruzioneDatiIva"_qs,
                u"ComunicazioneLiqIVA"_qs, u""_qs, u"DatiDip"_qs, u"StampaDip"_qs, u"DatiProRata"_qs,
                u"DatiAltreOperazioni"_qs};
    return {};
}

} // namespace liqiva
