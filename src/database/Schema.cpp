#include "database/Schema.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqliteDecimal.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace liqiva {

namespace {

// ---------------------------------------------------------------------------------------
// A small tokenizer for the portable DDL: words, numbers, quoted strings and single-char
// symbols, each with its place in the statement so that untouched parts are copied as
// they stand.

struct Token {
    enum Kind { Word, Number, String, Symbol };
    Kind kind;
    QString text;
    qsizetype pos;
    qsizetype end;

    bool isWord(const char *w) const
    {
        return kind == Word && text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QChar c) const { return kind == Symbol && text.size() == 1 && text[0] == c; }
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (isWordStart(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(s[i]))
                ++i;
            tokens.push_back({Token::Word, s.mid(start, i - start), start, i});
        } else if (c.isDigit()) {
            const qsizetype start = i;
            while (i < n && (s[i].isDigit() || s[i] == u'.'))
                ++i;
            tokens.push_back({Token::Number, s.mid(start, i - start), start, i});
        } else if (c == u'\'' || c == u'"') {
            // A quoted string ('') or identifier (""), the quote doubled inside.
            const qsizetype start = i++;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({c == u'\'' ? Token::String : Token::Word, s.mid(start, i - start), start, i});
        } else {
            tokens.push_back({Token::Symbol, QString(c), i, i + 1});
            ++i;
        }
    }
    return tokens;
}

// The source text covered by tokens [from, to).
QString sourceOf(const QString &s, const std::vector<Token> &t, size_t from, size_t to)
{
    if (from >= to)
        return {};
    return s.mid(t[from].pos, t[to - 1].end - t[from].pos);
}

// Splits tokens [from, to) at the commas outside parentheses.
std::vector<std::pair<size_t, size_t>> splitAtCommas(const std::vector<Token> &t, size_t from, size_t to)
{
    std::vector<std::pair<size_t, size_t>> parts;
    int depth = 0;
    size_t start = from;
    for (size_t k = from; k < to; ++k) {
        if (t[k].isSymbol(u'('))
            ++depth;
        else if (t[k].isSymbol(u')'))
            --depth;
        else if (depth == 0 && t[k].isSymbol(u',')) {
            parts.emplace_back(start, k);
            start = k + 1;
        }
    }
    parts.emplace_back(start, to);
    return parts;
}

// Position of the ')' matching the '(' at open, or t.size() when there is none.
size_t matchingParen(const std::vector<Token> &t, size_t open)
{
    int depth = 0;
    for (size_t k = open; k < t.size(); ++k) {
        if (t[k].isSymbol(u'('))
            ++depth;
        else if (t[k].isSymbol(u')') && --depth == 0)
            return k;
    }
    return t.size();
}

[[noreturn]] void fail(const QString &message, const QString &statement)
{
    throw DbError(message, QString(), statement);
}

// ---------------------------------------------------------------------------------------
// The parsed script.

struct ColumnDef {
    QString name;
    QString type; // a type word of the portable DDL, upper case
    int size = 0; // for TEXT(n)
    QString rest; // constraints and default, as written
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    QStringList keyColumns;
    QStringList constraints; // table constraints other than the key, as written
    bool compositeKey = false;
};

struct InsertDef {
    QString table;
    QStringList columns;
    QStringList values;
};

// SQLite keeps an amount as its decimal text, compared by value (SqliteDecimal.h).
QString sqliteMoneyType()
{
    return u"TEXT COLLATE "_qs + QLatin1String(amountCollation);
}

const char *const kTypeWords = "KEY, LONG, SHORT, BOOL, MONEY, DOUBLE, TEXT(n), MEMO, DATETIME, ROWSTATE";

QString mapType(const ColumnDef &c, Engine engine)
{
    const bool pg = engine == Engine::Postgres;
    if (c.type == u"KEY")
        return u"INTEGER NOT NULL PRIMARY KEY"_qs;
    if (c.type == u"LONG")
        return u"INTEGER"_qs;
    if (c.type == u"SHORT" || c.type == u"BOOL")
        return u"SMALLINT"_qs;
    if (c.type == u"MONEY")
        return pg ? u"NUMERIC(19,4)"_qs : sqliteMoneyType();
    if (c.type == u"DOUBLE")
        return pg ? u"DOUBLE PRECISION"_qs : u"REAL"_qs;
    if (c.type == u"TEXT")
        return QStringLiteral("VARCHAR(%1)").arg(c.size);
    if (c.type == u"MEMO")
        return u"TEXT"_qs;
    if (c.type == u"DATETIME")
        return pg ? u"TIMESTAMP"_qs : u"TEXT"_qs;
    return {};
}

