#pragma once

#include <QLabel>
#include <QString>

namespace app {

// The main window's status line: what the program last had to say (a failure of the mail
// layer, a note of the sweep) on at most two lines, cut with "…" when longer; or, while it
// has nothing to say, a quieter text of its own (the count of today's deletions). A click on
// it asks for the whole text (clicked()).
class StatusLine : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

    // text: as the program has it, whole; "" shows the idle text instead.
    void setStatus(const QString& text);
    const QString& status() const { return m_status; }
    void setIdleText(const QString& text);
    const QString& idleText() const { return m_idle; }

    // The start of text that fits on lines lines of the given width in these metrics, with
    // "…" at the end when it does not fit whole.
    static QString fitted(const QString& text, const QFont& font, int width, int lines);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();

    QString m_status;
    QString m_idle;
};

// Shows the whole status text in a small box where it can be selected and copied; returns when
// the box closes.
void showStatusBox(QWidget* owner, const QString& text);

} // namespace app
