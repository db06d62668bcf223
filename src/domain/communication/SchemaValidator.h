#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace liqiva {

// Validates documents against an XML Schema with libxml2. The schema files travel in the
// program's resources (":/schema/communication/"); they are copied once into a private
// temporary folder so that their includes and imports resolve beside them without a
// network.
class SchemaValidator {
public:
    // mainFile: the name of the root schema inside the resource folder.
    SchemaValidator(const QString &resourceFolder, const QString &mainFile);
    ~SchemaValidator();
    SchemaValidator(const SchemaValidator &) = delete;
    SchemaValidator &operator=(const SchemaValidator &) = delete;

    // The errors of a document, one line each ("Elemento 'PartitaIVA' (riga 8): ..."); empty
    // when it is valid. A schema that does not load is one error too.
    QStringList validate(const QByteArray &xml) const;

    // The validator of the periodic settlements communication.
    static const SchemaValidator &periodicCommunication();

private:
    struct Private;
    Private *d;
};

} // namespace liqiva
