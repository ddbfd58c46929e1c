#pragma once

#include "platform/settingsstore.h"
#include "platform/systeminfo.h"

#include <QObject>
#include <QString>

// Facts about the workstation and the user, gathered once at construction. Every property is
// read-only in effect: the one shared setter discards what it is given.
class TAboutSystem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ComputerName READ ComputerName WRITE discard STORED false)
    Q_PROPERTY(QString UserName READ UserName WRITE discard STORED false)
    Q_PROPERTY(QString WinDir READ WinDir WRITE discard STORED false)
    Q_PROPERTY(QString SysDir READ SysDir WRITE discard STORED false)
    Q_PROPERTY(QString RegOwner READ RegOwner WRITE discard STORED false)
    Q_PROPERTY(QString RegCompany READ RegCompany WRITE discard STORED false)
    Q_PROPERTY(QString OSVersion READ OSVersion WRITE discard STORED false)
    Q_PROPERTY(QString OSPlatform READ OSPlatform WRITE discard STORED false)
    Q_PROPERTY(QString AppData READ AppData WRITE discard STORED false)
    Q_PROPERTY(QString Cache READ Cache WRITE discard STORED false)
    Q_PROPERTY(QString Cookies READ Cookies WRITE discard STORED false)
    Q_PROPERTY(QString DeskTop READ DeskTop WRITE discard STORED false)
    Q_PROPERTY(QString Favorites READ Favorites WRITE discard STORED false)
    Q_PROPERTY(QString Fonts READ Fonts WRITE discard STORED false)
    Q_PROPERTY(QString History READ History WRITE discard STORED false)
    Q_PROPERTY(QString NetHood READ NetHood WRITE discard STORED false)
    Q_PROPERTY(QString Personal READ Personal WRITE discard STORED false)
    Q_PROPERTY(QString PrintHood READ PrintHood WRITE discard STORED false)
    Q_PROPERTY(QString Programs READ Programs WRITE discard STORED false)
    Q_PROPERTY(QString Recent READ Recent WRITE discard STORED false)
    Q_PROPERTY(QString SendTo READ SendTo WRITE discard STORED false)
    Q_PROPERTY(QString StartMenu READ StartMenu WRITE discard STORED false)
    Q_PROPERTY(QString StartUp READ StartUp WRITE discard STORED false)
    Q_PROPERTY(QString Templates READ Templates WRITE discard STORED false)
    Q_PROPERTY(QString Windows READ Windows WRITE discard STORED false)
    Q_PROPERTY(QString System READ System WRITE discard STORED false)
    Q_PROPERTY(QString Temp READ Temp WRITE discard STORED false)
    Q_PROPERTY(QString CommonFiles READ CommonFiles WRITE discard STORED false)
    Q_PROPERTY(QString Config READ Config WRITE discard STORED false)
    Q_PROPERTY(QString Device READ Device WRITE discard STORED false)
    Q_PROPERTY(QString Media READ Media WRITE discard STORED false)
    Q_PROPERTY(QString OtherDevice READ OtherDevice WRITE discard STORED false)
    Q_PROPERTY(QString ProgramFiles READ ProgramFiles WRITE discard STORED false)
    Q_PROPERTY(QString SystemRoot READ SystemRoot WRITE discard STORED false)
    Q_PROPERTY(QString WallPaper READ WallPaper WRITE discard STORED false)
    Q_PROPERTY(QString MyPictures READ MyPictures WRITE discard STORED false)
    Q_PROPERTY(QString LocalAppData READ LocalAppData WRITE discard STORED false)
public:
    explicit TAboutSystem(QObject *owner = nullptr,
                          const platform::SettingsStore &store = platform::systemSettings(),
                          const platform::SystemQueries &system = platform::systemQueries());

    QString ComputerName() const { return m_computerName; }
    QString UserName() const { return m_userName; }
    QString WinDir() const { return m_winDir; }
    QString SysDir() const { return m_sysDir; }
    QString RegOwner() const { return m_regOwner; }
    QString RegCompany() const { return m_regCompany; }
    QString OSVersion() const { return m_osVersion; }
    QString OSPlatform() const { return m_osPlatform; }
    QString AppData() const { return m_appData; }
    QString Cache() const { return m_cache; }
    QString Cookies() const { return m_cookies; }
    QString DeskTop() const { return m_deskTop; }
    QString Favorites() const { return m_favorites; }
    QString Fonts() const { return m_fonts; }
    QString History() const { return m_history; }
    QString NetHood() const { return m_netHood; }
    QString Personal() const { return m_personal; }
    QString PrintHood() const { return m_printHood; }
    QString Programs() const { return m_programs; }
    QString Recent() const { return m_recent; }
    QString SendTo() const { return m_sendTo; }
    QString StartMenu() const { return m_startMenu; }
    QString StartUp() const { return m_startUp; }
    QString Templates() const { return m_templates; }
    QString Windows() const { return m_windows; }
    QString System() const { return m_system; }
    QString Temp() const { return m_temp; }
    QString CommonFiles() const { return m_commonFiles; }
    QString Config() const { return m_config; }
    QString Device() const { return m_device; }
    QString Media() const { return m_media; }
    QString OtherDevice() const { return m_otherDevice; }
    QString ProgramFiles() const { return m_programFiles; }
    QString SystemRoot() const { return m_systemRoot; }
    QString WallPaper() const { return m_wallPaper; }
    QString MyPictures() const { return m_myPictures; }
    QString LocalAppData() const { return m_localAppData; }

    void discard(const QString &) {}

    // Replaces the last complete "%NAME%" pair by the variable's value, if it is set.
    static QString expandPath(const QString &text, const platform::SystemQueries &system);

private:
    int m_platformId = 0;
    QString m_computerName;
    QString m_userName;
    QString m_winDir;
    QString m_sysDir;
    QString m_regOwner;
    QString m_regCompany;
    QString m_osVersion;
    QString m_osPlatform;
    QString m_appData;
    QString m_cache;
    QString m_cookies;
    QString m_deskTop;
    QString m_favorites;
    QString m_fonts;
    QString m_history;
    QString m_netHood;
    QString m_personal;
    QString m_printHood;
    QString m_programs;
    QString m_recent;
    QString m_sendTo;
    QString m_startMenu;
    QString m_startUp;
    QString m_templates;
    QString m_windows;
    QString m_system;
    QString m_temp;
    QString m_commonFiles;
    QString m_config;
    QString m_device;
    QString m_media;
    QString m_otherDevice;
    QString m_programFiles;
    QString m_systemRoot;
    QString m_wallPaper;
    QString m_myPictures;
    QString m_localAppData;
};
