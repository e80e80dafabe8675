#include "block_list_undo.h"

#include "connection.h"
#include "statements.h"

#include <QCoreApplication>

namespace dialogs {

using namespace Qt::StringLiterals;

namespace {

template <typename Entry> QList<Entry> rowsOf(store::Recordset& rows)
{
    QList<Entry> entries;
    for (; !rows.eof(); rows.moveNext())
        entries.append({rows.value(u"id"_s).toLongLong(), rows.value(u"addfrom"_s)});
    return entries;
}

} // namespace

BlockListUndo::BlockListUndo(std::function<void(const QString&)> report)
    : m_report(std::move(report))
{
}

int BlockListUndo::deleteMatching(store::Connection& settings, const QString& fragment)
{
    // The dialogs are modal and the sweep only reads the list: what is read here is what the
    // delete removes.
    QList<Entry> entries = rowsOf<Entry>(*settings.Execute(store::SqlBlockDeleteSelect(fragment)));
    settings.Execute(store::SqlBlockDelete(fragment));
    return deleted(std::move(entries));
}

int BlockListUndo::deleteById(store::Connection& settings, qint64 id)
{
    QList<Entry> entries = rowsOf<Entry>(*settings.Execute(store::SqlBlockById(id)));
    settings.Execute(store::SqlBlockDeleteById(id));
    return deleted(std::move(entries));
}

int BlockListUndo::deleted(QList<Entry> entries)
{
    const int count = static_cast<int>(entries.size());
    if (count > 0)
        m_last = std::move(entries);
    if (m_report) {
        m_report(count > 0
                     ? QCoreApplication::translate(
                           "dialogs",
                           "ブロックリストから %1 件を削除しました（削除 → 元に戻す で戻せます）")
                           .arg(count)
                     : QCoreApplication::translate(
                           "dialogs", "ブロックリストから削除したアドレスはありません"));
    }
    return count;
}

int BlockListUndo::undo(store::Connection& settings)
{
    int restored = 0;
    // Each entry is forgotten once it is back: a failure part way leaves the rest to undo.
    while (!m_last.isEmpty()) {
        settings.Execute(store::SqlBlockRestore(m_last.first().id, m_last.first().address));
        m_last.removeFirst();
        ++restored;
    }
    if (m_report)
        m_report(QCoreApplication::translate("dialogs", "ブロックリストに %1 件を戻しました")
                     .arg(restored));
    return restored;
}

} // namespace dialogs
