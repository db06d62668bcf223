#include "domain/communication/SchemaValidator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <memory>
#include <mutex>

namespace liqiva {

namespace {

// Collects libxml2's structured errors as lines for the user.
void collect(void *context, const xmlError *error)
{
    auto *lines = static_cast<QStringList *>(context);
    QString text = QString::fromUtf8(error->message ? error->message : "").trimmed();
    // libxml2 starts the message with "Element '{namespace}Name': "; the element is named
    // once, without its namespace, before the reason.
    QString element;
    if (error->node) {
        const auto *node = static_cast<const xmlNode *>(error->node);
        if (node->name)
            element = QString::fromUtf8(reinterpret_cast<const char *>(node->name));
    }
    if (text.startsWith(u"Element '"_qs)) {
        const int end = text.indexOf(u"': "_qs);
        if (end > 0) {
            QString named = text.mid(9, end - 9);
            const int brace = named.lastIndexOf(u'}');
            if (brace >= 0)
                named = named.mid(brace + 1);
            if (element.isEmpty())
                element = named;
            text = text.mid(end + 3);
        }
    }
    QString line = element.isEmpty() ? text : QStringLiteral("Elemento '%1': %2").arg(element, text);
    if (error->line > 0)
        line += QStringLiteral(" (riga %1)").arg(error->line);
    lines->append(line);
}

} // namespace

struct SchemaValidator::Private {
    QTemporaryDir folder;
    xmlSchemaPtr schema = nullptr;
    QStringList loadErrors;
};

SchemaValidator::SchemaValidator(const QString &resourceFolder, const QString &mainFile) : d(new Private)
{
    const QDir source(resourceFolder);
    for (const QString &name : source.entryList(QDir::Files)) {
        QFile in(source.filePath(name));
        QFile out(d->folder.filePath(name));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0)
            d->loadErrors.append(QStringLiteral("Schema: impossibile preparare il file %1.").arg(name));
    }
    const QByteArray path = QFile::encodeName(d->folder.filePath(mainFile));
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.constData());
    if (parser) {
        xmlSchemaSetParserStructuredErrors(parser, reinterpret_cast<xmlStructuredErrorFunc>(collect), &d->loadErrors);
        d->schema = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    if (!d->schema && d->loadErrors.isEmpty())
        d->loadErrors.append(QStringLiteral("Schema %1 non leggibile.").arg(mainFile));
}

SchemaValidator::~SchemaValidator()
{
    if (d->schema)
        xmlSchemaFree(d->schema);
    delete d;
}

QStringList SchemaValidator::validate(const QByteArray &xml) const
{
    if (!d->schema)
        return d->loadErrors.isEmpty() ? QStringList{u"Schema non caricato."_qs} : d->loadErrors;
    QStringList errors;
    // No network, no entities from outside: the document is ours, but a parser that reads
    // nothing else cannot be led elsewhere.
    xmlDocPtr doc = xmlReadMemory(xml.constData(), int(xml.size()), "comunicazione.xml", "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        const xmlError *e = xmlGetLastError();
        errors.append(QStringLiteral("Documento XML non leggibile: %1")
                          .arg(QString::fromUtf8(e && e->message ? e->message : "").trimmed()));
        return errors;
    }
    xmlSchemaValidCtxtPtr context = xmlSchemaNewValidCtxt(d->schema);
    xmlSchemaSetValidStructuredErrors(context, reinterpret_cast<xmlStructuredErrorFunc>(collect), &errors);
    const int result = xmlSchemaValidateDoc(context, doc);
    xmlSchemaFreeValidCtxt(context);
    xmlFreeDoc(doc);
    if (result != 0 && errors.isEmpty())
        errors.append(QStringLiteral("Documento non valido (codice %1).").arg(result));
    return errors;
}

const SchemaValidator &SchemaValidator::periodicCommunication()
{
    // Loaded once per process: parsing the schema set takes longer than validating a file.
    static std::once_flag once;
    static std::unique_ptr<SchemaValidator> validator;
    std::call_once(once, [] {
        validator = std::make_unique<SchemaValidator>(u":/schema/communication"_qs, u"fornituraIvp_2018_v1.xsd"_qs);
    });
    return *validator;
}

} // namespace liqiva
