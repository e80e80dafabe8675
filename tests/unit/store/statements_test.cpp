// The statement catalogue: the fixed pieces, and values that must not change a statement.

#include "statements.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Row {
    const char* situation;
    QString built;
    QString expected;
};

TEST(Statements, TextsAsTheProgramSendsThem)
{
    const Row rows[] = {
        {"account insert", store::SqlAccountInsert(u"pop.example.jp"_s, u"taro"_s, u"pw"_s, 300),
         u"insert into cool(d_server,d_user,d_pass,d_time)values('pop.example.jp','taro','pw',300)"_s},
        {"account list", store::SqlAccountList(), u"select id,d_user from cool order by id desc"_s},
        {"block insert", store::SqlBlockInsert(u"o'neil"_s),
         u"insert into mymailchk (addfrom) values ('oneil')"_s},
        {"block delete keeps its semicolon", store::SqlBlockDelete(u" abc "_s),
         u"delete from mymailchk where addfrom like '% abc %';"_s},
        {"block list", store::SqlBlockList(),
         u"select id,addfrom from mymailchk order by id desc"_s},
        {"match like", store::SqlBlockMatchLike(u"a@b.jp"_s),
         u"select addfrom from mymailchk where addfrom like '%a@b.jp%'"_s},
        {"match exact", store::SqlBlockMatchExact(u"a@b.jp"_s),
         u"select addfrom from mymailchk where addfrom='a@b.jp'"_s},
        {"quotes in account texts are doubled",
         store::SqlAccountInsert(u"'"_s, u"x');drop table cool;--"_s, u"p''"_s, 7),
         u"insert into cool(d_server,d_user,d_pass,d_time)values('''','x'');drop table cool;--','p''''',7)"_s},
        {"account by id", store::SqlAccountById(42), u"select * from cool where id=42"_s},
        {"account update by id doubles quotes",
         store::SqlAccountUpdateById(u"s'"_s, u"o'brien"_s, u"p'"_s, 300, 7),
         u"update cool set d_server='s''',d_user='o''brien',d_pass='p''',d_time='300' where id=7"_s},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.built.toStdString(), row.expected.toStdString()) << row.situation;
}

} // namespace
