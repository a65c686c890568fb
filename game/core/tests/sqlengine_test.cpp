#include "game/core/sqlengine.h"

#include "casename.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using casename::PrintTo;

struct TLiteralCase {
    const char* Name;
    QString Sql;
    QString Real;
};

class RealLiterals : public testing::TestWithParam<TLiteralCase> {};

TEST_P(RealLiterals, OnlyWholeIntegerLiteralsBecomeReal) {
    EXPECT_EQ(sqlengine::RealLiterals(GetParam().Sql), GetParam().Real);
}

INSTANTIATE_TEST_SUITE_P(
    Sql, RealLiterals,
    testing::Values(TLiteralCase{"OneDigit", u"8"_s, u"8.0"_s},
                    TLiteralCase{"TwoDigits", u"13"_s, u"13.0"_s},
                    TLiteralCase{"EveryLiteralOfAnAnswer", u"select 8/(3-8/3) as Result"_s,
                                 u"select 8.0/(3.0-8.0/3.0) as Result"_s},
                    TLiteralCase{"Spaces", u"7 / 2"_s, u"7.0 / 2.0"_s},
                    TLiteralCase{"AlreadyReal", u"8.5+1."_s, u"8.5+1."_s},
                    TLiteralCase{"FractionOnly", u".5*2"_s, u".5*2.0"_s},
                    TLiteralCase{"Exponent", u"1e5+1E5+2e-3+3E+2"_s, u"1e5+1E5+2e-3+3E+2"_s},
                    TLiteralCase{"ExponentWithoutDigits", u"1e"_s, u"1e"_s},
                    TLiteralCase{"Hexadecimal", u"0x1F+0X2a"_s, u"0x1F+0X2a"_s},
                    TLiteralCase{"Identifiers", u"x8+a_1+col12b"_s, u"x8+a_1+col12b"_s},
                    TLiteralCase{"NumberGluedToLetters", u"12abc"_s, u"12abc"_s},
                    TLiteralCase{"QuotedText", u"'8'||'it''s 9'"_s, u"'8'||'it''s 9'"_s},
                    TLiteralCase{"QuotedIdentifiers", u"\"c1\"+`c2`+[c 3]"_s,
                                 u"\"c1\"+`c2`+[c 3]"_s},
                    TLiteralCase{"LineComment", u"1--2\n3"_s, u"1.0--2\n3.0"_s},
                    TLiteralCase{"BlockComment", u"1/*2*/3/*4"_s, u"1.0/*2*/3.0/*4"_s},
                    TLiteralCase{"Parameters", u"?1+:p2+@p3+$p4"_s, u"?1+:p2+@p3+$p4"_s},
                    TLiteralCase{"Empty", u""_s, u""_s}),
    [](const auto& info) { return info.param.Name; });

class SqlEngine : public testing::Test {
protected:
    SqlEngine() { DataSet.SetConnectionString(sqlengine::DefaultConnectionString()); }
    TSqlDataSet DataSet;
};

struct TValueCase {
    const char* Name;
    QString Expression;
    QString Text;
};

class SqlValues : public SqlEngine, public testing::WithParamInterface<TValueCase> {};

