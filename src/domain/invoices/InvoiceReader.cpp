#include "domain/invoices/InvoiceReader.h"

#include "suite/Refusal.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/objects.h>
#include <zip.h>

#include <memory>
#include <mutex>

namespace liqiva {

namespace {

// ---- the schema --------------------------------------------------------------------------

void collect(void *context, const xmlError *error)
{
    auto *lines = static_cast<QStringList *>(context);
    QString text = QString::fromUtf8(error->message ? error->message : "").trimmed();
    QString element;
    if (text.startsWith(u"Element '"_qs)) {
        const qsizetype end = text.indexOf(u"': "_qs);
        if (end > 0) {
            element = text.mid(9, end - 9);
            const qsizetype brace = element.lastIndexOf(u'}');
            if (brace >= 0)
                element = element.mid(brace + 1);
            text = text.mid(end + 3);
        }
    }
    QString line = element.isEmpty() ? text : QStringLiteral("elemento '%1': %2").arg(element, text);
    if (error->line > 0)
        line += QStringLiteral(" (riga %1)").arg(error->line);
    lines->append(line);
}

// The invoice schema, loaded once per process from the resources through a private folder,
// so that its import of the signature schema resolves beside it without a network.
struct InvoiceSchema {
    QTemporaryDir folder;
    xmlSchemaPtr schema = nullptr;
    QStringList errors;

    InvoiceSchema()
    {
        const QDir source(u":/schema/invoice"_qs);
        for (const QString &name : source.entryList({u"*.xsd"_qs}, QDir::Files)) {
            QFile in(source.filePath(name));
            QFile out(folder.filePath(name));
            if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0)
                errors << QStringLiteral("lo schema %1 non si prepara").arg(name);
        }
        const QByteArray path = QFile::encodeName(folder.filePath(u"Schema_del_file_xml_FatturaPA_v1.2.3.xsd"_qs));
        xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.constData());
        if (parser) {
            xmlSchemaSetParserStructuredErrors(parser, reinterpret_cast<xmlStructuredErrorFunc>(collect), &errors);
            schema = xmlSchemaParse(parser);
            xmlSchemaFreeParserCtxt(parser);
        }
        if (!schema && errors.isEmpty())
            errors << u"lo schema della fattura elettronica non si legge"_qs;
    }
};

const InvoiceSchema &invoiceSchema()
{
    static std::once_flag once;
    static std::unique_ptr<InvoiceSchema> s;
    std::call_once(once, [] { s = std::make_unique<InvoiceSchema>(); });
    return *s;
}

// ---- reading the document ----------------------------------------------------------------

struct DocFree {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};

bool named(const xmlNode *n, const char *name)
{
    return n && n->type == XML_ELEMENT_NODE && xmlStrcmp(n->name, reinterpret_cast<const xmlChar *>(name)) == 0;
}

const xmlNode *child(const xmlNode *n, const char *name)
{
    for (const xmlNode *c = n ? n->children : nullptr; c; c = c->next)
        if (named(c, name))
            return c;
    return nullptr;
}

const xmlNode *path(const xmlNode *n, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        n = child(n, name);
    return n;
}

QString text(const xmlNode *n)
{
    if (!n)
        return {};
    xmlChar *content = xmlNodeGetContent(n);
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(content)).trimmed();
    xmlFree(content);
    return s;
}

QString partyName(const xmlNode *anagrafica)
{
    const QString company = text(child(anagrafica, "Denominazione"));
    if (!company.isEmpty())
        return company;
    return (text(child(anagrafica, "Nome")) + u' ' + text(child(anagrafica, "Cognome"))).trimmed();
}

Money amount(const xmlNode *n, const char *what)
{
    const auto m = Money::parse(text(n));
    if (!m)
        throw Refusal(QStringLiteral("importo di %1 non leggibile (\"%2\")").arg(QLatin1String(what), text(n)));
    return *m;
}

