#pragma once

#include <QString>
#include <optional>

class QWidget;

// The boxes a page brings up: its script's alert, confirm and prompt, the question before it is
// left, and the login that a server or a proxy asks for. Each belongs to `owner`'s window
// (transient for it, centred on it, above it when it stays on top) and leaves that window
// usable: Exit and the window manager's close still work while a box is up, and end the
// program, which answers the box as if it were cancelled.
namespace pagedialogs {

void alert(QWidget *owner, const QString &title, const QString &text);
bool confirm(QWidget *owner, const QString &title, const QString &text);
// The text entered, or nullopt when the box was cancelled.
std::optional<QString> prompt(QWidget *owner, const QString &title, const QString &text,
                              const QString &value);

struct Credentials
{
    QString user;
    QString password;
};
// `who` names the server (or the proxy) as the box shows it, `realm` is what it says of itself.
std::optional<Credentials> login(QWidget *owner, const QString &who, const QString &realm,
                                 bool proxy);

} // namespace pagedialogs
