#include "address_text_dialog.h"

#include "app_info.h"
#include "connection.h"
#include "messages.h"
#include "statements.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace dialogs {

using namespace Qt::StringLiterals;
using app::twips;

AddressTextDialog::AddressTextDialog(sweep::Messages& messages, QWidget* owner,
                                     const QString& caption, const QString& buttonCaption,
                                     StatementFor statementFor)
    : FixedDialog(owner, 3840, 1080), m_messages(messages), m_statementFor(statementFor)
{
    setFont(app::uiFont());

    Text1 = new QLineEdit(this);
    Text1->setGeometry(twips(120), twips(120), twips(3600), twips(315));
    // No limit of the dialog's own (QLineEdit would cut at 32767 characters): the store
    // takes any length, and an address cut short would be a different entry.
    Text1->setMaxLength(std::numeric_limits<int>::max());

    Command1 = new QPushButton(buttonCaption, this);
    Command1->setGeometry(twips(1380), twips(555), twips(1095), twips(375));
    Command1->setDefault(true);

    connect(Command1, &QPushButton::clicked, this, &AddressTextDialog::onCommand1Clicked);

    // Window load: the caption, and nothing else; the database is not touched until a press.
    setWindowTitle(caption);
}

void AddressTextDialog::onCommand1Clicked()
{
    sweep::runGuarded(m_messages, [this] {
        const QString cleaned = store::withoutApostrophes(Text1->text());
        if (cleaned.isEmpty()) {
            m_messages.showMessage(
                QCoreApplication::translate("dialogs", "未記入です", "the address box"));
            return;
        }
        apply(*store::openSettings(), cleaned);
        accept();
    });
}

void AddressTextDialog::apply(store::Connection& settings, const QString& cleaned)
{
    settings.Execute(m_statementFor(cleaned));
}

} // namespace dialogs
