#include "core/clsPreference.h"

#include "core/frmSplash.h"
#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/Numbers.h"
#include "platform/SettingsStore.h"
#include "platform/modBase64Encode.h"
#include "platform/modDSSockLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

const QString kApp = QStringLiteral("Velquist");
const QString kPreference = QStringLiteral("Preference");
const QString kSetting = QStringLiteral("Setting");
const QString kDataVersion = QStringLiteral("6.0");
constexpr qint64 kErrorLogLimit = 5000;

[[noreturn]] void throwOverflow()
{
    throw std::overflow_error("Overflow");
}

qint16 checkedInt16(int value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throwOverflow();
    return static_cast<qint16>(value);
}

template <typename Int>
Int roundedInt(double value)
{
    const double r = Platform::roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<Int>::min() || r > std::numeric_limits<Int>::max())
        throwOverflow();
    return static_cast<Int>(r);
}

QString readText(const QString &section, const QString &key, const QString &defaultValue = QString())
{
    return Platform::getSetting(kApp, section, key, defaultValue);
}

// The reason a stored value is unusable, with its section, key and settings file, so the user can
// mend it: "Type mismatch in Preference/TimeOut (<file>)".
[[noreturn]] void throwUnusable(const std::exception &reason, const QString &section, const QString &key)
{
    const QString text = QString::fromUtf8(reason.what()) + QStringLiteral(" in ") + section + u'/' + key
        + QStringLiteral(" (") + Platform::settingsFile(kApp) + u')';
    throw std::runtime_error(text.toStdString());
}

// The whole text must be a number; anything else (the empty text too) is an error.
template <typename Int>
Int readStrict(const QString &key, const QString &defaultValue)
{
    try {
        const std::optional<double> number = Platform::strictNumber(readText(kPreference, key, defaultValue));
        if (!number)
            throw std::invalid_argument("Type mismatch");
        return roundedInt<Int>(*number);
    } catch (const std::exception &reason) {
        throwUnusable(reason, kPreference, key);
    }
}

// The number at the start of the text, 0 when there is none.
qint16 readLenient(const QString &section, const QString &key, const QString &defaultValue)
{
    try {
        return roundedInt<qint16>(Platform::leadingNumber(readText(section, key, defaultValue)));
    } catch (const std::exception &reason) {
        throwUnusable(reason, section, key);
    }
}

QString vendorLink(const QString &path)
{
    return QStringLiteral("http://") + Platform::vendorHost() + path;
}

} // namespace

clsPreference::clsPreference()
    : m_HomePageURL(vendorLink(QStringLiteral("/"))),
      m_UpdateURL(vendorLink(QStringLiteral("/update.htm"))),
      m_SupportURL(vendorLink(QStringLiteral("/support.htm"))),
      m_TipsURL(vendorLink(QStringLiteral("/tips.htm")))
{
}

clsPreference &myPreference()
{
    static clsPreference instance;
    return instance;
}

void clsPreference::setAccessType(int value) { m_AccessType = checkedInt16(value); }
void clsPreference::setAccessType(double value) { m_AccessType = roundedInt<qint16>(value); }
void clsPreference::setTimeOut(int value) { m_TimeOut = checkedInt16(value); }
void clsPreference::setTimeOut(double value) { m_TimeOut = roundedInt<qint16>(value); }
void clsPreference::setConnections(int value) { m_Connections = checkedInt16(value); }
void clsPreference::setConnections(double value) { m_Connections = roundedInt<qint16>(value); }
void clsPreference::setAuthentication(int value) { m_Authentication = checkedInt16(value); }
void clsPreference::setAuthentication(double value) { m_Authentication = roundedInt<qint16>(value); }
void clsPreference::setPort(double value) { m_Port = roundedInt<qint32>(value); }
void clsPreference::setBlockSpam(int value) { m_BlockSpam = checkedInt16(value); }
void clsPreference::setBlockSpam(double value) { m_BlockSpam = roundedInt<qint16>(value); }
void clsPreference::setDontClearFields(int value) { m_DontClearFields = checkedInt16(value); }
void clsPreference::setDontClearFields(double value) { m_DontClearFields = roundedInt<qint16>(value); }
void clsPreference::setDownEngineData(int value) { m_DownEngineData = checkedInt16(value); }
void clsPreference::setDownEngineData(double value) { m_DownEngineData = roundedInt<qint16>(value); }
void clsPreference::setLogoPosition(int value) { m_LogoPosition = checkedInt16(value); }
void clsPreference::setLogoPosition(double value) { m_LogoPosition = roundedInt<qint16>(value); }
void clsPreference::setPromptConnection(int value) { m_PromptConnection = checkedInt16(value); }
void clsPreference::setPromptConnection(double value) { m_PromptConnection = roundedInt<qint16>(value); }

void clsPreference::setHTTPVersion(const QString &value)
{
    m_HTTPVersion = value;
    Platform::saveSetting(kApp, kPreference, QStringLiteral("HTTPVersion"), value);
}

bool clsPreference::GetSettings()
{
    m_settingsError.clear();
    try {
        readSettings();
    } catch (const std::exception &error) {
        m_settingsError = QString::fromUtf8(error.what());
        frmSplash::unloadSplash();
        Platform::msgBox(QStringLiteral("GetSetting_Error: ") + m_settingsError, Platform::Exclamation, kApp);
        return false;
    }
    // From here on nothing may stop the start.
    trimErrorLog();
    writeVersionEntry();
    return true;
}

