#pragma once
// Every user setting of the program, loaded once at start-up from the per-user settings store
// (application "Velquist") and written back by the preferences dialog. One shared instance,
// reached through myPreference().
//
// Integer lets take the number as given (int) or as a double, which is rounded to the nearest
// integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14). A value outside the property's
// range throws std::overflow_error("Overflow"); nothing is changed then.
#include <QString>
#include <QStringList>

class clsPreference {
public:
    clsPreference();

    // Loads every setting; false (after showing the reason) when a stored value is unusable.
    bool GetSettings();
    // Why the last GetSettings failed (the value's section, key and settings file named).
    QString settingsError() const { return m_settingsError; }
    // Writes the "Preference" keys (the allowed servers last); shows the reason and stops at the
    // first failed write.
    void SaveSettings();

    QString Proxy() const { return m_Proxy; }
    void setProxy(const QString &value) { m_Proxy = value; }
    qint16 AccessType() const { return m_AccessType; }
    void setAccessType(int value);
    void setAccessType(double value);
    qint16 TimeOut() const { return m_TimeOut; }
    void setTimeOut(int value);
    void setTimeOut(double value);
    QString Name() const { return m_Name; }
    void setName(const QString &value) { m_Name = value; }
    QString Email() const { return m_Email; }
    void setEmail(const QString &value) { m_Email = value; }
    QString Company() const { return m_Company; }
    void setCompany(const QString &value) { m_Company = value; }
    QString SiteURL() const { return m_SiteURL; }
    void setSiteURL(const QString &value) { m_SiteURL = value; }
    qint16 Connections() const { return m_Connections; }
    void setConnections(int value);
    void setConnections(double value);
    QString HTTPUserName() const { return m_HTTPUserName; }
    void setHTTPUserName(const QString &value) { m_HTTPUserName = value; }
    QString HTTPPassword() const { return m_HTTPPassword; }
    void setHTTPPassword(const QString &value) { m_HTTPPassword = value; }
    QString HTTPLogin() const { return m_HTTPLogin; }
    void setHTTPLogin(const QString &value) { m_HTTPLogin = value; }
    qint16 Authentication() const { return m_Authentication; }
    void setAuthentication(int value);
    void setAuthentication(double value);
    // "host:port" of the server whose login demand (401) Authentication holds; empty for none.
    QString AuthenticationHost() const { return m_AuthenticationHost; }
    void setAuthenticationHost(const QString &value) { m_AuthenticationHost = value; }
    // The "host:port" entries the user allowed the stored server login to go to (key
    // "AuthenticationHosts", blank-separated; without the key, "AuthenticationHost").
    QStringList AuthenticationHosts() const { return m_AuthenticationHosts; }
    void setAuthenticationHosts(const QStringList &value) { m_AuthenticationHosts = value; }
    QString SMTPServer() const { return m_SMTPServer; }
    void setSMTPServer(const QString &value) { m_SMTPServer = value; }
    QString HomePageURL() const { return m_HomePageURL; }
    void setHomePageURL(const QString &value) { m_HomePageURL = value; }
    qint32 Port() const { return m_Port; }
    void setPort(int value) { m_Port = value; }
    void setPort(double value);
    qint16 BlockSpam() const { return m_BlockSpam; }
    void setBlockSpam(int value);
    void setBlockSpam(double value);
    qint16 DontClearFields() const { return m_DontClearFields; }
    void setDontClearFields(int value);
    void setDontClearFields(double value);
    qint16 DownEngineData() const { return m_DownEngineData; }
    void setDownEngineData(int value);
    void setDownEngineData(double value);
    QString LogoURL() const { return m_LogoURL; }
    void setLogoURL(const QString &value) { m_LogoURL = value; }
    qint16 LogoPosition() const { return m_LogoPosition; }
    void setLogoPosition(int value);
    void setLogoPosition(double value);
    QString UpdateURL() const { return m_UpdateURL; }
    QString SupportURL() const { return m_SupportURL; }
    qint16 PromptConnection() const { return m_PromptConnection; }
    void setPromptConnection(int value);
    void setPromptConnection(double value);
    // The data version as it stood in the store before this start.
    QString Version() const { return m_Version; }
    QString TipsURL() const { return m_TipsURL; }
    void setTipsURL(const QString &value) { m_TipsURL = value; }
    QString HTTPVersion() const { return m_HTTPVersion; }
    // Held and stored at once.
    void setHTTPVersion(const QString &value);

private:
    void readSettings();
    void trimErrorLog();
    void writeVersionEntry();

    QString m_Proxy;
    qint16 m_AccessType = 0;
    qint16 m_TimeOut = 0;
    QString m_Name;
    QString m_Email;
    QString m_Company;
    QString m_SiteURL;
    qint16 m_Connections = 0;
    QString m_HTTPUserName;
    QString m_HTTPPassword;
    QString m_HTTPLogin;
    qint16 m_Authentication = 0;
    QString m_AuthenticationHost;
    QStringList m_AuthenticationHosts;
    QString m_SMTPServer;
    QString m_HomePageURL;
    qint32 m_Port = 0;
    qint16 m_BlockSpam = 0;
    qint16 m_DontClearFields = 0;
    qint16 m_DownEngineData = 0;
    QString m_LogoURL;
    qint16 m_LogoPosition = 0;
    QString m_UpdateURL;
    QString m_SupportURL;
    qint16 m_PromptConnection = 0;
    QString m_Version;
    QString m_settingsError;
    QString m_TipsURL;
    QString m_HTTPVersion;
};

// The one settings object, created on first use.
clsPreference &myPreference();
