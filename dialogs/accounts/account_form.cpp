#include "account_form.h"

#include "account_checks.h"
#include "messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dialogs {

AccountForm::AccountForm(sweep::Messages& messages, QWidget* owner, const AccountFormLayout& layout)
    : FixedDialog(owner, layout.clientWidth, layout.clientHeight), m_messages(messages)
{
    QLabel** labels[] = {&Label1, &Label2, &Label3, &Label4};
    QLineEdit** boxes[] = {&Text1, &Text2, &Text3, &Text4};
    for (int i = 0; i < 4; ++i) {
        const AccountFormLayout::Field& field = layout.fields[i];
        const Place& label = field.label;
        const Place& box = field.box;
        *labels[i] = makeLabel(this, field.caption, field.points, label.left, label.top,
                               label.width, label.height);
        if (field.stretch != QFont::Unstretched) {
            QFont font = (*labels[i])->font();
            font.setStretch(field.stretch);
            (*labels[i])->setFont(font);
        }
        *boxes[i] = makeTextBox(this, box.left, box.top, box.width, box.height);
    }
    const Place& button = layout.button;
    Command1 = makeButton(this, layout.buttonCaption, button.left, button.top, button.width,
                          button.height);
    // Labels take no focus: Tab walks the four boxes, then the button.
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    connect(Command1, &QPushButton::clicked, this, &AccountForm::onCommand1Clicked);

    setWindowTitle(layout.windowCaption);
}

void AccountForm::onCommand1Clicked()
{
    sweep::runGuarded(m_messages, [this] {
        const AccountCheck check =
            checkAccountFields(Text1->text(), Text2->text(), Text3->text(), Text4->text());
        if (!check.passed()) {
            m_messages.showMessage(check.message);
            return;
        }
        save(*store::openSettings(), {Text1->text(), Text2->text(), Text3->text(), check.seconds});
        accept();
    });
}

} // namespace dialogs
