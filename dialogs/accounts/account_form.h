#pragma once

#include "fixed_dialog.h"
#include "settings_file.h"

#include <QFont>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sweep {
class Messages;
}

namespace dialogs {

// A control's place in twips.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

// What the new and the edit account dialog draw differently: sizes, places, texts.
struct AccountFormLayout {
    // One labelled box; the label's font size in points, and its width in percent of the
    // font's own (a condensed face where a text is wider than its drawn place).
    struct Field {
        QString caption;
        qreal points;
        Place label;
        Place box;
        int stretch = QFont::Unstretched;
    };

    QString windowCaption;
    int clientWidth; // twips
    int clientHeight;
    Field fields[4]; // server address, user name, password, interval in seconds
    QString buttonCaption;
    Place button;
};

// The four values of an account dialog once every check has passed.
struct AccountFields {
    QString server;
    QString user;
    QString pass;
    qint64 seconds;
};

// The form both account dialogs are: four labelled boxes (server address, user name,
// password shown in clear, interval in seconds) and a button that runs the five checks in
// order, shows the first that fails, or else saves through the dialog's own statement on a
// connection opened for it and closes the dialog.
class AccountForm : public FixedDialog {
    Q_OBJECT

public:
    QLabel* Label1;
    QLineEdit* Text1; // server address
    QLabel* Label2;
    QLineEdit* Text2; // user name
    QLabel* Label3;
    QLineEdit* Text3; // password, shown in clear
    QLabel* Label4;
    QLineEdit* Text4; // interval in seconds
    QPushButton* Command1;

protected:
    AccountForm(sweep::Messages& messages, QWidget* owner, const AccountFormLayout& layout);

    // What a save writes, once the checks have passed; a failure of the store ends the
    // program as any other does.
    virtual void save(store::Connection& db, const AccountFields& fields) = 0;

private:
    void onCommand1Clicked();

    sweep::Messages& m_messages;
};

} // namespace dialogs
