#include "app/about.h"

#include "app/programvalues.h"
#include "components/label.h"
#include "dates/dates.h"
#include "platform/shellopen.h"

#include <QImage>

TAboutBox::TAboutBox(const framework::FormReader &reader, QWidget *parent)
    : components::TForm(parent)
{
    m_form = framework::readFormDescription(QStringLiteral(":/forms/TABOUTBOX"),
                                            QStringLiteral("TABOUTBOX"));
    reader.createVisual(m_form, this, m_components, this);
    if (auto *icon = m_components.find(QStringLiteral("ProgramIcon")))
        icon->setProperty("Picture", QImage(QStringLiteral(":/icons/daypane32.png")));
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
    platform::shellOpen(homePage(), QString(), platform::SW_SHOW);
}
