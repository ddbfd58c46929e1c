#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// What the pane shows instead of a page it has not got: a short text and a way to load the page
// again. It lies over the view and follows its size.
class PaneMessage : public QFrame
{
    Q_OBJECT
public:
    explicit PaneMessage(QWidget *view);

    // Shows `text` over the whole view, with the reload button focused.
    void showText(const QString &text);
    QString text() const;

signals:
    void reloadClicked();

private:
    QLabel *m_text;
    QPushButton *m_reload;
};
