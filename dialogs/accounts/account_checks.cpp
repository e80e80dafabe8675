#include "account_checks.h"

#include "mdl_main.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

AccountCheck refused(const QString& firstLine, const QString& secondLine)
{
    return AccountCheck{firstLine + u"\r\n"_s + secondLine, 0};
}

} // namespace

AccountCheck checkAccountFields(const QString& server, const QString& user, const QString& pass,
                                const QString& interval)
{
    if (server.isEmpty())
        return refused(u"サーバーアドレスが"_s, u"未記入です"_s);
    if (user.isEmpty())
        return refused(u"ユーザーが"_s, u"未記入です"_s);
    if (pass.isEmpty())
        return refused(u"パスワードアドレスが"_s, u"未記入です"_s);
    if (interval.isEmpty())
        return refused(u"待機時間が"_s, u"未記入です"_s);
    if (!MdlMain::IsDigits(interval))
        return refused(u"待機時間は"_s, u"半角数字"_s);

    // Only digits remain, so the number is exact: leading zeros fall away ("0300" is 300).
    // A run too long for 64 bits fails to convert and is refused like one over the bound.
    bool converted = false;
    const qlonglong seconds = interval.toLongLong(&converted, 10);
    if (!converted || seconds > kLongestInterval)
        return refused(u"待機時間は"_s, u"半角数字"_s);
    return AccountCheck{QString(), seconds};
}

} // namespace dialogs
