#include "enginedata/CustomEngineStore.h"

#include <functional>

#include <QFile>
#include <QFileInfo>

#include "platform/Codec1252.h"
#include "platform/Folders.h"
#include "platform/Numbers.h"
#include "platform/FileSet.h"
#include "platform/TextFile.h"
#include "sitedata/EngineRecordReader.h"
#include "sitedata/modDataFiles.h"
#include "sitedata/modEngineData.h"
#include "platform/modDSSockLog.h"

using modEngineData::EngineKey;

namespace {

const QByteArray kCrLf("\r\n");

bool isNumberKey(EngineKey key)
{
    return key == EngineKey::MaxTitle || key == EngineKey::MaxKeywords || key == EngineKey::MaxDescription
           || key == EngineKey::SiteLevel;
}

bool beginsWithY(const QString &mode)
{
    return mode.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
}

// A line break inside a value would split the record: it is written as a space.
QString oneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

bool fileHoldsBytes(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

// The file's bytes; a missing file is empty. Nothing when it exists and cannot be read.
std::optional<QByteArray> bytesOrEmpty(const QString &path)
{
    if (!QFileInfo::exists(path))
        return QByteArray();
    return Platform::readBinaryFile(path);
}

} // namespace

// A value of the record reader into its field of the record.
void CustomEngineStore::fill(CustomEngineRecord &record, EngineKey key, const EngineRecordReader::Value &value) const
{
    switch (key) {
    case EngineKey::Name: record.Name = value.text; break;
    case EngineKey::Home: record.Home = value.text; break;
    case EngineKey::AddURL: record.AddURL = value.text; break;
    case EngineKey::Country: record.Country = value.text; break;
    case EngineKey::CountryOnly: record.CountryOnly = value.text; break;
    case EngineKey::Type: record.Type = value.text; break;
    case EngineKey::Category:
        // Only a mode that begins with "Y" takes the engine's entry of the custom category file.
        record.Category = value.text;
        record.CategoryData = beginsWithY(value.text) ? lastCategoryData(record.Name) : QString();
        break;
    case EngineKey::Method: record.Method = value.text; break;
    case EngineKey::Action: record.Action = value.text; break;
    case EngineKey::Query: record.Query = value.text; break;
    case EngineKey::AdultOnlySites: record.AdultOnlySites = value.text; break;
    case EngineKey::Adults: record.Adults = value.text; break;
    case EngineKey::Language: record.Language = value.text; break;
    case EngineKey::MaxTitle: record.MaxTitle = value.number.value_or(0); break;
    case EngineKey::MaxKeywords: record.MaxKeywords = value.number.value_or(0); break;
    case EngineKey::MaxDescription: record.MaxDescription = value.number.value_or(0); break;
    case EngineKey::SiteLevel: record.SiteLevel = qint16(value.number.value_or(0)); break;
    case EngineKey::Ignored: break;
    }
}

CustomEngineStore::CustomEngineStore(const QString &folder)
    : m_folder(folder),
      m_engineFile(Platform::joinPath(folder, QLatin1String(kEngineFileName))),
      m_categoryFile(Platform::joinPath(folder, QLatin1String(kCategoryFileName)))
{
}

bool CustomEngineStore::holdsEngine() const
{
    bool found = false;
    modDataFiles::forEachByteLine(m_engineFile, [&found](QByteArrayView bytes) {
        const modEngineData::EngineByteLine line = modEngineData::readEngineLine(bytes);
        found = line.kind == modEngineData::EngineByteLine::KeyLine && line.key == EngineKey::Name
                && !line.value.isEmpty();
        return !found;
    });
    return found;
}

void CustomEngineStore::load()
{
    m_records.clear();
    m_stored.clear();
    m_errors.clear();
    m_loadIncomplete = false;
    m_unreadable.clear();
    m_readCategories.clear();
    if (!fileHoldsBytes(m_engineFile))
        return;

    m_customCategory.clear();
    if (fileHoldsBytes(m_categoryFile))
        readCategoryFile();

    auto reject = [this](const QString &line) {
        const QString error = QStringLiteral("loadCustomEngineError: ") + line;
        m_errors.append(error);
        modDSSock::writeErrorLog(error);
        m_loadIncomplete = true;
    };
    // No end marker here: an "END:Version 6.0" line is one more line without a key.
    EngineRecordReader reader(EngineRecordReader::Source::CustomEngineFile);
    bool seenName = false;
    const auto reading = modDataFiles::forEachByteLine(m_engineFile, [&](QByteArrayView bytes) {
        const modEngineData::EngineByteLine line = modEngineData::readEngineLine(bytes);
        if (line.kind != modEngineData::EngineByteLine::KeyLine)
            return true;
        if (line.key == EngineKey::Name) {
            seenName = true;
            m_records.append(CustomEngineRecord());
        } else if (!seenName) {
            reject(modDataFiles::decoded(bytes));
            return true;
        }
        const EngineRecordReader::Value &value = reader.read(line.key, line.value);
        if (isNumberKey(line.key) && !value.number)
            reject(modDataFiles::decoded(bytes));   // left at 0
        fill(m_records.last(), line.key, value);
        return true;
    });
    m_customCategory.clear();
    if (!reading.readable)
        m_unreadable = QStringLiteral("cannot read ") + m_engineFile;
    else if (!reading.skippedLines.isEmpty())
        m_unreadable = QStringLiteral("line %1 is too long").arg(reading.skippedLines.first());
    else if (m_records.isEmpty())
        // Bytes without a single engine (another encoding, a binary file) are still the user's.
        m_unreadable = QStringLiteral("no engine could be read from ") + m_engineFile;
    if (!m_unreadable.isEmpty())
        reject(m_unreadable);
    m_stored = m_records;
}

void CustomEngineStore::readCategoryFile()
{
    modEngineData::EngineCategoryParser categories;
    QList<QStringList> entryLines;
    const auto reading = modDataFiles::forEachLine(m_categoryFile, [&](const QString &line) {
        if (!categories.feed(line))
            return false;
        if (line.startsWith(QLatin1Char('['))) {
            if (line.contains(QLatin1Char(']')))
                entryLines.append(QStringList());
        } else if (!entryLines.isEmpty() && !line.startsWith(QLatin1Char('#')) && !modEngineData::trimSpaces(line).isEmpty()) {
            entryLines.last().append(line);
        }
        return true;
    });
    m_loadIncomplete = !reading.readable || !reading.skippedLines.isEmpty();
    const QList<modEngineData::EngineCategoryEntry> entries = categories.takeEntries();
    // A later entry of a name takes the place of an earlier one: the last one wins.
    for (qsizetype i = 0; i < entries.size() && i < entryLines.size(); ++i) {
        const QString name = entries.at(i).Name.toCaseFolded();
        m_customCategory.insert(name, entries.at(i).CategoryData);
        m_readCategories.insert(name, entryLines.at(i));
    }
}

bool CustomEngineStore::changed(const QList<qsizetype> &order) const
{
    if (order.size() != m_stored.size())
        return true;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (!(m_records.at(order.at(i)) == m_stored.at(i)))
            return true;
    }
    return false;
}

