#pragma once

#include <QString>
#include <QVariant>

// Every statement the program sends to the settings database, and nothing else.
// Each function joins fixed pieces with the value of the moment; the values are made safe
// here, so no caller can change a statement's shape.
namespace store {

// The text with every apostrophe removed (the block list and the pickers never store one).
QString withoutApostrophes(const QString& text);
// The text with every single quote doubled, so that it stands between quotes as typed.
QString quoted(const QString& text);

// seconds: the interval as a whole number; it is written in plain decimal.
QString SqlAccountInsert(const QString& server, const QString& user, const QString& pass,
                         qint64 seconds);
QString SqlAccountList();
QString SqlBlockInsert(const QString& address);
QString SqlBlockDelete(const QString& fragment);
QString SqlBlockList();
QString SqlBlockMatchLike(const QString& address);
QString SqlBlockMatchExact(const QString& sender);

// The block-list browser deletes the one row the user picked, by its id, and never another row
// whose address merely contains the picked text.
QString SqlBlockDeleteById(qint64 id);

// What a deletion is about to remove, so that it can be undone: the rows SqlBlockDelete(fragment)
// deletes (the same condition), and the row SqlBlockDeleteById(id) deletes.
QString SqlBlockDeleteSelect(const QString& fragment);
QString SqlBlockById(qint64 id);
// Puts a deleted row back under its own id (AUTOINCREMENT never hands a deleted id out again),
// its address exactly as it was; a null address stays null.
QString SqlBlockRestore(qint64 id, const QVariant& address);

// Accounts are picked and rewritten by their row's id: user names need not be unique, and a
// name with an apostrophe is still its own.
QString SqlAccountById(qint64 id);
// The pickers' list: each account with its server, so that equal user names can be told apart.
QString SqlAccountPickList();
QString SqlAccountUpdateById(const QString& server, const QString& user, const QString& pass,
                             qint64 seconds, qint64 id);

} // namespace store
