#pragma once
// One engine of the engine database: public fields only, filled by the engine loader and read by
// the selection rules, the engine lists and the submission.
#include <QString>

class clsEngines {
public:
    QString Name;
    QString Home;
    QString AddURL;
    QString Country;
    QString CountryOnly;
    QString EngineType;
    QString Category;
    QString CategoryData;
    QString Method;
    QString Action;
    QString Query;
    QString AdultOnlySites;
    QString Adults;
    QString WebType;
    QString Language;
    qint32 MaxTitle = 0;
    qint32 MaxKeywords = 0;
    qint32 MaxDescriptions = 0;
    qint16 SiteLevel = 0;
    bool Selected = false;
};