QString CustomEngineStore::lastCategoryData(const QString &name) const
{
    return m_customCategory.value(name.toCaseFolded());
}

QByteArray CustomEngineStore::engineFileBytes(const QList<qsizetype> &order) const
{
    QString text;
    auto line = [&text](const char *key, const QString &value) {
        text += QLatin1String(key) + QLatin1Char('=') + oneLine(value) + QLatin1String("\r\n");
    };
    for (qsizetype index : order) {
        const CustomEngineRecord &r = m_records.at(index);
        line("Name", r.Name);
        line("Home", r.Home);
        line("AddURL", r.AddURL);
        line("Country", r.Country);
        line("CountryOnly", r.CountryOnly);
        line("Type", r.Type);
        line("Category", r.Category);
        line("Method", r.Method);
        line("Action", r.Action);
        line("Query", r.Query);
        line("WebType", QString());
        line("Adults", r.Adults);
        line("AdultOnlySites", r.AdultOnlySites);
        line("Language", r.Language);
        line("MaxTitle", QString::number(r.MaxTitle));
        line("MaxKeywords", QString::number(r.MaxKeywords));
        line("MaxDescription", QString::number(r.MaxDescription));
        line("SiteLevel", QString::number(r.SiteLevel));
        text += QLatin1String("\r\n\r\n");
    }
    return Platform::toAnsi(text);
}

QByteArray CustomEngineStore::categoryFileBytes(const QList<qsizetype> &order) const
{
    QString text;
    for (qsizetype index : order) {
        const CustomEngineRecord &r = m_records.at(index);
        if (!beginsWithY(r.Category) || r.CategoryData.isEmpty())
            continue;
        text += QLatin1Char('[') + oneLine(r.Name) + QLatin1String("]\r\n");
        for (const QString &item : categoryItems(r.Name, r.CategoryData))
            text += oneLine(item) + QLatin1String("\r\n");
        text += QLatin1String("\r\n\r\n");
    }
    return Platform::toAnsi(text);
}

