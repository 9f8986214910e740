#pragma once
// An engine definition as the builder's controls hold it: the checks a save makes, the record it
// makes of the controls, and the check of a category mapping. Plain functions over text, so tests
// run them without the window.
#include <functional>
#include <optional>
#include <utility>

#include <QList>
#include <QString>
#include <QStringList>

#include "enginedata/CustomEngineStore.h"

namespace EngineDefinition {

struct EngineType {
    const char *text;
    const char *code;
    const char *siteLevel;   // preset when the type is picked
};

inline constexpr EngineType kEngineTypes[] = {
    {"General Engine", "ENG", "1"}, {"Directory", "DIR", "1"}, {"FFA Links", "FFA", "5"},
    {"News/Classified", "NEWS", "3"}, {"Online Mall", "MALL", "3"}, {"Hot Sites", "HOT", "3"},
    {"Miscellaneous", "MIS", "3"},
};
inline constexpr int kEngineTypeCount = int(std::size(kEngineTypes));
inline constexpr int kFfaLinks = 2;

// The entry of the type code (ignoring case), or -1.
int engineTypeIndex(const QString &code);

using Rows = QList<std::pair<QString, QString>>;

// What the controls hold when the user saves.
struct Controls {
    QString name;             // trimmed
    QString home;
    QString addUrl;
    QString country;
    bool countryOnly = false;
    int engineType = -1;      // entry of kEngineTypes, -1 for none
    bool requestCategory = false;
    QString method;
    QString action;
    QString language;
    QString siteLevel;
    QString maxTitle;
    QString maxKeywords;
    QString maxDescription;
    bool allowAdultSites = false;
    bool adultOnlySite = false;
    Rows fields;              // data-field rows in list order: name, stored value
    Rows mappings;            // mapping rows in list order: category, engine category
    QStringList categoryItems;   // the category items of the engine being replaced, as stored
};

// Why a save is refused: the message, its box title, and the tab and box the user is sent to.
struct Refusal {
    enum class Box { None, Name, Action };
    QString message;
    QString title;
    int tab = -1;             // -1 leaves the tab shown
    Box box = Box::None;
};

// Why a name cannot be an engine's, or the empty text: "]" would end its entry name in the
// category file.
QString bracketNameRefusal(const QString &name);

// The refusal of a name that the main engine database already holds.
QString nameInDatabaseMessage();

// The first thing that stops the controls from being saved, or nothing. `inEngineDatabase` tells
// whether the main engine database holds a name (ignoring case).
std::optional<Refusal> refusal(const Controls &controls, const std::function<bool(const QString &)> &inEngineDatabase);

// The address as stored: "http://" before it when it holds no "://".
QString withScheme(const QString &url);

// The record of controls that `refusal` accepted, over `base` (the record being replaced, whose
// WebType stays). Category items the user did not change stay as they were, in their order.
CustomEngineRecord toRecord(const Controls &controls, CustomEngineRecord base);

// Why an engine category cannot be mapped to the category `key`, or the empty text: items are
// stored as key "=" value joined by ">", so the value holds no ">" and the key neither "=" nor ">".
QString mappingRefusal(const QString &key, const QString &engineCategory);

} // namespace EngineDefinition