bool isTypeWord(const QString &upper)
{
    static const QStringList words = {u"KEY"_qs,    u"LONG"_qs, u"SHORT"_qs, u"BOOL"_qs,    u"MONEY"_qs,
                                      u"DOUBLE"_qs, u"TEXT"_qs, u"MEMO"_qs,  u"DATETIME"_qs};
    return words.contains(upper);
}

QString columnDefinition(const ColumnDef &c, Engine engine)
{
    QString def = c.name + u' ' + mapType(c, engine);
    if (!c.rest.isEmpty())
        def += u' ' + c.rest;
    return def;
}

// The three row-state columns that the word ROWSTATE stands for.
std::vector<ColumnDef> rowStateColumns()
{
    return {{u"VirtualDelete"_qs, u"SHORT"_qs, 0, u"NOT NULL DEFAULT 0"_qs},
            {u"DataUltimaVariazione"_qs, u"DATETIME"_qs, 0, {}},
            {u"IDUtenteUltimaVariazione"_qs, u"LONG"_qs, 0, {}}};
}

bool isCreateTable(const std::vector<Token> &t)
{
    return t.size() > 2 && t[0].isWord("CREATE") && t[1].isWord("TABLE");
}

bool isInsert(const std::vector<Token> &t)
{
    return t.size() > 2 && t[0].isWord("INSERT") && t[1].isWord("INTO");
}

// One column definition: name, type word (TEXT with its length) and what follows.
ColumnDef parseColumn(const QString &s, const std::vector<Token> &t, size_t a, size_t b, const QString &tableName)
{
    const Token &first = t[a];
    if (first.kind != Token::Word || b < a + 2 || t[a + 1].kind != Token::Word)
        fail(QStringLiteral("Schema: colonna non valida nella tabella %1: %2")
                 .arg(tableName, sourceOf(s, t, a, b)),
             s);
    ColumnDef c;
    c.name = first.text;
    c.type = t[a + 1].text.toUpper();
    size_t restFrom = a + 2;
    if (!isTypeWord(c.type))
        fail(QStringLiteral("Schema: tipo sconosciuto %1 per %2.%3 (tipi ammessi: %4).")
                 .arg(t[a + 1].text, tableName, c.name, QLatin1String(kTypeWords)),
             s);
    if (c.type == u"TEXT") {
        if (b < a + 5 || !t[a + 2].isSymbol(u'(') || t[a + 3].kind != Token::Number || !t[a + 4].isSymbol(u')'))
            fail(QStringLiteral("Schema: TEXT senza lunghezza per %1.%2 (scrivere TEXT(n) o MEMO).")
                     .arg(tableName, c.name),
                 s);
        c.size = t[a + 3].text.toInt();
        restFrom = a + 5;
    }
    c.rest = sourceOf(s, t, restFrom, b);
    return c;
}