QStringList CustomEngineStore::categoryItems(const QString &name, const QString &categoryData) const
{
    const QStringList read = m_readCategories.value(name.toCaseFolded());
    const auto readItemAt = [&](qsizetype at) -> qsizetype {
        qsizetype longest = -1;
        for (const QString &line : read) {
            const qsizetype end = at + line.size();
            if (line.size() <= longest || end > categoryData.size())
                continue;
            const bool endsItem = end == categoryData.size() || categoryData.at(end) == QLatin1Char('>');
            if (endsItem && QStringView(categoryData).sliced(at).startsWith(line))
                longest = line.size();
        }
        return longest;
    };
    QStringList items;
    // The data ends with ">" as read, and without it as the builder makes it: no item follows it.
    for (qsizetype at = 0; at < categoryData.size();) {
        qsizetype length = readItemAt(at);
        if (length < 0) {
            const qsizetype next = categoryData.indexOf(QLatin1Char('>'), at);
            length = (next < 0 ? categoryData.size() : next) - at;
        }
        items.append(categoryData.mid(at, length));
        at += length + 1;
    }
    return items;
}

bool CustomEngineStore::fail(const QString &error)
{
    m_lastError = error;
    return false;
}

// After a load that left something on disk unread, the files are the only full copy.
bool CustomEngineStore::keepBackups()
{
    QList<Platform::FileBytes> backups;
    for (const QString &path : {m_engineFile, m_categoryFile}) {
        if (!QFileInfo::exists(path))
            continue;
        const auto bytes = Platform::readBinaryFile(path);
        if (!bytes)
            return fail(QStringLiteral("cannot read ") + path);
        backups.append({path + QStringLiteral(".bak"), *bytes});
    }
    if (!Platform::writeBinaryFilesAtomically(backups))
        return fail(QStringLiteral("cannot write the backup copies of ") + m_engineFile);
    return true;
}

bool CustomEngineStore::save(const QList<qsizetype> &order)
{
    if (m_loadIncomplete && !keepBackups())
        return false;
    if (order.isEmpty()) {
        for (const QString &path : {m_engineFile, m_categoryFile}) {
            if (QFileInfo::exists(path) && !QFile::remove(path))
                return fail(QStringLiteral("cannot delete ") + path);
        }
    } else if (!Platform::writeBinaryFilesAtomically({{m_engineFile, engineFileBytes(order)},
                                                      {m_categoryFile, categoryFileBytes(order)}})) {
        return fail(QStringLiteral("cannot write ") + m_engineFile + QStringLiteral(" and ") + m_categoryFile);
    }
    m_loadIncomplete = false;
    m_stored.clear();
    for (qsizetype index : order)
        m_stored.append(m_records.at(index));
    return true;
}

bool CustomEngineStore::save()
{
    QList<qsizetype> all;
    for (qsizetype i = 0; i < m_records.size(); ++i)
        all.append(i);
    return save(all);
}

bool CustomEngineStore::merge(const QList<qsizetype> &order)
{
    // The blocks hold the records, never the file as it stands: lines the load rejected would
    // break the engine database or fill the fields of the engine before them.
    if (!m_unreadable.isEmpty())
        return fail(QStringLiteral("the custom engine file could not be read (") + m_unreadable
                    + QStringLiteral("), so the engine data files were not changed."));
    if (!save(order))
        return false;
    const QString databasePath = Platform::joinPath(m_folder, QLatin1String(kEngineDataFileName));
    const QString categoryDataPath = Platform::joinPath(m_folder, QLatin1String(kCategoryDataFileName));
    const auto database = bytesOrEmpty(databasePath);
    const auto categoryData = bytesOrEmpty(categoryDataPath);
    for (const auto &[bytes, path] : {std::pair{&database, databasePath}, std::pair{&categoryData, categoryDataPath}}) {
        if (!*bytes)
            return fail(QStringLiteral("cannot read ") + path);
    }

    QList<Platform::FileBytes> changed;
    const QByteArray newDatabase = CustomEngineMerge::intoEngineDatabase(
        *database, CustomEngineMerge::block("# Custom Engine Data", engineFileBytes(order)));
    if (newDatabase != *database)
        changed.append({databasePath, newDatabase});
    const QByteArray newCategoryData = CustomEngineMerge::intoCategoryData(
        *categoryData, CustomEngineMerge::block("# Custom Engine Category", categoryFileBytes(order)));
    if (newCategoryData != *categoryData)
        changed.append({categoryDataPath, newCategoryData});
    if (!Platform::writeBinaryFilesAtomically(changed))
        return fail(QStringLiteral("cannot write ") + databasePath + QStringLiteral(" and ") + categoryDataPath);
    return true;
}

