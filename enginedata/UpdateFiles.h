#pragma once
// The content checks of the engine data update: whether a downloaded body reads as the file it
// is meant to replace, as the program's own reader of that file will read it. A body that ended
// with the connection's close is only known to be whole by these checks.
#include <array>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/LineCutter.h"
#include "sitedata/EngineRecordReader.h"

namespace UpdateFiles {

// The files in download order.
enum FileIndex { EngineDatabase = 0, EngineCategoryData = 1, TopEngines = 2, CategoryList = 3, RankingEngines = 4 };

// Checks the five bodies of one update in download order, each as its bytes come, so that no
// body needs to be held. The category list is read against the engine category data before it:
// it holds every category that the new engine category data maps. The top-engine list has no
// reader: it is refused only when it is plainly another of the five files.
//
// A UTF-8 byte-order mark before line 1 is read as the file's reader reads it, as three bytes of
// line 1: it is refused only where it hides from the reader a line that counts (the first engine's
// Name line, the first category entry or main category, an INI section the ranking file needs).
class Checker {
public:
    Checker() = default;
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    // Forgets the files checked so far.
    void reset();
    // A body of the file of `fileIndex` starts; its bytes follow through take().
    void begin(int fileIndex);
    void take(QByteArrayView bytes);
    // Why the body cannot stand for its file, or the empty text when it reads as that file. What a
    // file that passes tells about the later ones is kept.
    QString end();
    // The same for a whole body at once.
    QString problem(int fileIndex, QByteArrayView body);

private:
    bool line(QByteArrayView bytes);
    bool databaseLine(QByteArrayView bytes);
    bool categoryDataLine(QByteArrayView bytes);
    bool seenLately(QByteArrayView category);
    void topEnginesLine(QByteArrayView bytes);
    bool hiddenByMark(QByteArrayView rest) const;
    QString fileProblem();
    QString topEnginesProblem() const;
    QString categoryListProblem() const;
    QString rankingEnginesProblem() const;
    qint64 lineNumber() const { return m_lines + m_skipped.size(); }

    // Of the body under way.
    int m_file = -1;
    qint64 m_size = 0;
    bool m_binary = false;
    bool m_sawText = false;    // a byte other than a blank or a line end has come
    bool m_webPage = false;    // ... and it was "<"
    Platform::LineCutter::OnLine m_onLine;
    QList<qint64> m_skipped;
    std::optional<Platform::LineCutter> m_cutter;
    bool m_stopped = false;    // its reader reads no further line
    bool m_byteOrderMark = false;   // line 1 starts with a UTF-8 byte-order mark
    qint64 m_lines = 0;
    QString m_problem;         // met on a line
    bool m_ended = false;      // the end line came
    bool m_inEntry = false;
    std::optional<EngineRecordReader> m_reader;
    qint64 m_names = 0;        // named engines
    qint64 m_topEndLine = 0;   // top-engine list: the first line that is the engine database's end line
    bool m_topEntries = false; // ... a line that opens an engine category entry
    bool m_topEnd = false;     // ... the engine category data's end line "END" after such a line
    QHash<QByteArray, QString> m_mapped;
    std::array<QByteArray, 64> m_lately;   // categories as read, by a hash of their first byte and size
    QStringList m_textLines;   // of the small files, read whole at their end
    QByteArray m_buffer;
    // The categories that the items of the new engine category data name: as bytes in the
    // program's code page, case-folded (see foldTable() there), each with its name as first read.
    QHash<QByteArray, QString> m_mappedCategories;
};

} // namespace UpdateFiles
