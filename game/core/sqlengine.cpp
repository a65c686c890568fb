#include "game/core/sqlengine.h"

#include "calc/numtext.h"
#include "game/core/answertext.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

// The data sources this program knows, by the name a connection string gives them.
// "dBASE Files" is a scratch database without tables: the answers only need an engine.
struct TDataSource {
    QStringView Name;
    QStringView Database;
};
constexpr TDataSource DataSources[] = {{u"dBASE Files", u":memory:"}};

QString DataSourceOf(const QString& connectionString) {
    for (const QString& part : connectionString.split(u';')) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals >= 0 &&
            part.left(equals).trimmed().compare(u"Data Source"_s, Qt::CaseInsensitive) == 0)
            return part.mid(equals + 1).trimmed();
    }
    return {};
}

std::atomic<int> ConnectionsMade{0};

bool IsHexDigit(QChar c) {
    return answertext::IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool IsIdentifierChar(QChar c) {
    return c.unicode() >= 0x80 || c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Index just past a quoted token starting at i; a doubled closing quote stays inside.
qsizetype SkipQuoted(const QString& sql, qsizetype i, QChar close) {
    ++i;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (close != u']' && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// A comment runs to its closing text, found at found (closeLength long), or to the end.
qsizetype EndOfComment(const QString& sql, qsizetype found, qsizetype closeLength) {
    return found < 0 ? sql.size() : found + closeLength;
}

qsizetype SkipWhile(const QString& sql, qsizetype i, bool (*pred)(QChar)) {
    while (i < sql.size() && pred(sql[i]))
        ++i;
    return i;
}

// Index of the first character no answer can hold, or -1.
qsizetype FirstRefused(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!answertext::IsDigit(text[i]) && !QStringView(u"+-*/(). ").contains(text[i]))
            return i;
    }
    return -1;
}

} // namespace

TSqlError::TSqlError(const QString& message) : std::runtime_error(message.toStdString()) {}

TSqlDataSet::TSqlDataSet() : FConnectionName(u"numcore.sqldataset.%1"_s.arg(++ConnectionsMade)) {}

TSqlDataSet::~TSqlDataSet() {
    // The query must be gone before its connection is removed.
    FQuery.reset();
    if (QSqlDatabase::contains(FConnectionName))
        QSqlDatabase::removeDatabase(FConnectionName);
}

void TSqlDataSet::SetConnectionString(const QString& connectionString) {
    FConnectionString = connectionString;
}

void TSqlDataSet::SetCommandText(const QString& commandText) {
    if (Active())
        throw TSqlError(u"Operation not allowed while the data set is open"_s);
    FCommandText = commandText;
}

bool TSqlDataSet::Active() const {
    return FQuery && FQuery->isActive();
}

void TSqlDataSet::Connect() {
    if (FQuery)
        return;
    const QString source = DataSourceOf(FConnectionString);
    const TDataSource* found = nullptr;
    for (const TDataSource& known : DataSources) {
        if (known.Name == source)
            found = &known;
    }
    if (!found)
        throw TSqlError(u"Data source name '%1' not found"_s.arg(source));

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, FConnectionName);
        db.setDatabaseName(found->Database.toString());
        if (!db.isValid())
            failure = u"The SQLite driver of Qt SQL is not available"_s;
        else if (!db.open())
            failure = u"Cannot connect to '%1': %2"_s.arg(source, db.lastError().text());
        else {
            FQuery = std::make_unique<QSqlQuery>(db);
            FQuery->setForwardOnly(true);
            FQuery->setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
            return;
        }
    }
    QSqlDatabase::removeDatabase(FConnectionName);
    throw TSqlError(failure);
}

void TSqlDataSet::Open() {
    if (Active())
        return;
    Connect();
    ++FOpenCount;
    if (!FQuery->exec(sqlengine::RealLiterals(FCommandText))) {
        const QString message = FQuery->lastError().text();
        FQuery->finish();
        throw TSqlError(message);
    }
    FQuery->next();
}

