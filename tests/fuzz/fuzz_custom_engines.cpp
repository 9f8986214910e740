// Any custom engine files: reading, writing and reading again gives the same records, and merging
// into any engine data files twice gives byte-identical files that keep every byte before the
// place of the block.
//
// The input holds, separated by NUL bytes, "vqzengc.dat", "catcus.dat", "vqzeng5.dat" and
// "catvqs.dat".
#include <cstdlib>

#include <QFile>
#include <QTemporaryDir>

#include "enginedata/CustomEngineStore.h"
#include "platform/TextFile.h"
#include "sitedata/modEngineData.h"

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QTemporaryDir &root()
{
    static QTemporaryDir dir;
    return dir;
}

QString folder()
{
    return root().path() + QStringLiteral("/");
}

void place(const char *name, const QByteArray &bytes)
{
    const QString path = folder() + QLatin1String(name);
    QFile::remove(path);
    if (!bytes.isEmpty())
        check(Platform::writeBinaryFileAtomically(path, bytes));
}

QByteArray bytesOf(const char *name)
{
    return Platform::readBinaryFile(folder() + QLatin1String(name)).value_or(QByteArray());
}

// A name holding "]" cannot head a category block that reads back.
bool sameRecords(QList<CustomEngineRecord> a, QList<CustomEngineRecord> b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].Name.contains(QLatin1Char(']')))
            a[i].CategoryData = b[i].CategoryData;
    }
    return a == b;
}

// What stands before the first line a merge may write over.
qsizetype keptPrefix(const QByteArray &bytes, QByteArrayView marker)
{
    const QByteArray dashes = QByteArray("# ") + QByteArray(36, '-');
    qsizetype place = bytes.size();
    for (QByteArrayView line : {QByteArrayView(dashes), marker}) {
        const qsizetype at = modEngineData::findWholeLine(bytes, line);
        if (at >= 0)
            place = std::min(place, at);
    }
    return place;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("VELQUIST_HOME", root().path().toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    const char *const names[] = {CustomEngineStore::kEngineFileName, CustomEngineStore::kCategoryFileName,
                                 CustomEngineStore::kEngineDataFileName, CustomEngineStore::kCategoryDataFileName};
    for (int i = 0; i < 4; ++i)
        place(names[i], i < parts.size() ? parts[i] : QByteArray());
    const QByteArray database = bytesOf(CustomEngineStore::kEngineDataFileName);
    const QByteArray categoryData = bytesOf(CustomEngineStore::kCategoryDataFileName);

    CustomEngineStore store(folder());
    store.load();
    check(store.save());
    CustomEngineStore again(folder());
    again.load();
    check(again.errors().isEmpty());
    check(sameRecords(store.records(), again.records()));

    QList<qsizetype> all;
    for (qsizetype i = 0; i < store.records().size(); ++i)
        all.append(i);
    // After a load that could not read the custom file a merge changes neither data file.
    if (!store.unreadable().isEmpty()) {
        check(!store.merge(all));
        check(bytesOf(CustomEngineStore::kEngineDataFileName) == database);
        check(bytesOf(CustomEngineStore::kCategoryDataFileName) == categoryData);
        return 0;
    }
    check(store.merge(all));
    const QByteArray firstDatabase = bytesOf(CustomEngineStore::kEngineDataFileName);
    const QByteArray firstCategoryData = bytesOf(CustomEngineStore::kCategoryDataFileName);
    check(store.merge(all));
    check(bytesOf(CustomEngineStore::kEngineDataFileName) == firstDatabase);
    check(bytesOf(CustomEngineStore::kCategoryDataFileName) == firstCategoryData);
    check(firstDatabase.startsWith(database.left(keptPrefix(database, "END:Version 6.0"))));
    check(firstCategoryData.startsWith(categoryData.left(keptPrefix(categoryData, "END"))));
    return 0;
}
