#pragma once
// The project list ("project.vqj"): one section per project with its description, the highest
// entry number used ("Last") and the numbered site entries "name|site file". The one reader and
// writer of the format: read once, change, commit once.
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/IniDocument.h"

struct ProjectSite {
    int number = 0;     // the entry's key
    QString name;
    QString file;
};

struct Project {
    QString name;
    QString description;
    QList<ProjectSite> sites;   // in number order, up to "Last", entries with a name only
};

class ProjectList {
public:
    // A missing file is an empty list; nothing when the file is there but cannot be read.
    static std::optional<ProjectList> load(const QString &file);

    // A project header is a line whose first and last non-blank characters are "[" and "]"; the
    // name is what they enclose, trimmed. A name repeated in other letter case is listed once, or,
    // `withRepeats`, again at each repeat (with the content a look-up by that name reads).
    QList<Project> projects(bool withRepeats = false) const;

    // A new project: an empty description and Last=0. False for a blank name.
    bool addProject(const QString &project);
    // Puts the site into the lowest entry number that is blank, else after Last (which follows);
    // gives the entry number used, empty for a blank project name.
    QString addSite(const QString &project, const QString &siteName, const QString &siteFile);
    // One value of a project (its description or a numbered entry); false for a blank name.
    bool setValue(const QString &project, const QString &key, const QString &value);
    // Replaces the project's header (only the bracketed part; blanks around it stay), else adds
    // the header at the end. True when the header was found.
    bool renameProject(const QString &oldName, const QString &newName);
    // Cuts the project's header and lines up to the next header. True when it was found.
    bool removeProject(const QString &project);

    // The site files of every project, as the list names them; none when it cannot be read.
    static QStringList siteFiles(const QString &file);

    // Loads the list, sets one value and commits: an action that changes one value only.
    static bool storeValue(const QString &file, const QString &project, const QString &key, const QString &value);

    QString fileName() const { return m_document.fileName(); }
    bool commit() const;

private:
    explicit ProjectList(Platform::IniDocument document) : m_document(std::move(document)) {}
    Project readProject(const QString &name) const;
    void replaceText(const QString &text);

    Platform::IniDocument m_document;
};