void TSqlDataSet::Close() {
    if (FQuery)
        FQuery->finish();
}

QString TSqlDataSet::FieldText(const QString& name) const {
    if (!Active() || !FQuery->isValid())
        throw TSqlError(u"The data set has no current record"_s);
    const int index = FQuery->record().indexOf(name);
    if (index < 0)
        throw TSqlError(u"Field '%1' not found"_s.arg(name));
    const QVariant value = FQuery->value(index);
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return QString::fromStdString(FloatToStr(value.toDouble()));
    return value.toString();
}

namespace sqlengine {

QString DefaultConnectionString() {
    return u"Provider=MSDASQL.1;Persist Security Info=False;Data Source=dBASE Files"_s;
}

QString RealLiterals(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        qsizetype end = i + 1;
        bool makeReal = false;
        if (c == u'\'' || c == u'"' || c == u'`')
            end = SkipQuoted(sql, i, c);
        else if (c == u'[')
            end = SkipQuoted(sql, i, u']');
        else if (c == u'-' && next == u'-')
            end = EndOfComment(sql, sql.indexOf(u'\n', i), 0);
        else if (c == u'/' && next == u'*')
            end = EndOfComment(sql, sql.indexOf(u"*/"_s, i + 2), 2);
        else if (c == u'?')
            end = SkipWhile(sql, i + 1, answertext::IsDigit);
        else if ((c == u':' || c == u'@' || c == u'$') && IsIdentifierChar(next))
            end = SkipWhile(sql, i + 1, IsIdentifierChar);
        else if (IsIdentifierChar(c) && !answertext::IsDigit(c))
            end = SkipWhile(sql, i, IsIdentifierChar);
        else if (c == u'0' && (next == u'x' || next == u'X') && i + 2 < sql.size() &&
                 IsHexDigit(sql[i + 2]))
            end = SkipWhile(sql, i + 2, IsHexDigit);
        else if (answertext::IsDigit(c) || (c == u'.' && answertext::IsDigit(next))) {
            end = SkipWhile(sql, i, answertext::IsDigit);
            makeReal = end > i;
            if (end < sql.size() && sql[end] == u'.') {
                end = SkipWhile(sql, end + 1, answertext::IsDigit);
                makeReal = false;
            }
            if (end < sql.size() && (sql[end] == u'e' || sql[end] == u'E')) {
                qsizetype digits = end + 1;
                if (digits < sql.size() && (sql[digits] == u'+' || sql[digits] == u'-'))
                    ++digits;
                if (digits < sql.size() && answertext::IsDigit(sql[digits])) {
                    end = SkipWhile(sql, digits, answertext::IsDigit);
                    makeReal = false;
                }
            }
            // "12abc" is no number to the engine either: leave the whole token alone.
            if (end < sql.size() && IsIdentifierChar(sql[end])) {
                end = SkipWhile(sql, end, IsIdentifierChar);
                makeReal = false;
            }
        }
        out += QStringView(sql).sliced(i, end - i);
        if (makeReal)
            out += u".0"_s;
        i = end;
    }
    return out;
}

bool IsAnswerText(const QString& text) {
    return FirstRefused(text) < 0;
}

QString EvalSql(TSqlDataSet& dataSet, const QString& expression) {
    if (const qsizetype refused = FirstRefused(expression); refused >= 0)
        throw TSqlError(u"Character '%1' is not allowed in the answer '%2': an answer holds "
                        u"only digits, + - * / ( ) . and spaces"_s.arg(expression[refused])
                            .arg(expression));
    struct TCloser {
        TSqlDataSet& DataSet;
        ~TCloser() { DataSet.Close(); }
    } closer{dataSet};
    dataSet.Close();
    dataSet.SetCommandText(u"select "_s + expression + u" as Result"_s);
    dataSet.Open();
    return dataSet.FieldText(u"Result"_s);
}

} // namespace sqlengine
