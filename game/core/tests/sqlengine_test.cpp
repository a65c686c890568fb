#include "game/core/sqlengine.h"

#include "casename.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using casename::PrintTo;

struct TSelectListCase {
    const char* Name;
    QString Answer;
    QString SelectList;
};

class SelectList : public testing::TestWithParam<TSelectListCase> {};

TEST_P(SelectList, NoTwoCharactersJoinAndNumbersAreReal) {
    EXPECT_EQ(sqlengine::SelectList(GetParam().Answer), GetParam().SelectList);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SelectList,
    testing::Values(TSelectListCase{"TwoDigitNumberStaysWhole", u"13"_s, u"13.0"_s},
                    TSelectListCase{"EveryNumberOfAnAnswer", u"8/(3-8/3)"_s,
                                    u"8.0 / ( 3.0 - 8.0 / 3.0 )"_s},
                    TSelectListCase{"CommentMarkersFallApart", u"3*8/*1+1*/"_s,
                                    u"3.0 * 8.0 / * 1.0 + 1.0 * /"_s},
                    TSelectListCase{"DoubleMinusIsTwoSigns", u"6*4--1"_s, u"6.0 * 4.0 - - 1.0"_s},
                    TSelectListCase{"BlankBetweenDigitsSeparatesNumbers", u"1 2"_s, u"1.0   2.0"_s},
                    TSelectListCase{"Empty", u""_s, u""_s}),
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
                    TValueCase{"SignsAreOperators", u"-6*-4"_s, u"24"_s},
                    TValueCase{"DoubleMinusIsNoComment", u"6*4--1"_s, u"25"_s}),
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
                                         TValueCase{"SlashStarIsNoComment", u"8/*3"_s, {}},
                                         TValueCase{"CommentAroundANumber", u"3*8/*1+1*/"_s, {}},
                                         TValueCase{"SpaceBetweenDigits", u"2 4"_s, {}},
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
                    TValueCase{"DecimalPoint", u"2.4*10"_s, {}}, TValueCase{"Comma", u"24,1"_s, {}},
                    TValueCase{"Newline", u"6*4\n"_s, {}},
                    TValueCase{"FullWidthDigit", u"２4"_s, {}}),
    [](const auto& info) { return info.param.Name; });

TEST_F(SqlEngine, CommandTextIsTheExpressionInsideTheSelect) {
    sqlengine::EvalSql(DataSet, u"6*4"_s);
    EXPECT_EQ(DataSet.CommandText(), u"select 6.0 * 4.0 as Result"_s);
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