// Each value is assigned as soon as it is read, so a failure keeps what came before it.
void clsPreference::readSettings()
{
    m_AccessType = readStrict<qint16>(QStringLiteral("AccessType"), QStringLiteral("0"));
    m_Proxy = readText(kPreference, QStringLiteral("Proxy"));
    m_Port = readStrict<qint32>(QStringLiteral("Port"), QStringLiteral("0"));
    m_TimeOut = readStrict<qint16>(QStringLiteral("TimeOut"), QStringLiteral("30"));
    m_Connections = readStrict<qint16>(QStringLiteral("Connections"), QStringLiteral("9"));
    m_Authentication = readStrict<qint16>(QStringLiteral("Authentication"), QStringLiteral("0"));
    m_AuthenticationHost = readText(kPreference, QStringLiteral("AuthenticationHost"));
    // A store written before the list existed: the one server that asked is the first entry. An
    // emptied list stays empty.
    m_AuthenticationHosts = Platform::findSetting(kApp, kPreference, QStringLiteral("AuthenticationHosts"))
                                .value_or(m_AuthenticationHost)
                                .split(u' ', Qt::SkipEmptyParts);
    m_HTTPUserName = readText(kPreference, QStringLiteral("Auth_Username"));
    m_HTTPPassword = readText(kPreference, QStringLiteral("Auth_Password"));

    if (!m_HTTPUserName.isEmpty() && !m_HTTPPassword.isEmpty())
        m_HTTPLogin = modBase64Encode::base64Encode(m_HTTPUserName + u':' + m_HTTPPassword);
    else
        m_HTTPLogin.clear();

    m_HTTPVersion = readText(kPreference, QStringLiteral("HTTPVersion"), QStringLiteral("HTTP/1.0"));
    m_Name = readText(kPreference, QStringLiteral("Name"));
    m_Email = readText(kPreference, QStringLiteral("Email"));
    m_Company = readText(kPreference, QStringLiteral("Company"));
    m_SiteURL = readText(kPreference, QStringLiteral("SiteURL"));
    m_SMTPServer = readText(kPreference, QStringLiteral("SMTP Server"));
    m_LogoURL = readText(kPreference, QStringLiteral("LogoURL"));
    m_LogoPosition = readLenient(kPreference, QStringLiteral("LogoPosition"), QStringLiteral("0"));
    m_BlockSpam = readStrict<qint16>(QStringLiteral("BlockSpam"), QStringLiteral("0"));
    m_DontClearFields = readStrict<qint16>(QStringLiteral("DontClearFields"), QStringLiteral("0"));
    m_PromptConnection = readStrict<qint16>(QStringLiteral("PromptConnection"), QStringLiteral("1"));

    m_Version = readText(kSetting, QStringLiteral("Version"));
    if (m_Version != kDataVersion) {
        Platform::saveSetting(kApp, kSetting, QStringLiteral("Version"), kDataVersion);
        Platform::saveSetting(kApp, kSetting, QStringLiteral("Download"), QStringLiteral("1"));
    }
    m_DownEngineData = readLenient(kSetting, QStringLiteral("Download"), QStringLiteral("1"));
}

void clsPreference::trimErrorLog()
{
    const QString log = modDSSock::errorLogFile();
    const QFileInfo info(log);
    if (info.isFile() && info.size() > kErrorLogLimit)
        QFile::remove(log);
}

void clsPreference::writeVersionEntry()
{
    modDSSock::writeErrorLog(QStringLiteral("\r\nVersion: ") + modCommon::programVersionText() + QStringLiteral(" - ")
                             + modDSSock::generalDateTimeText(QDateTime::currentDateTime()));
}

void clsPreference::SaveSettings()
{
    const QList<std::pair<QString, QString>> values = {
        {QStringLiteral("AccessType"), QString::number(m_AccessType)},
        {QStringLiteral("Proxy"), m_Proxy},
        {QStringLiteral("Port"), QString::number(m_Port)},
        {QStringLiteral("TimeOut"), QString::number(m_TimeOut)},
        {QStringLiteral("Connections"), QString::number(m_Connections)},
        {QStringLiteral("Authentication"), QString::number(m_Authentication)},
        {QStringLiteral("Auth_Username"), m_HTTPUserName},
        {QStringLiteral("Auth_Password"), m_HTTPPassword},
        {QStringLiteral("Name"), m_Name},
        {QStringLiteral("Email"), m_Email},
        {QStringLiteral("Company"), m_Company},
        {QStringLiteral("SiteURL"), m_SiteURL},
        {QStringLiteral("SMTP Server"), m_SMTPServer},
        {QStringLiteral("LogoURL"), m_LogoURL},
        {QStringLiteral("LogoPosition"), QString::number(m_LogoPosition)},
        {QStringLiteral("BlockSpam"), QString::number(m_BlockSpam)},
        {QStringLiteral("DontClearFields"), QString::number(m_DontClearFields)},
        {QStringLiteral("PromptConnection"), QString::number(m_PromptConnection)},
        {QStringLiteral("AuthenticationHosts"), m_AuthenticationHosts.join(u' ')},
    };
    if (!Platform::saveSettings(kApp, kPreference, values))
        Platform::msgBox(QStringLiteral("Cannot write the settings file ") + Platform::settingsFile(kApp),
                         Platform::Exclamation, kApp);
}
