#pragma once
// A profile (INI) file held in memory: read once, change any number of keys, write it back once.
// The rules are those of iniRead/iniWrite: names match ignoring case and trimmed, the first
// matching section and key win, values are read whole with blanks trimmed, and a change rewrites
// only the line it concerns (else adds the key after the last line of its section, else adds the
// section at the end), with CR LF for new lines and every other byte kept.
#include <optional>
#include <vector>

#include <QFileDevice>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "platform/CaseInsensitiveKey.h"

namespace Platform {

class IniDocument {
public:
    // The file's document; a missing file is an empty one. Nothing when the file exists but
    // cannot be read, so that a commit never replaces what could not be seen.
    static std::optional<IniDocument> load(const QString &file);
    // A document of the given text, as if read from `file`.
    static IniDocument fromText(const QString &file, const QString &text);

    // Whether the two names find the same section: trimmed, ignoring case, as every look-up and
    // the reading of a header match them.
    static bool sameSection(const QString &a, const QString &b);

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString valueOr(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // The names of the keys of the first matching section, in file order.
    QStringList keys(const QString &section) const;
    // The names of all sections, in file order (a repeated header is listed each time).
    QStringList sections() const;
    bool hasSection(const QString &section) const;
    // The header lines as written (trimmed), one per section in file order.
    QStringList headerLines() const;
    // Every key line of the first matching section as (name, value), in file order; a repeated
    // name is listed each time (value() gives the first).
    QList<std::pair<QString, QString>> entries(const QString &section) const;
    // The same as views into the document: valid until the document changes.
    QList<std::pair<QStringView, QStringView>> entryViews(const QString &section) const;
    // The values of the keys `prefix` + n (n from 1, written without leading zeros, within the int
    // range) by n, the first line of each n winning as in value(): one pass over the keys present.
    QMap<int, QString> numberedValues(const QString &section, const QString &prefix) const;

    // Sets `key=value` (a line break inside the value becomes one space). False, and nothing
    // changed, when the section or key name is blank.
    bool setValue(const QString &section, const QString &key, const QString &value);

    QString text() const;
    QString fileName() const { return m_file; }

    // Replaces the file atomically with the document; false (old file as it was) on failure.
    // With a mode the new file gets those permissions from the start.
    bool commit(std::optional<QFileDevice::Permissions> mode = std::nullopt) const;

private:
    enum class Ending : quint8 { None, CrLf, Cr, Lf };
    // A line read from the file is a span of the text it was read from, so that a document of
    // many lines holds one string and not one per line; a changed line holds its own text.
    struct Line {
        QString own;
        Ending ending = Ending::CrLf;
        qsizetype start = -1;   // in m_source; -1 for a line with its own text
        qsizetype length = 0;
    };
    struct Block {
        bool hasHeader = false;   // false only for the lines before the first header
        Line header;
        QString name;
        QList<Line> body;
        qsizetype lastNonBlank = -1;                  // index in body
        // Key name -> first body line; built at the first look-up, as most sections are only
        // ever read through in order.
        mutable std::optional<QHash<CaseInsensitiveKey, qsizetype>> keyLines;
    };

    static CaseInsensitiveKey sectionKey(const QString &name) { return CaseInsensitiveKey{name.trimmed()}; }
    void parse(const QString &text);
    static void addBodyLine(Block &block, Line line, QStringView text);
    const QHash<CaseInsensitiveKey, qsizetype> &keyLines(const Block &block) const;
    QStringView lineText(const Line &line) const;
    Line *lastLine();
    Block *findBlock(const QString &section);
    const Block *findBlock(const QString &section) const;
    void reindex();

    QString m_file;
    QString m_source;                                 // the text the document was read from
    std::vector<Block> m_blocks;                      // m_blocks[0] holds the lines before any header
    QHash<CaseInsensitiveKey, qsizetype> m_sectionBlocks;   // section name -> first block
};

} // namespace Platform
