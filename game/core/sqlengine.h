#pragma once

// The SQL answer evaluator: the player's answer is placed into a one-column
// SELECT without a table, run by SQLite through Qt SQL, and its value read back
// as text.

#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

class QSqlQuery;

// Every failure of the evaluator: refused text, a missing data set, an engine error.
class TSqlError : public std::runtime_error {
public:
    explicit TSqlError(const QString& message);
};

// A data set in the manner of a data-access layer: a connection string naming the
// data source, a command text, and Open/Close around each use. The connection is
// made on the first Open and kept until the data set is destroyed.
class TSqlDataSet {
public:
    TSqlDataSet();
    ~TSqlDataSet();
    TSqlDataSet(const TSqlDataSet&) = delete;
    TSqlDataSet& operator=(const TSqlDataSet&) = delete;

    QString ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const QString& connectionString);
    QString CommandText() const { return FCommandText; }
    void SetCommandText(const QString& commandText); // only while closed

    // Runs the command text and positions on its first row; throws TSqlError.
    void Open();
    void Close();
    bool Active() const;
    int OpenCount() const { return FOpenCount; } // how often Open reached the engine

    // The text of a field of the current row; throws TSqlError when there is no such field.
    QString FieldText(const QString& name) const;

private:
    void Connect();

    QString FConnectionString;
    QString FCommandText;
    QString FConnectionName; // unique per data set
    std::unique_ptr<QSqlQuery> FQuery;
    int FOpenCount = 0;
};

namespace sqlengine {

// The configuration every game data set carries.
QString DefaultConnectionString();

// The answer as the engine reads it: a blank between every two characters that
// are not both digits, and every whole number written as a real ("8" becomes
// "8.0") so that "/" divides exactly. The answer's characters keep their order,
// so the engine sees the same arithmetic, but no two of them can form one SQL
// token such as a comment marker.
QString SelectList(const QString& answer);

// "select " + SelectList(expression) + " as Result" on the data set, field
// "Result" as text. A real value is rendered with 15 significant digits; NULL
// reads as the empty text. Refuses any character but the digits, "+", "-", "*",
// "/", "(", ")" and the space with TSqlError before the engine sees the text; the
// data set is closed afterwards in every case.
QString EvalSql(TSqlDataSet& dataSet, const QString& expression);

} // namespace sqlengine