// Every column once (both engines compare unquoted names without regard to case) and every
// key a column.
void checkColumnNames(const TableDef &table, const QString &s)
{
    QSet<QString> seen;
    for (const ColumnDef &c : table.columns) {
        const QString lower = c.name.toLower();
        if (seen.contains(lower))
            fail(QStringLiteral("Schema: la colonna %1 della tabella %2 e' dichiarata due volte.")
                     .arg(c.name, table.name),
                 s);
        seen.insert(lower);
    }
    for (const QString &key : std::as_const(table.keyColumns)) {
        const bool declared = std::any_of(table.columns.begin(), table.columns.end(), [&](const ColumnDef &c) {
            return c.name.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (!declared)
            fail(QStringLiteral("Schema: la chiave %1 della tabella %2 non e' una colonna.").arg(key, table.name), s);
    }
}

TableDef parseCreateTable(const QString &s, const std::vector<Token> &t)
{
    size_t k = 2;
    if (k + 2 < t.size() && t[k].isWord("IF") && t[k + 1].isWord("NOT") && t[k + 2].isWord("EXISTS"))
        k += 3;
    if (k >= t.size() || t[k].kind != Token::Word)
        fail(u"Schema: nome di tabella mancante."_qs, s);
    TableDef table;
    table.name = t[k].text;
    ++k;
    if (k >= t.size() || !t[k].isSymbol(u'('))
        fail(QStringLiteral("Schema: manca l'elenco delle colonne della tabella %1.").arg(table.name), s);
    const size_t close = matchingParen(t, k);
    if (close != t.size() - 1)
        fail(QStringLiteral("Schema: parentesi non bilanciate nella tabella %1.").arg(table.name), s);

    for (const auto &[a, b] : splitAtCommas(t, k + 1, close)) {
        if (a >= b)
            fail(QStringLiteral("Schema: definizione vuota nella tabella %1.").arg(table.name), s);
        const Token &first = t[a];
        if (first.isWord("ROWSTATE") && b == a + 1) {
            for (ColumnDef &c : rowStateColumns())
                table.columns.push_back(c);
        } else if (first.isWord("PRIMARY")) {
            if (!table.keyColumns.isEmpty())
                fail(QStringLiteral("Schema: la tabella %1 ha due chiavi primarie.").arg(table.name), s);
            for (size_t j = a + 1; j < b; ++j)
                if (t[j].kind == Token::Word && !t[j].isWord("KEY"))
                    table.keyColumns << t[j].text;
            table.compositeKey = true;
        } else if (first.isWord("UNIQUE") || first.isWord("CONSTRAINT") || first.isWord("CHECK") ||
                   first.isWord("FOREIGN")) {
            table.constraints << sourceOf(s, t, a, b);
        } else {
            const ColumnDef c = parseColumn(s, t, a, b, table.name);
            if (c.type == u"KEY") {
                if (!table.keyColumns.isEmpty())
                    fail(QStringLiteral("Schema: la tabella %1 ha due chiavi primarie.").arg(table.name), s);
                table.keyColumns << c.name;
            }
            table.columns.push_back(c);
        }
    }
    if (table.keyColumns.isEmpty())
        fail(QStringLiteral("Schema: la tabella %1 non ha una chiave.").arg(table.name), s);
    checkColumnNames(table, s);
    return table;
}

QString createTableText(const TableDef &table, Engine engine)
{
    QStringList defs;
    for (const ColumnDef &c : table.columns)
        defs << columnDefinition(c, engine);
    if (table.compositeKey)
        defs << u"PRIMARY KEY ("_qs + table.keyColumns.join(u", "_qs) + u')';
    defs << table.constraints;
    return u"CREATE TABLE IF NOT EXISTS "_qs + table.name + u" (\n    "_qs + defs.join(u",\n    "_qs) + u"\n)"_qs;
}

InsertDef parseInsert(const QString &s, const std::vector<Token> &t)
{
    InsertDef ins;
    if (t[2].kind != Token::Word || t.size() < 5 || !t[3].isSymbol(u'('))
        fail(u"Schema: una riga di riferimento deve nominare le sue colonne: INSERT INTO T (...) VALUES (...)."_qs, s);
    ins.table = t[2].text;
    const size_t closeCols = matchingParen(t, 3);
    if (closeCols + 2 >= t.size() || !t[closeCols + 1].isWord("VALUES") || !t[closeCols + 2].isSymbol(u'('))
        fail(u"Schema: una riga di riferimento deve essere INSERT INTO T (...) VALUES (...)."_qs, s);
    const size_t closeValues = matchingParen(t, closeCols + 2);
    if (closeValues != t.size() - 1)
        fail(u"Schema: una riga di riferimento porta una sola riga di valori."_qs, s);
    for (const auto &[a, b] : splitAtCommas(t, 4, closeCols))
        ins.columns << sourceOf(s, t, a, b).trimmed();
    for (const auto &[a, b] : splitAtCommas(t, closeCols + 3, closeValues))
        ins.values << sourceOf(s, t, a, b).trimmed();
    if (ins.columns.size() != ins.values.size())
        fail(QStringLiteral("Schema: %1 colonne e %2 valori nella riga di riferimento di %3.")
                 .arg(ins.columns.size())
                 .arg(ins.values.size())
                 .arg(ins.table),
             s);
    return ins;
}

struct Step {
    enum Kind { CreateTable, ReferenceRow, Other };
    Kind kind;
    QString text;   // the portable statement
    int table = -1; // CreateTable: index into Script::tables
    InsertDef insert;
    QString existsCheck; // ReferenceRow: counts the rows with the insert's key
};

struct Script {
    std::vector<TableDef> tables;
    std::vector<Step> steps;

    const TableDef *table(const QString &name) const
    {
        for (const TableDef &t : tables)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return &t;
        return nullptr;
    }
};

Script parseScript(const QStringList &files)
{
    Script script;
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            fail(QStringLiteral("Schema: impossibile leggere %1.").arg(path), QString());
        const QString text = QString::fromUtf8(f.readAll());
        for (const QString &statement : splitSchemaScript(text)) {
            const std::vector<Token> t = tokenize(statement);
            if (t.empty())
                continue;
            Step step{Step::Other, statement, -1, {}, {}};
            if (isCreateTable(t)) {
                TableDef table = parseCreateTable(statement, t);
                if (script.table(table.name))
                    fail(QStringLiteral("Schema: la tabella %1 e' dichiarata due volte.").arg(table.name), statement);
                step.kind = Step::CreateTable;
                step.table = int(script.tables.size());
                script.tables.push_back(std::move(table));
            } else if (isInsert(t)) {
                step.kind = Step::ReferenceRow;
                step.insert = parseInsert(statement, t);
                const TableDef *table = script.table(step.insert.table);
                if (!table)
                    fail(QStringLiteral("Schema: riga di riferimento per la tabella %1, non dichiarata prima.")
                             .arg(step.insert.table),
                         statement);
                QStringList conditions;
                for (const QString &key : table->keyColumns) {
                    const auto at =
                        std::find_if(step.insert.columns.begin(), step.insert.columns.end(),
                                     [&](const QString &c) { return c.compare(key, Qt::CaseInsensitive) == 0; });
                    if (at == step.insert.columns.end())
                        fail(QStringLiteral("Schema: la riga di riferimento di %1 non porta la chiave %2.")
                                 .arg(table->name, key),
                             statement);
                    conditions << key + u" = "_qs + step.insert.values[at - step.insert.columns.begin()];
                }
                step.existsCheck =
                    u"SELECT COUNT(*) FROM "_qs + table->name + u" WHERE "_qs + conditions.join(u" AND "_qs);
            }
            script.steps.push_back(std::move(step));
        }
    }
    return script;
}

QStringList schemaFiles()
{
    QStringList files;
    const QDir dir(u":/schema"_qs);
    for (const QString &name : dir.entryList({u"*.sql"_qs}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

const Script &embeddedScript()
{
    static const Script script = parseScript(schemaFiles());
    return script;
}

// Adds the declared columns that an existing table lacks (a database made by an earlier
// version of the schema). A missing key cannot be added: the table is someone else's.
void addMissingColumns(Connection &db, const TableDef &table)
{
    Recordset rs = db.openRecordsetRaw(u"SELECT * FROM "_qs + table.name + u" WHERE 1 = 0"_qs);
    QStringList missing;
    for (const ColumnDef &c : table.columns) {
        if (rs.hasField(c.name))
            continue;
        if (c.type == u"KEY" || table.keyColumns.contains(c.name, Qt::CaseInsensitive))
            fail(QStringLiteral("La tabella %1 esiste gia' senza la colonna chiave %2: lo schema non puo' aggiornarla.")
                     .arg(table.name, c.name),
                 QString());
        missing << c.name;
    }
    rs.close();
    for (const ColumnDef &c : table.columns)
        if (missing.contains(c.name))
            db.executeRaw(u"ALTER TABLE "_qs + table.name + u" ADD COLUMN "_qs + columnDefinition(c, db.engine()));
}

// On SQLite, brings the currency columns of a table made by an earlier version of the schema
// (REAL, a binary double) to their decimal text: the table is made again under a new name,
// its rows copied with each amount written out to four decimals, the old table dropped and
// the new one renamed (SQLite cannot change a column's type). The indexes come back with the
// index statements of the schema, which follow the tables.
void convertMoneyColumns(Connection &db, const TableDef &table)
{
    if (db.engine() != Engine::Sqlite)
        return;
    QHash<QString, QString> declared; // lower-case column -> declared type
    {
        Recordset rs = db.openRecordsetRaw(u"SELECT name, type FROM pragma_table_info(?)"_qs, {table.name});
        for (; !rs.eof(); rs.moveNext())
            declared.insert(rs.text(u"name"_qs).toLower(), rs.text(u"type"_qs).toUpper());
    }
    bool stale = false;
    for (const ColumnDef &c : table.columns)
        if (c.type == u"MONEY" && declared.value(c.name.toLower()) == u"REAL"_qs)
            stale = true;
    if (!stale)
        return;
    TableDef renamed = table;
    renamed.name = table.name + u"_importi"_qs;
    db.executeRaw(u"DROP TABLE IF EXISTS "_qs + renamed.name);
    db.executeRaw(createTableText(renamed, db.engine()));
    QStringList columns, values;
    for (const ColumnDef &c : table.columns) {
        if (!declared.contains(c.name.toLower()))
            continue;
        columns << c.name;
        values << (c.type == u"MONEY"
                       ? QStringLiteral("CASE WHEN typeof(%1) = 'real' THEN rtrim(rtrim(printf('%.4f', %1), '0'), '.') "
                                        "ELSE %1 END")
                             .arg(c.name)
                       : c.name);
    }
    db.executeRaw(u"INSERT INTO "_qs + renamed.name + u" ("_qs + columns.join(u", "_qs) + u") SELECT "_qs +
                  values.join(u", "_qs) + u" FROM "_qs + table.name);
    db.executeRaw(u"DROP TABLE "_qs + table.name);
    db.executeRaw(u"ALTER TABLE "_qs + renamed.name + u" RENAME TO "_qs + table.name);
}

} // namespace

int schemaTextLength(const QString &table, const QString &column)
{
    const TableDef *t = embeddedScript().table(table);
    if (!t)
        return -1;
    for (const ColumnDef &c : t->columns)
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.type == u"TEXT" ? c.size : c.type == u"MEMO" ? 0 : -1;
    return -1;
}

bool schemaAmountColumn(const QString &table, const QString &column)
{
    const TableDef *t = embeddedScript().table(table);
    if (!t)
        return false;
    for (const ColumnDef &c : t->columns)
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.type == u"MONEY";
    return false;
}

QStringList splitSchemaScript(const QString &text)
{
    QStringList statements;
    QStringList current;
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"--"_qs))
            continue;
        if (trimmed.isEmpty() && current.isEmpty())
            continue;
        if (trimmed.endsWith(u';')) {
            QString last = line;
            last.truncate(last.lastIndexOf(u';'));
            current << last;
            const QString statement = current.join(u'\n').trimmed();
            if (!statement.isEmpty())
                statements << statement;
            current.clear();
        } else {
            current << line;
        }
    }
    const QString tail = current.join(u'\n').trimmed();
    if (!tail.isEmpty())
        statements << tail;
    return statements;
}

