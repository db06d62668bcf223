#include "support/InvoiceFiles.h"

#include <QFile>

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <zip.h>

namespace liqiva::test {

namespace {

QString party(const char *role, const QString &country, const QString &code, const QString &name)
{
    return QStringLiteral(
               "<%1><DatiAnagrafici><IdFiscaleIVA><IdPaese>%2</IdPaese><IdCodice>%3</IdCodice></IdFiscaleIVA>"
               "<Anagrafica><Denominazione>%4</Denominazione></Anagrafica>%5</DatiAnagrafici>"
               "<Sede><Indirizzo>Via Roma 1</Indirizzo><CAP>20121</CAP><Comune>Milano</Comune>"
               "<Nazione>%2</Nazione></Sede></%1>")
        .arg(QLatin1String(role), country, code, name,
             QLatin1String(role) == QLatin1String("CedentePrestatore") ? u"<RegimeFiscale>RF01</RegimeFiscale>"_qs
                                                                       : QString());
}

} // namespace

QByteArray invoiceXml(const std::vector<TestInvoice> &invoices)
{
    const TestInvoice &first = invoices.front();
    QString x = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                u"<p:FatturaElettronica versione=\"FPR12\" "
                u"xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">\n"
                u"<FatturaElettronicaHeader><DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese>"
                u"<IdCodice>00743110157</IdCodice></IdTrasmittente><ProgressivoInvio>1</ProgressivoInvio>"
                u"<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>0000000</CodiceDestinatario>"
                u"</DatiTrasmissione>"_qs;
    x += party("CedentePrestatore", first.sellerCountry, first.seller, u"Fornitore "_qs + first.seller);
    x += party("CessionarioCommittente", first.buyerCountry, first.buyer, u"Cliente "_qs + first.buyer);
    x += u"</FatturaElettronicaHeader>\n"_qs;
    for (const TestInvoice &inv : invoices) {
        x += QStringLiteral(
                 "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><TipoDocumento>%1</TipoDocumento>"
                 "<Divisa>%2</Divisa><Data>%3</Data><Numero>%4</Numero></DatiGeneraliDocumento>"
                 "</DatiGenerali><DatiBeniServizi>")
                 .arg(inv.type, inv.currency, inv.date, inv.number);
        int n = 0;
        for (const TestSummaryLine &l : inv.lines) {
            const QString nature = l.nature.isEmpty() ? QString() : u"<Natura>"_qs + l.nature + u"</Natura>"_qs;
            x += QStringLiteral("<DettaglioLinee><NumeroLinea>%1</NumeroLinea><Descrizione>Merce</Descrizione>"
                                "<PrezzoUnitario>%2</PrezzoUnitario><PrezzoTotale>%2</PrezzoTotale>"
                                "<AliquotaIVA>%3</AliquotaIVA>%4</DettaglioLinee>")
                     .arg(++n)
                     .arg(l.taxable, l.rate, nature);
        }
        for (const TestSummaryLine &l : inv.lines) {
            const QString nature = l.nature.isEmpty() ? QString() : u"<Natura>"_qs + l.nature + u"</Natura>"_qs;
            const QString esig =
                l.esigibilita.isEmpty() ? QString() : u"<EsigibilitaIVA>"_qs + l.esigibilita + u"</EsigibilitaIVA>"_qs;
            x +=
                QStringLiteral("<DatiRiepilogo><AliquotaIVA>%1</AliquotaIVA>%2<ImponibileImporto>%3</ImponibileImporto>"
                               "<Imposta>%4</Imposta>%5</DatiRiepilogo>")
                    .arg(l.rate, nature, l.taxable, l.tax, esig);
        }
        x += u"</DatiBeniServizi></FatturaElettronicaBody>\n"_qs;
    }
    x += u"</p:FatturaElettronica>\n"_qs;
    return x.toUtf8();
}

QByteArray signedEnvelope(const QByteArray &content, bool base64)
{
    EVP_PKEY *key = EVP_RSA_gen(2048);
    X509 *cert = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("prova"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key, EVP_sha256());
    BIO *in = BIO_new_mem_buf(content.constData(), int(content.size()));
    CMS_ContentInfo *cms = CMS_sign(cert, key, nullptr, in, CMS_BINARY | CMS_NOSMIMECAP);
    BIO *out = BIO_new(BIO_s_mem());
    i2d_CMS_bio(out, cms);
    char *data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    QByteArray der(data, int(size));
    BIO_free(out);
    BIO_free(in);
    CMS_ContentInfo_free(cms);
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!base64)
        return der;
    QByteArray text;
    const QByteArray b = der.toBase64();
    for (qsizetype k = 0; k < b.size(); k += 76)
        text += b.mid(k, 76) + '\n';
    return text;
}

bool writeZip(const QString &path, const std::vector<std::pair<QString, QByteArray>> &entries)
{
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    std::vector<QByteArray> keep;
    for (const auto &[name, bytes] : entries) {
        keep.push_back(bytes);
        zip_source_t *src = zip_source_buffer(za, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        if (!src || zip_file_add(za, name.toUtf8().constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace liqiva::test
