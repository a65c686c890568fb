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

std::atomic<int> g_connectionsMade{0};

// Index of the first character no answer can hold, or -1.
qsizetype FirstRefused(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!answertext::IsDigit(text[i]) && !QStringView(u"+-*/() ").contains(text[i]))
            return i;
    }
    return -1;
}

} // namespace

TSqlError::TSqlError(const QString& message) : std::runtime_error(message.toStdString()) {}

TSqlDataSet::TSqlDataSet() : FConnectionName(u"numcore.sqldataset.%1"_s.arg(++g_connectionsMade)) {}

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
    if (!FQuery->exec(FCommandText)) {
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

QString SelectList(const QString& answer) {
    QString out;
    out.reserve(answer.size() * 3);
    for (qsizetype i = 0; i < answer.size(); ++i) {
        const bool digit = answertext::IsDigit(answer[i]);
        const bool afterDigit = i > 0 && answertext::IsDigit(answer[i - 1]);
        if (i > 0 && !(digit && afterDigit)) {
            // A whole number ends here: the engine reads it as a real.
            if (afterDigit)
                out += u".0"_s;
            // No two characters of the answer join into one token, so "/*", "*/"
            // and "--" stay two operators and never open a comment.
            out += u' ';
        }
        out += answer[i];
    }
    if (!answer.isEmpty() && answertext::IsDigit(answer.back()))
        out += u".0"_s;
    return out;
}

QString EvalSql(TSqlDataSet& dataSet, const QString& expression) {
    if (const qsizetype refused = FirstRefused(expression); refused >= 0)
        throw TSqlError(u"Character '%1' is not allowed in the answer '%2': an answer holds "
                        u"only digits, + - * / ( ) and spaces"_s.arg(expression[refused])
                            .arg(expression));
    struct TCloser {
        TSqlDataSet& DataSet;
        ~TCloser() { DataSet.Close(); }
    } closer{dataSet};
    dataSet.Close();
    dataSet.SetCommandText(u"select "_s + SelectList(expression) + u" as Result"_s);
    dataSet.Open();
    return dataSet.FieldText(u"Result"_s);
}

} // namespace sqlengine
