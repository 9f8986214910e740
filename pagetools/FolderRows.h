#pragma once
// The rows of the meta-tag editor's folder list: one local folder's entries with their text,
// icon, type and full path, and the order they sort in.
#include <QList>
#include <QString>
#include <QTreeWidgetItem>

namespace FolderRows {

enum class Kind { Up, Folder, HtmlFile, OtherFile };

struct Row {
    Kind kind = Kind::OtherFile;
    QString text;   // " .." for the up entry, else the name: type-ahead finds folders and files alike
    QString path;   // key and tag: the entry's full path; for the up entry the parent, ending in "/"
};

QString imageKey(Kind kind);   // "Up", "Folder", "WebFile", "WinFile"
QString typeText(Kind kind);   // "Folder", "HTML File", "File"
Kind kindOfImageKey(const QString &imageKey);

// The folder of a drive box text: the text before its volume label in "[...]", blanks trimmed.
// Only the drive box's texts are cut so: a folder's own name may hold a "[".
QString driveFolder(const QString &driveText);

// The folder a path names, ending in "/".
QString listingFolder(const QString &startingDir);

// The parent of a listing folder, ending in "/": "/web/site/" gives "/web/".
QString parentFolder(const QString &folder);

// What an entry with this attribute word and name is: the folder bit makes a folder, the
// extension ".htm" or ".html" (ignoring case) an HTML file; a name with ".htm" elsewhere, such
// as the temporary copy an interrupted update leaves, is another file. A word outside the ones the file system
// gives is written to the error log with the path.
Kind classify(int attributes, const QString &name, const QString &fullPath);

// The rows of the folder a path names, in the file system's order; the rows
// read before a failure.
QList<Row> listRows(const QString &startingDir);

// A list item of a row: key and tag the path, the icon by image key, the type in column 1. It
// sorts the up entry first, then folders, then files in either order, each group by the sorted
// column ignoring case.
QTreeWidgetItem *newItem(const Row &row);
Kind itemKind(const QTreeWidgetItem *item);

} // namespace FolderRows
