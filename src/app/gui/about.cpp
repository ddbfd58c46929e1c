#include "app/about.h"

#include "app/programvalues.h"
#include "components/label.h"
#include "dates/dates.h"
#include "framework/messagebox.h"
#include "platform/shellopen.h"

#include <QImage>
#include <QWidget>

// Resources of a library are linked in only when something refers to them.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

TAboutBox::TAboutBox(const framework::FormReader &reader, QWidget *parent)
    : components::TForm(parent)
{
    m_form = framework::readFormDescription(QStringLiteral(":/forms/TABOUTBOX"),
                                            QStringLiteral("TABOUTBOX"));
    reader.createVisual(m_form, this, m_components, this);
    // The description's image holds no picture: the program's icon is a resource of its own.
    if (auto *icon = m_components.find(QStringLiteral("ProgramIcon"))) {
        icon->setProperty("Picture", programIcon());
        if (auto *w = qobject_cast<QWidget *>(icon))
            w->setAccessibleName(QStringLiteral("Daypane icon"));
    }
    if (auto *panel = qobject_cast<QWidget *>(m_components.find(QStringLiteral("Panel1"))))
        panel->setAccessibleName(QStringLiteral("About Login Daypane"));
    if (auto *link = label(QStringLiteral("Label9")))
        link->setAccessibleDescription(homePage());
}

QImage TAboutBox::programIcon()
{
    static const bool initialised = (initIconResources(), true);
    Q_UNUSED(initialised);
    return QImage(QStringLiteral(":/icons/daypane32.ico"), "ICO");
}

QString TAboutBox::homePage()
{
    return QStringLiteral("https://daypane.example.org/");
}

components::TLabel *TAboutBox::label(const QString &name) const
{
    return m_components.get<components::TLabel>(name);
}

void TAboutBox::FormActivate(QObject *)
{
    const ProgramValues &pv = programValues();
    label(QStringLiteral("Label3"))->setCaption(pv.LastLoginDay);
    label(QStringLiteral("Label4"))->setCaption(pv.CurrentDay);
    label(QStringLiteral("Label6"))->setCaption(dates::DateTimeToText(pv.LastLoginTime));
    label(QStringLiteral("Label8"))->setCaption(QString::number(pv.TimeZoneOffset));
}

void TAboutBox::OKButtonClick(QObject *)
{
    setModalResult(1);
}

void TAboutBox::Label9Click(QObject *)
{
    if (const platform::ShellOpenResult opened =
            platform::shellOpen(homePage(), QString(), platform::SW_SHOW);
        !opened)
        framework::showErrorMessage(
            QStringLiteral("Cannot open the home page in the default browser: %1")
                .arg(opened.reason));
}
