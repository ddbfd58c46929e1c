#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace components {

class TdxCustomControl;

// The credit text of every component and control of the set.
inline constexpr char kDxAbout[] = "Gradient controls for Daypane";

// The base of the set's non-visual components: a credit text and a version, both read-only in
// effect (form descriptions still carry them).
class TdxCustomComponent : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString About READ About WRITE setAbout)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
public:
    explicit TdxCustomComponent(QObject *owner = nullptr);

    QString About() const { return m_about; }
    void setAbout(const QString &) {}
    QString Version() const { return GetVersion(); }
    void setVersion(const QString &) {}

protected:
    virtual QString GetVersion() const { return {}; }

private:
    QString m_about;
};

// Controls may register here; the theme has no visible effect yet.
class TdxStyleManager : public TdxCustomComponent
{
    Q_OBJECT
    Q_PROPERTY(TdxTheme Theme READ Theme WRITE setTheme)
public:
    enum TdxTheme : quint8 { WindowsXP, OfficeXP };
    Q_ENUM(TdxTheme)

    // Announces in an information box that the component has no function yet.
    explicit TdxStyleManager(QObject *owner = nullptr);
    ~TdxStyleManager() override;

    TdxTheme Theme() const { return m_theme; }
    virtual void setTheme(TdxTheme value);

    void RegisterControl(TdxCustomControl *control);
    void UnregisterControl(TdxCustomControl *control);
    const QList<TdxCustomControl *> &Controls() const { return m_controls; }

    static QString BetaNotice();

protected:
    QString GetVersion() const override;

private:
    QList<TdxCustomControl *> m_controls;
    TdxTheme m_theme = WindowsXP;
};

} // namespace components
