#pragma once

#include "components/form.h"
#include "framework/formreader.h"

#include <QImage>

namespace components {
class TLabel;
}

// The About box: the product, its version and the figures behind the show decision.
class TAboutBox : public components::TForm
{
    Q_OBJECT
public:
    explicit TAboutBox(const framework::FormReader &reader, QWidget *parent = nullptr);

    components::TLabel *label(const QString &name) const;

    // The maker's home page that " Visit Me Online " opens.
    static QString homePage();
    // The program's icon: 32 x 32 pixels in 16 colours, with transparent corners.
    static QImage programIcon();

public slots:
    void FormActivate(QObject *Sender);
    void OKButtonClick(QObject *Sender);
    void Label9Click(QObject *Sender);

private:
    framework::FormDescription m_form;
    framework::FormComponents m_components;
};
