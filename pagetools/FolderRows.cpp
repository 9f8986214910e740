#include "pagetools/FolderRows.h"

#include <optional>

#include "platform/CommonControls.h"
#include "platform/FolderListing.h"
#include "platform/KeyedListView.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;

namespace FolderRows {
namespace {

// The words a listing can give, each a kind the folder bit tells apart.
bool isKnownWord(int attributes)
{
    switch (attributes) {
    case 0: case 1: case 2: case 4: case 16: case 17: case 32:
        return true;
    default:
        return false;
    }
}

// The sort group: the up entry, then the folders, then the files, as in the FTP panes.
int sortGroup(Kind kind)
{
    switch (kind) {
    case Kind::Up:
        return 0;
    case Kind::Folder:
        return 1;
    default:
        return 2;
    }
}

class FolderItem : public QTreeWidgetItem {
public:
    explicit FolderItem(Kind kind) : m_kind(kind) {}
    Kind kind() const { return m_kind; }

    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Platform::SortGroupRole)
            return sortGroup(m_kind);
        return QTreeWidgetItem::data(column, role);
    }

    // By group, then by the sorted column ignoring case, then by name.
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const auto *that = dynamic_cast<const FolderItem *>(&other);
        if (!that)
            return QTreeWidgetItem::operator<(other);
        if (const std::optional<bool> byGroup = Platform::sortsBeforeByGroup(*this, other))
            return *byGroup;
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const int order = text(column).compare(that->text(column), Qt::CaseInsensitive);
        if (order != 0 || column == 0)
            return order < 0;
        return text(0).compare(that->text(0), Qt::CaseInsensitive) < 0;
    }

private:
    Kind m_kind;
};

} // namespace

QString imageKey(Kind kind)
{
    switch (kind) {
    case Kind::Up:
        return QStringLiteral("Up");
    case Kind::Folder:
        return QStringLiteral("Folder");
    case Kind::HtmlFile:
        return QStringLiteral("WebFile");
    default:
        return QStringLiteral("WinFile");
    }
}

QString typeText(Kind kind)
{
    switch (kind) {
    case Kind::Up:
    case Kind::Folder:
        return QStringLiteral("Folder");
    case Kind::HtmlFile:
        return QStringLiteral("HTML File");
    default:
        return QStringLiteral("File");
    }
}

Kind kindOfImageKey(const QString &key)
{
    for (Kind kind : {Kind::Up, Kind::Folder, Kind::HtmlFile})
        if (key.compare(imageKey(kind), Qt::CaseInsensitive) == 0)
            return kind;
    return Kind::OtherFile;
}

QString driveFolder(const QString &driveText)
{
    const qsizetype bracket = driveText.indexOf(u'[');
    return bracket < 0 ? driveText : driveText.left(bracket).trimmed();
}

QString listingFolder(const QString &startingDir)
{
    QString folder = startingDir;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString parentFolder(const QString &folder)
{
    QString path = folder;
    if (path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? folder : path.left(slash + 1);
}

Kind classify(int attributes, const QString &name, const QString &fullPath)
{
    if (!isKnownWord(attributes))
        modDSSock::writeErrorLog(QString::number(attributes) + QStringLiteral(": ") + fullPath);
    if (attributes & Platform::FolderAttribute)
        return Kind::Folder;
    const bool page = name.endsWith(u".htm"_s, Qt::CaseInsensitive) || name.endsWith(u".html"_s, Qt::CaseInsensitive);
    return page ? Kind::HtmlFile : Kind::OtherFile;
}

QList<Row> listRows(const QString &startingDir)
{
    const QString folder = listingFolder(startingDir);
    const Platform::FolderListing listing = Platform::listFolder(folder);
    QList<Row> rows;
    rows.reserve(listing.entries.size());
    for (const Platform::FolderEntry &entry : listing.entries) {
        if (entry.name == QLatin1String(".."))
            rows.append({Kind::Up, QStringLiteral(" .."), parentFolder(folder)});
        else if (entry.name != QLatin1String(".")) {
            const QString path = folder + entry.name;
            const Kind kind = classify(entry.attributes, entry.name, path);
            rows.append({kind, entry.name, path});
        }
    }
    return rows;
}

QTreeWidgetItem *newItem(const Row &row)
{
    auto *item = new FolderItem(row.kind);
    item->setText(1, typeText(row.kind));
    item->setText(0, row.text);
    Platform::setItemKey(item, row.path);
    Platform::setItemTag(item, row.path);
    setItemImageKey(item, imageKey(row.kind));
    return item;
}

Kind itemKind(const QTreeWidgetItem *item)
{
    if (const auto *folderItem = dynamic_cast<const FolderItem *>(item))
        return folderItem->kind();
    return kindOfImageKey(itemImageKey(item));
}

} // namespace FolderRows
