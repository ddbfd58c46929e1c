#include "pagedialogs.h"

#include "framework/usertext.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace pagedialogs {
namespace {

// A page's text as a box shows it: plain text, long enough for any real message, never a
// box larger than the screen.
constexpr qsizetype kShownChars = 2000;

QString shown(const QString &text)
{
    return text.size() > kShownChars ? text.left(kShownChars) + QStringLiteral("...") : text;
}

// A box of the page: its question, and OK (with Cancel when it asks).
class PageDialog : public QDialog
{
public:
    PageDialog(QWidget *owner, const QString &title, const QString &text, bool withCancel)
        : QDialog(owner ? owner->window() : nullptr)
    {
        setWindowTitle(title);
        // Not modal: the window's own buttons stay in reach while the page waits.
        setWindowModality(Qt::NonModal);
        if (parentWidget() && parentWidget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            setWindowFlag(Qt::WindowStaysOnTopHint);
        m_layout = new QVBoxLayout(this);
        auto *label = new QLabel(shown(text), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(300);
        m_layout->addWidget(label);
        m_buttons = new QDialogButtonBox(
            withCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok,
            this);
        connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }

    void addField(QWidget *field, const QString &label = QString())
    {
        if (m_form == nullptr) {
            m_form = new QFormLayout;
            m_layout->addLayout(m_form);
        }
        if (label.isEmpty())
            m_form->addRow(field);
        else
            m_form->addRow(label, field);
    }

    QPushButton *okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }

    // Shows the box and waits for its answer, the rest of the program running meanwhile.
    // When the program ends meanwhile (Exit, the window's close), the answer is "cancelled".
    bool ask()
    {
        // Over a window that is no longer shown (the program is ending) nobody could answer: a
        // page that asks again and again would otherwise hold the ending program for ever.
        if (parentWidget() == nullptr || !parentWidget()->isVisible())
            return false;
        m_layout->addWidget(m_buttons);
        okButton()->setDefault(true);
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        // Centred on its owner at the size it has with its text (Qt would centre it at the
        // size it had before its layout ran), kept on the owner's screen.
        adjustSize();
        if (const QWidget *window = parentWidget()) {
            QRect frame = rect();
            frame.moveCenter(window->frameGeometry().center());
            if (const QScreen *screen = window->screen()) {
                const QRect room = screen->availableGeometry();
                frame.moveLeft(qBound(room.left(), frame.left(), room.right() - frame.width()));
                frame.moveTop(qBound(room.top(), frame.top(), room.bottom() - frame.height()));
            }
            move(frame.topLeft());
        }
        show();
        raise();
        activateWindow();
        loop.exec();
        hide();
        return result() == QDialog::Accepted;
    }

private:
    QVBoxLayout *m_layout = nullptr;
    QFormLayout *m_form = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace

void alert(QWidget *owner, const QString &title, const QString &text)
{
    PageDialog box(owner, title, text, false);
    box.ask();
}

bool confirm(QWidget *owner, const QString &title, const QString &text)
{
    PageDialog box(owner, title, text, true);
    return box.ask();
}

std::optional<QString> prompt(QWidget *owner, const QString &title, const QString &text,
                              const QString &value)
{
    PageDialog box(owner, title, text, true);
    auto *field = new QLineEdit(value, &box);
    box.addField(field);
    field->setFocus();
    if (!box.ask())
        return std::nullopt;
    return field->text();
}

std::optional<Credentials> login(QWidget *owner, const QString &who, const QString &realm,
                                 bool proxy)
{
    QString text = proxy ? QStringLiteral("The proxy %1 asks for a user name and password.")
                         : QStringLiteral("The server %1 asks for a user name and password.");
    text = text.arg(who);
    if (!realm.isEmpty())
        text += QStringLiteral("\nIt says: \"%1\"").arg(framework::echoUserText(realm, 200));
    PageDialog box(owner, QStringLiteral("Log in"), text, true);
    auto *user = new QLineEdit(&box);
    auto *password = new QLineEdit(&box);
    password->setEchoMode(QLineEdit::Password);
    box.addField(user, QStringLiteral("&User name:"));
    box.addField(password, QStringLiteral("&Password:"));
    box.okButton()->setText(QStringLiteral("Log in"));
    user->setFocus();
    if (!box.ask())
        return std::nullopt;
    return Credentials{user->text(), password->text()};
}

} // namespace pagedialogs