bool CustomEngineStore::exportList(const QString &path, const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + QLatin1String("\r\n");
    text += QLatin1String("\r\n");
    if (!Platform::writeBinaryFileAtomically(path, Platform::toAnsi(text)))
        return fail(QStringLiteral("cannot write ") + path);
    return true;
}

namespace CustomEngineMerge {

namespace {

const QByteArray kDashLine = QByteArray("# ") + QByteArray(36, '-');

// Where a block with this title starts (its first dash line), or -1.
qsizetype findBlock(const QByteArray &bytes, const QByteArray &title)
{
    for (qsizetype at = modEngineData::findWholeLine(bytes, kDashLine); at >= 0;
         at = modEngineData::findWholeLine(bytes, kDashLine, modEngineData::nextLineStart(bytes, at))) {
        if (modEngineData::isWholeLineAt(bytes, modEngineData::nextLineStart(bytes, at), title))
            return at;
    }
    return -1;
}

// The bytes with the block after their last line; a last line without its line end gets one first.
QByteArray appended(const QByteArray &bytes, const QByteArray &block)
{
    if (block.isEmpty())
        return bytes;
    const bool openLastLine = !bytes.isEmpty() && !bytes.endsWith('\r') && !bytes.endsWith('\n');
    return bytes + (openLastLine ? kCrLf : QByteArray()) + block;
}

// Calls `onName` with the case-folded name of each Name line of the bytes up to an end line.
void forEachEngineName(QByteArrayView bytes, const std::function<void(const QString &)> &onName)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype next = modEngineData::nextLineStart(bytes, at);
        QByteArrayView line = bytes.sliced(at, next - at);
        while (!line.isEmpty() && (line.back() == '\r' || line.back() == '\n'))
            line.chop(1);
        const modEngineData::EngineByteLine read = modEngineData::readEngineLine(line);
        if (read.kind == modEngineData::EngineByteLine::EndMarker)
            return;
        if (read.kind == modEngineData::EngineByteLine::KeyLine && read.key == EngineKey::Name)
            onName(Platform::fromAnsi(read.value.toByteArray()).toCaseFolded());
        at = next;
    }
}

} // namespace

QByteArray block(const QByteArray &title, const QByteArray &customFile)
{
    if (customFile.isEmpty())
        return QByteArray();
    return kDashLine + kCrLf + title + kCrLf + kDashLine + kCrLf + customFile + kCrLf;
}

QByteArray intoEngineDatabase(const QByteArray &database, const QByteArray &block)
{
    qsizetype start = findBlock(database, "# Custom Engine Data");
    if (!block.isEmpty()) {
        // The block takes the marker's place; what followed the marker was never read.
        const qsizetype marker = modEngineData::findWholeLine(database, "END:Version 6.0");
        if (marker >= 0 && (start < 0 || marker < start))
            start = marker;
    }
    if (start < 0)
        return appended(database, block);
    return database.left(start) + block;
}

QByteArray intoCategoryData(const QByteArray &categoryData, const QByteArray &block)
{
    const qsizetype earlier = findBlock(categoryData, "# Custom Engine Category");
    const qsizetype end = modEngineData::findWholeLine(categoryData, "END");
    // A block behind the end line was never read: the new one goes before the end line.
    if (earlier >= 0 && (end < 0 || earlier < end)) {
        const qsizetype stop = end < 0 ? categoryData.size() : end;
        return categoryData.left(earlier) + block + categoryData.mid(stop);
    }
    if (end < 0 || block.isEmpty())
        return appended(categoryData, block);
    return categoryData.left(end) + block + categoryData.mid(end);
}

QSet<QString> mergedEngineNames(const QByteArray &database)
{
    QSet<QString> names;
    const qsizetype start = findBlock(database, "# Custom Engine Data");
    if (start >= 0)
        forEachEngineName(QByteArrayView(database).sliced(start), [&names](const QString &name) { names.insert(name); });
    return names;
}

QSet<QString> vendorEngineNames(const QByteArray &database, const QSet<QString> &among)
{
    QSet<QString> names;
    const qsizetype block = findBlock(database, "# Custom Engine Data");
    forEachEngineName(QByteArrayView(database).first(block < 0 ? database.size() : block), [&](const QString &name) {
        if (among.contains(name))
            names.insert(name);
    });
    return names;
}

} // namespace CustomEngineMerge