// Parses the bytes: no network, no DTD loaded, no entity substituted, libxml2's own limits on
// depth and sizes kept (no XML_PARSE_HUGE).
std::unique_ptr<xmlDoc, DocFree> parseInvoiceXml(const QByteArray &xml)
{
    if (xml.size() > MaxInvoiceFileSize)
        throw Refusal(QStringLiteral("il file è di %1 byte, oltre il limite di %2: non è una fattura")
                          .arg(xml.size())
                          .arg(MaxInvoiceFileSize));
    xmlResetLastError();
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(xml.constData(), int(xml.size()), "fattura.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
    if (!doc) {
        const xmlError *e = xmlGetLastError();
        QString reason = QString::fromUtf8(e && e->message ? e->message : "").trimmed();
        if (e && e->line > 0)
            reason += QStringLiteral(" (riga %1)").arg(e->line);
        throw Refusal(QStringLiteral("non è un documento XML leggibile: %1").arg(reason));
    }
    if (doc->intSubset || doc->extSubset)
        throw Refusal(u"il documento dichiara una DTD (<!DOCTYPE ...>): una fattura elettronica non ne ha, "
                      u"il file è rifiutato senza leggerla"_qs);
    return doc;
}

// Refuses a document the tax authority's schema does not accept, with its first error.
void validateInvoice(xmlDoc *doc)
{
    const InvoiceSchema &schema = invoiceSchema();
    if (!schema.schema)
        throw Refusal(u"schema della fattura non disponibile: "_qs + schema.errors.join(u"; "_qs));
    QStringList errors;
    xmlSchemaValidCtxtPtr context = xmlSchemaNewValidCtxt(schema.schema);
    xmlSchemaSetValidStructuredErrors(context, reinterpret_cast<xmlStructuredErrorFunc>(collect), &errors);
    const int result = xmlSchemaValidateDoc(context, doc);
    xmlSchemaFreeValidCtxt(context);
    if (result != 0) {
        if (errors.isEmpty())
            errors << QStringLiteral("documento non valido (codice %1)").arg(result);
        throw Refusal(u"non è conforme allo schema della fattura elettronica: "_qs + errors.first());
    }
}

// The parties of the header, which every invoice of the file shares.
Invoice readParties(const xmlNode *root)
{
    const xmlNode *header = child(root, "FatturaElettronicaHeader");
    const xmlNode *seller = path(header, {"CedentePrestatore", "DatiAnagrafici"});
    const xmlNode *buyer = path(header, {"CessionarioCommittente", "DatiAnagrafici"});
    Invoice base;
    base.sellerCountry = text(path(seller, {"IdFiscaleIVA", "IdPaese"}));
    base.sellerCode = text(path(seller, {"IdFiscaleIVA", "IdCodice"}));
    base.sellerName = partyName(child(seller, "Anagrafica"));
    base.buyerCountry = text(path(buyer, {"IdFiscaleIVA", "IdPaese"}));
    base.buyerCode = text(path(buyer, {"IdFiscaleIVA", "IdCodice"}));
    base.buyerTaxCode = text(child(buyer, "CodiceFiscale"));
    base.buyerName = partyName(child(buyer, "Anagrafica"));
    return base;
}

// One body: its document data and its VAT summary lines.
Invoice readBody(const xmlNode *body, const Invoice &base)
{
    Invoice inv = base;
    const xmlNode *general = path(body, {"DatiGenerali", "DatiGeneraliDocumento"});
    inv.type = text(child(general, "TipoDocumento"));
    inv.currency = text(child(general, "Divisa"));
    inv.number = text(child(general, "Numero"));
    inv.date = QDate::fromString(text(child(general, "Data")), Qt::ISODate);
    if (inv.currency != u"EUR"_qs)
        throw Refusal(QStringLiteral("la fattura %1 è in %2: si importano solo fatture in euro (EUR)")
                          .arg(inv.number, inv.currency));
    if (!inv.date.isValid())
        throw Refusal(QStringLiteral("la fattura %1 non ha una data valida").arg(inv.number));
    const xmlNode *goods = child(body, "DatiBeniServizi");
    for (const xmlNode *r = goods ? goods->children : nullptr; r; r = r->next) {
        if (!named(r, "DatiRiepilogo"))
            continue;
        InvoiceSummaryLine line;
        const auto rate = Percent::parse(text(child(r, "AliquotaIVA")));
        if (!rate)
            throw Refusal(QStringLiteral("aliquota non leggibile nella fattura %1").arg(inv.number));
        line.rate = *rate;
        line.nature = text(child(r, "Natura"));
        line.taxable = amount(child(r, "ImponibileImporto"), "ImponibileImporto");
        line.tax = amount(child(r, "Imposta"), "Imposta");
        const QString e = text(child(r, "EsigibilitaIVA"));
        line.esigibilita = e.isEmpty() ? u'I' : e[0];
        inv.lines.push_back(line);
    }
    return inv;
}

} // namespace

