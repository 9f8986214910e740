#include "submission/SubmitSettings.h"

#include "core/clsPreference.h"

SubmitSettings currentSubmitSettings()
{
    const clsPreference &preference = myPreference();
    SubmitSettings settings;
    settings.Connections = preference.Connections();
    settings.TimeOut = preference.TimeOut();
    settings.AccessType = preference.AccessType();
    settings.Proxy = preference.Proxy();
    settings.Port = preference.Port();
    settings.Authentication = preference.Authentication();
    settings.HTTPLogin = preference.HTTPLogin();
    settings.BlockSpam = preference.BlockSpam() != 0;
    settings.LogoURL = preference.LogoURL();
    settings.LogoPosition = preference.LogoPosition();
    settings.SiteURL = preference.SiteURL();
    settings.Company = preference.Company();
    settings.Email = preference.Email();
    settings.Name = preference.Name();
    return settings;
}
