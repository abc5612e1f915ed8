#include "data/search_grams.h"

#include "data/record_access.h"

#include <QDebug>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace jotrak {

namespace {

constexpr std::uint64_t kPairBit = std::uint64_t{1} << 42;
constexpr int kCodeBits = 21;

// The characters SearchWords splits a query at never stand in a word.
bool IsBlank(char32_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u3000';
}

char32_t Folded(char32_t c)
{
    return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
}

void AppendHex(std::string& out, std::uint32_t code)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    char buffer[8];
    int n = 0;
    do {
        buffer[n++] = kDigits[code & 15];
        code >>= 4;
    } while (code != 0);
    while (n > 0)
        out += buffer[--n];
}

void AppendToken(std::string& out, std::uint64_t gram)
{
    if (gram & kPairBit) {
        AppendHex(out, static_cast<std::uint32_t>((gram >> kCodeBits) & 0x1FFFFF));
        out += 'x';
    }
    AppendHex(out, static_cast<std::uint32_t>(gram & 0x1FFFFF));
}

std::uint64_t Pair(char32_t first, char32_t second)
{
    return kPairBit | (std::uint64_t{first} << kCodeBits) | second;
}

// Every character and pair of characters of code points, blanks left out.
std::vector<std::uint64_t> Grams(const std::vector<char32_t>& codes)
{
    std::vector<std::uint64_t> grams;
    grams.reserve(codes.size() * 2);
    for (std::size_t n = 0; n < codes.size(); ++n) {
        if (IsBlank(codes[n]))
            continue;
        grams.push_back(codes[n]);
        if (n + 1 < codes.size() && !IsBlank(codes[n + 1]))
            grams.push_back(Pair(codes[n], codes[n + 1]));
    }
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
    return grams;
}

// UTF-8 as code points, Latin A-Z folded; a byte that starts no character
// stands for itself.
std::vector<char32_t> CodePoints(const unsigned char* text, int length)
{
    std::vector<char32_t> codes;
    codes.reserve(static_cast<std::size_t>(length));
    for (int at = 0; at < length;) {
        const unsigned char lead = text[at];
        const int size = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (size <= 1 || at + size > length) {
            codes.push_back(Folded(lead));
            ++at;
            continue;
        }
        char32_t code = lead & (0x7F >> size);
        for (int n = 1; n < size; ++n)
            code = (code << 6) | (text[at + n] & 0x3F);
        codes.push_back(code);
        at += size;
    }
    return codes;
}

QString Sql(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

void GramsFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = sqlite3_value_text(args[0]);
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    std::string tokens;
    for (std::uint64_t gram : Grams(CodePoints(text, sqlite3_value_bytes(args[0])))) {
        if (!tokens.empty())
            tokens += ' ';
        AppendToken(tokens, gram);
    }
    sqlite3_result_text(context, tokens.data(), static_cast<int>(tokens.size()), SQLITE_TRANSIENT);
}

QString GramQuery(const QStringList& words)
{
    std::vector<std::uint64_t> grams;
    for (const QString& word : words) {
        const QList<uint> codes = word.toUcs4();
        if (codes.size() > 2)
            return {};
        const auto folded = [&](qsizetype n) { return Folded(static_cast<char32_t>(codes[n])); };
        if (codes.size() == 1)
            grams.push_back(folded(0));
        else if (codes.size() == 2)
            grams.push_back(Pair(folded(0), folded(1)));
    }
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
    std::string query;
    for (std::uint64_t gram : grams) {
        if (!query.empty())
            query += " AND ";
        AppendToken(query, gram);
    }
    return QString::fromStdString(query);
}

QStringList GramIndexSchema()
{
    // A text's first change since the index was brought up to date notes the
    // text the index holds (NULL: none); later changes keep that note. (No OR
    // IGNORE: a trigger takes the conflict rule of the statement that fires it.)
    const char* noteOld = "INSERT INTO SouQueue(ord, old) SELECT OLD.ord, OLD.nr "
                          "WHERE NOT EXISTS (SELECT 1 FROM SouQueue WHERE ord = OLD.ord);";
    const char* noteNew = "INSERT INTO SouQueue(ord, old) SELECT NEW.ord, NULL "
                          "WHERE NOT EXISTS (SELECT 1 FROM SouQueue WHERE ord = NEW.ord);";
    const QString ftsInsert = Sql("INSERT INTO SouFts(rowid, nr) VALUES (NEW.ord, NEW.nr);");
    const QString ftsDelete = Sql("INSERT INTO SouFts(SouFts, rowid, nr) VALUES ('delete', OLD.ord, OLD.nr);");
    return {
        Sql("DROP TRIGGER IF EXISTS Sou_insert"),
        Sql("DROP TRIGGER IF EXISTS Sou_delete"),
        Sql("DROP TRIGGER IF EXISTS Sou_update"),
        Sql("CREATE TABLE SouQueue (ord INTEGER PRIMARY KEY, old TEXT)"),
        Sql("CREATE VIRTUAL TABLE SouGram USING fts5(g, content='', tokenize='ascii', detail='none', columnsize=0)"),
        Sql("INSERT INTO SouGram(rowid, g) SELECT ord, jotrak_grams(nr) FROM Sou ORDER BY ord"),
        Sql("CREATE TRIGGER Sou_insert AFTER INSERT ON Sou BEGIN ") + ftsInsert + Sql(noteNew) + Sql(" END"),
        Sql("CREATE TRIGGER Sou_delete AFTER DELETE ON Sou BEGIN ") + ftsDelete + Sql(noteOld) + Sql(" END"),
        Sql("CREATE TRIGGER Sou_update AFTER UPDATE ON Sou BEGIN ") + ftsDelete + ftsInsert + Sql(noteOld) +
            Sql(noteNew) + Sql(" END"),
    };
}

bool HasGramIndex(ConnectionHolder& connection)
{
    bool found = false;
    ReadRows(connection,
             {Sql("SELECT count(*) FROM sqlite_master WHERE name IN ('SouGram', 'SouQueue')"), {}, Table::Ri},
             [&](const std::vector<Value>& row) {
                 found = row.front().toInt() == 2;
                 return false;
             });
    return found;
}

void DrainGramQueue(ConnectionHolder& connection)
{
    bool queued = false;
    try {
        ReadRows(connection, {Sql("SELECT EXISTS (SELECT 1 FROM SouQueue)"), {}, Table::Ri},
                 [&](const std::vector<Value>& row) {
                     queued = row.front().toInt() != 0;
                     return false;
                 });
        if (!queued)
            return;
        Transaction transaction(connection);
        for (const char* sql : {"INSERT INTO SouGram(SouGram, rowid, g) "
                                "SELECT 'delete', ord, jotrak_grams(old) FROM SouQueue WHERE old IS NOT NULL",
                                "INSERT INTO SouGram(rowid, g) "
                                "SELECT s.ord, jotrak_grams(s.nr) FROM SouQueue q JOIN Sou s ON s.ord = q.ord",
                                "DELETE FROM SouQueue"})
            ExecuteStatement(connection, {Sql(sql), {}, Table::Ri});
        transaction.commit();
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "the short-word search index stays behind:" << error.message();
    }
}

} // namespace jotrak