QString translateSchemaStatement(const QString &statement, Engine engine)
{
    const std::vector<Token> t = tokenize(statement);
    if (!isCreateTable(t))
        return statement;
    return createTableText(parseCreateTable(statement, t), engine);
}

std::vector<SchemaTable> schemaTables()
{
    std::vector<SchemaTable> out;
    for (const TableDef &t : embeddedScript().tables) {
        SchemaTable st{t.name, t.keyColumns, {}};
        for (const ColumnDef &c : t.columns)
            st.columns << c.name;
        out.push_back(std::move(st));
    }
    return out;
}

void createSchema(Connection &db)
{
    const Script &script = embeddedScript();
    Transaction tx(db);
    for (const Step &step : script.steps) {
        switch (step.kind) {
        case Step::CreateTable: {
            const TableDef &table = script.tables[size_t(step.table)];
            db.executeRaw(createTableText(table, db.engine()));
            addMissingColumns(db, table);
            convertMoneyColumns(db, table);
            break;
        }
        case Step::ReferenceRow: {
            Recordset rs = db.openRecordsetRaw(step.existsCheck);
            const bool present = !rs.eof() && rs.number(0) > 0;
            rs.close();
            if (!present)
                db.executeRaw(step.text);
            break;
        }
        case Step::Other:
            db.executeRaw(step.text);
            break;
        }
    }
    tx.commit();
}

} // namespace liqiva