std::vector<Invoice> readInvoices(const QByteArray &xml)
{
    const std::unique_ptr<xmlDoc, DocFree> doc = parseInvoiceXml(xml);
    validateInvoice(doc.get());
    const xmlNode *root = xmlDocGetRootElement(doc.get());
    const Invoice base = readParties(root);
    std::vector<Invoice> invoices;
    for (const xmlNode *body = root->children; body; body = body->next)
        if (named(body, "FatturaElettronicaBody"))
            invoices.push_back(readBody(body, base));
    return invoices;
}

QByteArray contentOfSignedFile(const QByteArray &bytes)
{
    if (bytes.size() > 2 * MaxInvoiceFileSize)
        throw Refusal(QStringLiteral("il file firmato è di %1 byte, oltre il limite").arg(bytes.size()));
    auto parse = [](const QByteArray &der) -> CMS_ContentInfo * {
        BIO *in = BIO_new_mem_buf(der.constData(), int(der.size()));
        CMS_ContentInfo *cms = d2i_CMS_bio(in, nullptr);
        BIO_free(in);
        return cms;
    };
    CMS_ContentInfo *cms = parse(bytes);
    if (!cms) {
        // Base64 of the envelope, with or without PEM armour and line breaks.
        QByteArray b64;
        for (const QByteArray &line : bytes.split('\n'))
            if (!line.trimmed().startsWith("-----"))
                b64 += line.trimmed();
        const auto decoded = QByteArray::fromBase64Encoding(b64, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            cms = parse(*decoded);
    }
    if (!cms)
        throw Refusal(u"la busta firmata (.p7m) non si apre: non è CMS né CMS in base64"_qs);
    QByteArray content;
    const bool isSigned = OBJ_obj2nid(CMS_get0_type(cms)) == NID_pkcs7_signed;
    ASN1_OCTET_STRING **inner = isSigned ? CMS_get0_content(cms) : nullptr;
    if (inner && *inner)
        content = QByteArray(reinterpret_cast<const char *>((*inner)->data), (*inner)->length);
    CMS_ContentInfo_free(cms);
    if (!isSigned)
        throw Refusal(u"la busta .p7m non è una busta firmata (SignedData)"_qs);
    if (content.isEmpty())
        throw Refusal(u"la busta firmata (.p7m) non contiene il documento (firma separata)"_qs);
    return content;
}

namespace {

bool isSignedName(const QString &name)
{
    return name.endsWith(u".p7m"_qs, Qt::CaseInsensitive);
}

bool isInvoiceName(const QString &name)
{
    return name.endsWith(u".xml"_qs, Qt::CaseInsensitive) || isSignedName(name);
}

bool isArchiveName(const QString &name)
{
    return name.endsWith(u".zip"_qs, Qt::CaseInsensitive);
}

void handOver(const QString &name, const QByteArray &bytes, const std::function<void(const InvoiceFile &)> &fn)
{
    InvoiceFile f;
    f.name = name;
    f.signedEnvelope = isSignedName(name);
    try {
        f.xml = f.signedEnvelope ? contentOfSignedFile(bytes) : bytes;
    } catch (const Refusal &r) {
        f.problem = r.message();
    }
    fn(f);
}

void readPlainFile(const QString &path, const std::function<void(const InvoiceFile &)> &fn)
{
    QFile file(path);
    const qsizetype limit = isSignedName(path) ? 2 * MaxInvoiceFileSize : MaxInvoiceFileSize;
    if (!file.open(QIODevice::ReadOnly)) {
        fn({path, {}, false, QStringLiteral("il file non si apre (%1)").arg(file.errorString())});
        return;
    }
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        fn({path, {}, false, QStringLiteral("il file supera %1 byte: non è una fattura").arg(limit)});
        return;
    }
    handOver(path, bytes, fn);
}

// What refuses an archive entry before it is read (its name, its size, its packing), or
// nothing; skip tells the entries that are no invoice and are passed over in silence.
QString entryProblem(const QString &entry, const zip_stat_t &st, zip_uint64_t limit, bool &skip)
{
    skip = false;
    if (entry.endsWith(u'/'))
        skip = true;
    else if (entry.startsWith(u'/') || entry.contains(u'\\') || entry.split(u'/').contains(u".."_qs))
        return u"nome con \"..\" o assoluto nell'archivio: voce rifiutata"_qs;
    else if (isArchiveName(entry))
        return u"archivio dentro un archivio: voce rifiutata"_qs;
    else if (!isInvoiceName(entry))
        skip = true;
    else if (st.size > limit)
        return QStringLiteral("voce di %1 byte, oltre il limite di %2").arg(st.size).arg(limit);
    else if (st.comp_size > 0 && st.size > 65536 && st.size / st.comp_size > 200)
        return QStringLiteral("voce compressa %1 volte: l'archivio è rifiutato come bomba di compressione")
            .arg(st.size / st.comp_size);
    return {};
}

// Reads an entry into bytes, never more than the limit whatever its header says; gives the
// problem, or nothing.
QString readEntry(zip_t *za, zip_int64_t index, zip_uint64_t limit, QByteArray &bytes)
{
    zip_file_t *zf = zip_fopen_index(za, zip_uint64_t(index), 0);
    if (!zf)
        return u"la voce non si legge"_qs;
    bytes = QByteArray(qsizetype(limit) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const zip_int64_t n = zip_fread(zf, bytes.data() + got, zip_uint64_t(bytes.size() - got));
        if (n <= 0) {
            if (n < 0)
                got = -1;
            break;
        }
        got += qsizetype(n);
    }
    zip_fclose(zf);
    if (got < 0)
        return u"la voce non si legge (archivio danneggiato)"_qs;
    if (zip_uint64_t(got) > limit)
        return u"la voce è più grande di quanto l'archivio dichiara: rifiutata"_qs;
    bytes.truncate(got);
    return {};
}

void readArchive(const QString &path, const std::function<void(const InvoiceFile &)> &fn)
{
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        fn({path,
            {},
            false,
            QStringLiteral("l'archivio non si apre (%1)").arg(QString::fromUtf8(zip_error_strerror(&e)))});
        zip_error_fini(&e);
        return;
    }
    const zip_int64_t entries = zip_get_num_entries(za, 0);
    if (entries > 100000) {
        fn({path, {}, false, QStringLiteral("l'archivio ha %1 voci: troppe").arg(entries)});
        zip_close(za);
        return;
    }
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, zip_uint64_t(i), 0, &st) != 0 || !st.name)
            continue;
        const QString entry = QString::fromUtf8(st.name);
        const QString shown = path + u'/' + entry;
        const zip_uint64_t limit = isSignedName(entry) ? 2 * MaxInvoiceFileSize : MaxInvoiceFileSize;
        bool skip = false;
        QString problem = entryProblem(entry, st, limit, skip);
        if (skip)
            continue;
        QByteArray bytes;
        if (problem.isEmpty())
            problem = readEntry(za, i, limit, bytes);
        if (!problem.isEmpty())
            fn({shown, {}, false, problem});
        else
            handOver(shown, bytes, fn);
    }
    zip_close(za);
}

void readPath(const QString &p, const std::function<void(const InvoiceFile &)> &fn, bool named)
{
    const QFileInfo info(p);
    if (info.isDir()) {
        QStringList files;
        QDirIterator it(p, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (isInvoiceName(f) || isArchiveName(f))
                files << f;
        }
        files.sort();
        for (const QString &f : files)
            readPath(f, fn, false);
    } else if (!info.exists()) {
        fn({p, {}, false, u"il percorso non esiste"_qs});
    } else if (isArchiveName(p)) {
        readArchive(p, fn);
    } else if (isInvoiceName(p) || named) {
        readPlainFile(p, fn);
    }
}

} // namespace

void forEachInvoiceFile(const QStringList &paths, const std::function<void(const InvoiceFile &)> &fn)
{
    for (const QString &p : paths)
        readPath(p, fn, true);
}

} // namespace liqiva
