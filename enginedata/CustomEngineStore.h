#pragma once
// The engine builder's own engines: the records, their two files in the engine data folder
// ("vqzengc.dat" in the engine database syntax, "catcus.dat" in the engine category data
// syntax), the merge of both into the engine data files and the export of the engine names.
// A plain class the builder window owns, so all of it runs without widgets.
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "sitedata/EngineRecordReader.h"

struct CustomEngineRecord {
    QString Name;
    QString Home;
    QString AddURL;
    QString Country;
    QString CountryOnly;
    QString Type;
    QString Category;
    QString CategoryData;   // items "category=value" joined by ">"
    QString Method;
    QString Action;
    QString Query;
    QString WebType;        // never read; always written empty
    QString Adults;
    QString AdultOnlySites;
    QString Language;
    qint32 MaxTitle = 0;
    qint32 MaxKeywords = 0;
    qint32 MaxDescription = 0;
    qint16 SiteLevel = 0;

    bool operator==(const CustomEngineRecord &) const = default;
};

class CustomEngineStore {
public:
    // The file names in the engine data folder.
    static constexpr const char *kEngineFileName = "vqzengc.dat";
    static constexpr const char *kCategoryFileName = "catcus.dat";
    static constexpr const char *kEngineDataFileName = "vqzeng5.dat";
    static constexpr const char *kCategoryDataFileName = "catvqs.dat";

    // The store of the files in `folder` (ending in "/").
    explicit CustomEngineStore(const QString &folder);

    QString engineFile() const { return m_engineFile; }
    QString categoryFile() const { return m_categoryFile; }
    // Whether the custom engine file holds an engine with a name: one a merge would bring in.
    bool holdsEngine() const;

    // Reads both custom files (a missing or empty engine file gives no records). Bad lines, and a
    // file that holds bytes but no engine, are named in `errors()`, each as the text the error
    // log got.
    void load();
    const QStringList &errors() const { return m_errors; }
    // True after a load that could not take everything on disk: the next rewrite keeps the old
    // files as ".bak" copies first.
    bool loadIncomplete() const { return m_loadIncomplete; }
    // Why the last load could not read the custom engine file at all, or the empty text.
    QString unreadable() const { return m_unreadable; }

    QList<CustomEngineRecord> &records() { return m_records; }
    const QList<CustomEngineRecord> &records() const { return m_records; }

    // Rewrites both files from the records at `order` (record indexes, in list order), or from
    // all records in their order. Both files are replaced together or not at all; no records
    // delete both. False with `lastError()` on failure.
    bool save(const QList<qsizetype> &order);
    bool save();
    // Whether the records at `order` differ from what the files held at the last load or save.
    bool changed(const QList<qsizetype> &order) const;

    // Writes the custom files from the records at `order` (keeping ".bak" copies after an
    // incomplete load), then puts the merge blocks of those records into the engine data files.
    // After a load that could not read the custom engine file it changes no file: the engines
    // merged earlier would be cut from the engine database.
    bool merge(const QList<qsizetype> &order);

    // Writes the names, one a line, into `path`.
    bool exportList(const QString &path, const QStringList &names);

    QString lastError() const { return m_lastError; }

    // The items of an engine's category data ("category=value" joined by ">"): an item line read
    // from the custom category file for that engine is one item, whatever ">" it holds.
    QStringList categoryItems(const QString &name, const QString &categoryData) const;

    // The file texts of the records at `order`, as save writes them.
    QByteArray engineFileBytes(const QList<qsizetype> &order) const;
    QByteArray categoryFileBytes(const QList<qsizetype> &order) const;

private:
    QString lastCategoryData(const QString &name) const;
    void fill(CustomEngineRecord &record, modEngineData::EngineKey key, const EngineRecordReader::Value &value) const;
    void readCategoryFile();
    bool keepBackups();
    bool fail(const QString &error);

    QString m_folder;
    QString m_engineFile;
    QString m_categoryFile;
    QList<CustomEngineRecord> m_records;
    QHash<QString, QString> m_customCategory;   // while loading only: case-folded name, last entry's data
    // The item lines of each name's last entry as read, case-folded name first: items the user did
    // not change are written back line for line (an item may hold ">", which the data cannot).
    QHash<QString, QStringList> m_readCategories;
    QString m_unreadable;
    QList<CustomEngineRecord> m_stored;   // the records as the files hold them, in file order
    QStringList m_errors;
    bool m_loadIncomplete = false;
    QString m_lastError;
};

namespace CustomEngineMerge {

// The merge block of a whole custom file: the header of three comment lines, the file, CR LF.
// Empty for an empty file.
QByteArray block(const QByteArray &title, const QByteArray &customFile);

// The engine database with the block in place: over an earlier block and the rest of the file,
// else over the first end-marker line and the rest of the file, else after the last line.
QByteArray intoEngineDatabase(const QByteArray &database, const QByteArray &block);

// The engine category data with the block in place: over an earlier block up to the next "END"
// line, else before the first "END" line, else after the last line.
QByteArray intoCategoryData(const QByteArray &categoryData, const QByteArray &block);

// The names (case-folded) of the engines that a merge put into the engine database.
QSet<QString> mergedEngineNames(const QByteArray &database);

// The names (case-folded) of `among` that the engine database holds before its merge block (and
// its end line): engines the main loader keeps in place of a merged engine of the same name.
QSet<QString> vendorEngineNames(const QByteArray &database, const QSet<QString> &among);

} // namespace CustomEngineMerge
