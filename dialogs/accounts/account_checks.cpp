#include "account_checks.h"

#include "mdl_main.h"

#include <QCoreApplication>

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
        return refused(QCoreApplication::translate("dialogs", "サーバーアドレスが"),
                       QCoreApplication::translate("dialogs", "未記入です"));
    if (user.isEmpty())
        return refused(QCoreApplication::translate("dialogs", "ユーザーが"),
                       QCoreApplication::translate("dialogs", "未記入です"));
    if (pass.isEmpty())
        return refused(QCoreApplication::translate("dialogs", "パスワードアドレスが"),
                       QCoreApplication::translate("dialogs", "未記入です"));
    if (interval.isEmpty())
        return refused(QCoreApplication::translate("dialogs", "待機時間が"),
                       QCoreApplication::translate("dialogs", "未記入です"));
    if (!MdlMain::IsDigits(interval))
        return refused(QCoreApplication::translate("dialogs", "待機時間は"),
                       QCoreApplication::translate("dialogs", "半角数字"));

    // Only digits remain, so the number is exact: leading zeros fall away ("0300" is 300).
    // A run too long for 64 bits fails to convert and is refused like one over the bound.
    bool converted = false;
    const qlonglong seconds = interval.toLongLong(&converted, 10);
    if (!converted || seconds > kLongestInterval)
        return refused(QCoreApplication::translate("dialogs", "待機時間は"),
                       QCoreApplication::translate("dialogs", "半角数字"));
    return AccountCheck{QString(), seconds};
}

} // namespace dialogs
