#include "statements.h"

#include <QVariant>

namespace store {

using namespace Qt::StringLiterals;

QString withoutApostrophes(const QString& text)
{
    QString result = text;
    result.remove(QLatin1Char('\''));
    return result;
}

QString quoted(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}

// The statements, each exactly as the program has always sent it. Only the values between the
// pieces vary: account texts with their quotes doubled, block-list texts without apostrophes,
// the interval as plain decimal digits.

QString SqlAccountInsert(const QString& server, const QString& user, const QString& pass,
                         qint64 seconds)
{
    return u"insert into cool(d_server,d_user,d_pass,d_time)values('"_s + quoted(server) +
           u"','"_s + quoted(user) + u"','"_s + quoted(pass) + u"',"_s + QString::number(seconds) +
           u")"_s;
}

QString SqlAccountList()
{
    return u"select id,d_user from cool order by id desc"_s;
}

QString SqlBlockInsert(const QString& address)
{
    return u"insert into mymailchk (addfrom) values ('"_s + withoutApostrophes(address) + u"')"_s;
}

QString SqlBlockDelete(const QString& fragment)
{
    return u"delete from mymailchk where addfrom like '%"_s + withoutApostrophes(fragment) +
           u"%';"_s;
}

QString SqlBlockList()
{
    return u"select id,addfrom from mymailchk order by id desc"_s;
}

QString SqlBlockMatchLike(const QString& address)
{
    return u"select addfrom from mymailchk where addfrom like '%"_s + withoutApostrophes(address) +
           u"%'"_s;
}

QString SqlBlockMatchExact(const QString& sender)
{
    return u"select addfrom from mymailchk where addfrom='"_s + withoutApostrophes(sender) + u"'"_s;
}

QString SqlBlockDeleteById(qint64 id)
{
    // The id is written in decimal digits, so no text reaches the statement.
    return u"delete from mymailchk where id="_s + QString::number(id);
}

QString SqlAccountById(qint64 id)
{
    return u"select * from cool where id="_s + QString::number(id);
}

QString SqlAccountUpdateById(const QString& server, const QString& user, const QString& pass,
                             qint64 seconds, qint64 id)
{
    return u"update cool set d_server='"_s + quoted(server) + u"',d_user='"_s + quoted(user) +
           u"',d_pass='"_s + quoted(pass) + u"',d_time='"_s + QString::number(seconds) +
           u"' where id="_s + QString::number(id);
}

QString SqlAccountPickList()
{
    return u"select id,d_user,d_server from cool order by id desc"_s;
}

QString SqlBlockDeleteSelect(const QString& fragment)
{
    return u"select id,addfrom from mymailchk where addfrom like '%"_s +
           withoutApostrophes(fragment) + u"%' order by id"_s;
}

QString SqlBlockById(qint64 id)
{
    return u"select id,addfrom from mymailchk where id="_s + QString::number(id);
}

QString SqlBlockRestore(qint64 id, const QVariant& address)
{
    return u"insert into mymailchk (id,addfrom) values ("_s + QString::number(id) + u","_s +
           (address.isNull() ? u"null"_s : u"'"_s + quoted(address.toString()) + u"'"_s) + u")"_s;
}

} // namespace store
