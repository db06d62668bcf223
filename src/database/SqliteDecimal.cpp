#include "database/SqliteDecimal.h"

#include "database/DbError.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace liqiva {

namespace {

// A plain decimal text taken apart: sign, whole digits without leading zeros, decimals
// without trailing zeros. Zero has both parts empty, whatever its sign.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
    bool isZero() const { return whole.empty() && fraction.empty(); }
};

bool parseDecimal(std::string_view s, Decimal &d)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    d = Decimal();
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        d.negative = s.front() == '-';
        s.remove_prefix(1);
    }
    const size_t point = s.find('.');
    std::string_view whole = s.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return false;
    for (std::string_view part : {whole, fraction})
        for (char c : part)
            if (c < '0' || c > '9')
                return false;
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    d.whole = whole;
    d.fraction = fraction;
    return true;
}

int compareMagnitude(const Decimal &a, const Decimal &b)
{
    if (a.whole.size() != b.whole.size())
        return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int c = a.whole.compare(b.whole))
        return c < 0 ? -1 : 1;
    const size_t n = std::max(a.fraction.size(), b.fraction.size());
    for (size_t k = 0; k < n; ++k) {
        const char x = k < a.fraction.size() ? a.fraction[k] : '0';
        const char y = k < b.fraction.size() ? b.fraction[k] : '0';
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int compareDecimals(const Decimal &a, const Decimal &b)
{
    const int sa = a.isZero() ? 0 : a.negative ? -1 : 1;
    const int sb = b.isZero() ? 0 : b.negative ? -1 : 1;
    if (sa != sb)
        return sa < sb ? -1 : 1;
    if (sa == 0)
        return 0;
    const int m = compareMagnitude(a, b);
    return sa < 0 ? -m : m;
}

// A text that is a number but not a plain decimal ("1e+20"): its double.
bool parseDouble(std::string_view s, double &out)
{
    const std::string text(s);
    char *end = nullptr;
    out = std::strtod(text.c_str(), &end);
    if (end == text.c_str())
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    return *end == '\0';
}

double decimalToDouble(std::string_view s)
{
    double d = 0;
    parseDouble(s, d);
    return d;
}

int compareBytes(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int compareTexts(std::string_view a, std::string_view b)
{
    Decimal da, db;
    const bool pa = parseDecimal(a, da);
    const bool pb = parseDecimal(b, db);
    if (pa && pb)
        return compareDecimals(da, db);
    double xa = 0, xb = 0;
    const bool na = pa || parseDouble(a, xa);
    const bool nb = pb || parseDouble(b, xb);
    if (na && nb) {
        if (pa)
            xa = decimalToDouble(a);
        if (pb)
            xb = decimalToDouble(b);
        return xa < xb ? -1 : xa > xb ? 1 : 0;
    }
    if (na != nb)
        return na ? -1 : 1; // numbers before anything else
    return compareBytes(a, b);
}

int collate(void *, int na, const void *a, int nb, const void *b)
{
    return compareTexts(std::string_view(static_cast<const char *>(a), size_t(na)),
                        std::string_view(static_cast<const char *>(b), size_t(nb)));
}

// ---------------------------------------------------------------------------------------
// SUM. Integers alone add as integers (an overflow is an error), as the engine's own SUM
// does; decimal texts (the currency columns) and integers add exactly in ten-thousandths,
// the result a REAL while a double holds it exactly (under 10^11, so that comparisons and
// arithmetic on it behave as before) and the exact decimal text beyond; once a REAL or a
// text with more than four decimals joins, the sum is a double, as the engine's.

constexpr __int128 Scale = 10000;

struct Sum {
    bool any = false;
    bool anyText = false;
    bool anyReal = false;
    bool intOverflow = false;
    long long integer = 0;
    __int128 exact = 0; // ten-thousandths
    double approx = 0;
};

// A decimal text with at most four decimals and at most 22 whole digits, in ten-thousandths.
bool tenThousandths(std::string_view s, __int128 &out)
{
    Decimal d;
    if (!parseDecimal(s, d) || d.fraction.size() > 4 || d.whole.size() > 22)
        return false;
    __int128 v = 0;
    for (char c : d.whole)
        v = v * 10 + (c - '0');
    for (size_t k = 0; k < 4; ++k)
        v = v * 10 + (k < d.fraction.size() ? d.fraction[k] - '0' : 0);
    out = d.negative ? -v : v;
    return true;
}

void sumStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *s = static_cast<Sum *>(sqlite3_aggregate_context(ctx, sizeof(Sum)));
    if (!s)
        return;
    sqlite3_value *v = argv[0];
    int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL)
        return;
    s->any = true;
    if (type == SQLITE_TEXT) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
        const std::string_view view(text, size_t(sqlite3_value_bytes(v)));
        __int128 raw = 0;
        if (tenThousandths(view, raw)) {
            s->anyText = true;
            s->exact += raw;
            s->approx += decimalToDouble(view);
            return;
        }
        type = sqlite3_value_numeric_type(v);
    }
    if (type == SQLITE_INTEGER) {
        const long long i = sqlite3_value_int64(v);
        if (__builtin_add_overflow(s->integer, i, &s->integer))
            s->intOverflow = true;
        s->exact += __int128(i) * Scale;
        s->approx += double(i);
        return;
    }
    s->anyReal = true;
    s->approx += sqlite3_value_double(v);
}

std::string decimalText(__int128 raw)
{
    const bool negative = raw < 0;
    unsigned __int128 a = negative ? (unsigned __int128)(-(raw + 1)) + 1 : (unsigned __int128)raw;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(a % 10)));
        a /= 10;
    } while (a != 0);
    while (digits.size() < 5)
        digits.insert(digits.begin(), '0');
    std::string whole = digits.substr(0, digits.size() - 4);
    std::string fraction = digits.substr(digits.size() - 4);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string out = negative ? "-" + whole : whole;
    if (!fraction.empty())
        out += "." + fraction;
    return out;
}

void sumFinal(sqlite3_context *ctx)
{
    auto *s = static_cast<Sum *>(sqlite3_aggregate_context(ctx, 0));
    if (!s || !s->any) {
        sqlite3_result_null(ctx);
        return;
    }
    if (s->anyReal) {
        sqlite3_result_double(ctx, s->approx);
        return;
    }
    if (!s->anyText) {
        if (s->intOverflow)
            sqlite3_result_error(ctx, "integer overflow", -1);
        else
            sqlite3_result_int64(ctx, s->integer);
        return;
    }
    constexpr __int128 exactInDouble = __int128(1'000'000'000'000'000LL); // 10^11 in ten-thousandths
    if (s->exact < exactInDouble && s->exact > -exactInDouble) {
        sqlite3_result_double(ctx, double(static_cast<long long>(s->exact)) / 10000.0);
        return;
    }
    const std::string text = decimalText(s->exact);
    sqlite3_result_text(ctx, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
}

} // namespace

int compareDecimalTexts(QStringView a, QStringView b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareTexts(std::string_view(ua.constData(), size_t(ua.size())),
                        std::string_view(ub.constData(), size_t(ub.size())));
}

void installSqliteDecimal(sqlite3 *db)
{
    int rc = sqlite3_create_collation_v2(db, amountCollation, SQLITE_UTF8, nullptr, collate, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, sumStep,
                                        sumFinal, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("Impossibile preparare il confronto esatto degli importi su SQLite: %1.")
                          .arg(QString::fromUtf8(sqlite3_errmsg(db))),
                      QString::number(rc));
}

} // namespace liqiva