TEST_P(SqlValues, ValueReadsAsRealNumberText) {
    EXPECT_EQ(sqlengine::EvalSql(DataSet, GetParam().Expression), GetParam().Text);
    EXPECT_FALSE(DataSet.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SqlValues,
    testing::Values(TValueCase{"Product", u"6*4"_s, u"24"_s},
                    TValueCase{"ExactQuotient", u"48/2"_s, u"24"_s},
                    TValueCase{"ThirdsRoundToTwentyFour", u"8/(3-8/3)"_s, u"24"_s},
                    TValueCase{"RealDivisionNotIntegral", u"7/2*8*1"_s, u"28"_s},
                    TValueCase{"ThreeTimesEight", u"3*8"_s, u"24"_s},
                    TValueCase{"DivisionByZeroIsEmpty", u"5/(3-3)"_s, u""_s},
                    TValueCase{"FifteenDigits", u"1/3"_s, u"0.333333333333333"_s},
                    TValueCase{"Negative", u"1-13"_s, u"-12"_s},
                    TValueCase{"Large", u"13*13*13*13"_s, u"28561"_s},
                    TValueCase{"SpacesAllowed", u" 6 * 4 "_s, u"24"_s},
                    TValueCase{"SignsAreOperators", u"-6*-4"_s, u"24"_s}),
    [](const auto& info) { return info.param.Name; });

class SqlInvalid : public SqlEngine, public testing::WithParamInterface<TValueCase> {};

TEST_P(SqlInvalid, EngineRaisesAndTheDataSetIsClosed) {
    const int opened = DataSet.OpenCount();
    EXPECT_THROW(sqlengine::EvalSql(DataSet, GetParam().Expression), TSqlError);
    EXPECT_EQ(DataSet.OpenCount(), opened + 1) << "the text reached the engine";
    EXPECT_FALSE(DataSet.Active());
    EXPECT_EQ(sqlengine::EvalSql(DataSet, u"6*4"_s), u"24"_s) << "the next call still works";
}

INSTANTIATE_TEST_SUITE_P(Answers, SqlInvalid,
                         testing::Values(TValueCase{"UnclosedParen", u"(3+5"_s, {}},
                                         TValueCase{"EndsInOperator", u"3*"_s, {}},
                                         TValueCase{"Empty", u""_s, {}},
                                         TValueCase{"CommentHidesAlias", u"6*4--1"_s, {}},
                                         TValueCase{"CommentOpensMidAnswer", u"8/*3"_s, {}},
                                         TValueCase{"ExtraParen", u"1+2)"_s, {}},
                                         TValueCase{"EmptyParens", u"()"_s, {}}),
                         [](const auto& info) { return info.param.Name; });

class SqlRefused : public SqlEngine, public testing::WithParamInterface<TValueCase> {};

TEST_P(SqlRefused, RefusedBeforeReachingTheEngine) {
    try {
        sqlengine::EvalSql(DataSet, GetParam().Expression);
        FAIL() << "not refused";
    } catch (const TSqlError& error) {
        EXPECT_NE(std::string(error.what()).find("not allowed"), std::string::npos) << error.what();
    }
    EXPECT_EQ(DataSet.OpenCount(), 0);
    EXPECT_FALSE(DataSet.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SqlRefused,
    testing::Values(TValueCase{"SecondStatement", u"1;drop table x"_s, {}},
                    TValueCase{"OwnAlias", u"1 as Result --"_s, {}},
                    TValueCase{"Function", u"abs(-24)"_s, {}}, TValueCase{"Letters", u"x"_s, {}},
                    TValueCase{"Exponent", u"1e5"_s, {}}, TValueCase{"Quote", u"'24'"_s, {}},
                    TValueCase{"Comma", u"24,1"_s, {}}, TValueCase{"Newline", u"6*4\n"_s, {}},
                    TValueCase{"FullWidthDigit", u"２4"_s, {}}),
    [](const auto& info) { return info.param.Name; });

TEST_F(SqlEngine, CommandTextIsTheExpressionInsideTheSelect) {
    sqlengine::EvalSql(DataSet, u"6*4"_s);
    EXPECT_EQ(DataSet.CommandText(), u"select 6*4 as Result"_s);
    EXPECT_EQ(DataSet.ConnectionString(),
              u"Provider=MSDASQL.1;Persist Security Info=False;Data Source=dBASE Files"_s);
}

TEST_F(SqlEngine, ClosedAfterEveryCall) {
    for (const QString& expression : {u"6*4"_s, u"3*"_s, u"5/(3-3)"_s, u"x"_s, u"48/2"_s}) {
        try {
            sqlengine::EvalSql(DataSet, expression);
        } catch (const TSqlError&) {
        }
        EXPECT_FALSE(DataSet.Active()) << expression.toStdString();
    }
    EXPECT_EQ(DataSet.OpenCount(), 4);
}

TEST_F(SqlEngine, MissingFieldRaises) {
    DataSet.SetCommandText(u"select 24 as Other"_s);
    DataSet.Open();
    EXPECT_TRUE(DataSet.Active());
    EXPECT_THROW(DataSet.FieldText(u"Result"_s), TSqlError);
    EXPECT_EQ(DataSet.FieldText(u"Other"_s), u"24"_s);
    DataSet.Close();
    EXPECT_FALSE(DataSet.Active());
}

TEST_F(SqlEngine, CommandTextCannotChangeWhileOpen) {
    DataSet.SetCommandText(u"select 1 as Result"_s);
    DataSet.Open();
    EXPECT_THROW(DataSet.SetCommandText(u"select 2 as Result"_s), TSqlError);
}

TEST(SqlDataSet, UnknownDataSourceRaisesOnOpen) {
    TSqlDataSet dataSet;
    dataSet.SetConnectionString(u"Provider=MSDASQL.1;Data Source=Nowhere"_s);
    try {
        sqlengine::EvalSql(dataSet, u"6*4"_s);
        FAIL() << "opened";
    } catch (const TSqlError& error) {
        EXPECT_NE(std::string(error.what()).find("Nowhere"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(dataSet.Active());
}

TEST(SqlDataSet, TwoDataSetsLiveSideBySide) {
    auto first = std::make_unique<TSqlDataSet>();
    TSqlDataSet second;
    first->SetConnectionString(sqlengine::DefaultConnectionString());
    second.SetConnectionString(sqlengine::DefaultConnectionString());
    EXPECT_EQ(sqlengine::EvalSql(*first, u"6*4"_s), u"24"_s);
    EXPECT_EQ(sqlengine::EvalSql(second, u"48/2"_s), u"24"_s);
    first.reset();
    EXPECT_EQ(sqlengine::EvalSql(second, u"3*8"_s), u"24"_s);
}

} // namespace
