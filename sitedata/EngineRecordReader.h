#pragma once
// The one reader of an engine record's key lines: what the value of each key becomes in the
// record that keeps it, for the engine database (the main engine loader) and for the engine
// builder's custom engine file. Values that many engines share (flags, types, countries,
// methods, query templates, languages) are decoded once per reader, and every engine that has
// them keeps the same text.
#include <array>
#include <optional>
#include <vector>

#include <QByteArrayView>
#include <QString>

#include "sitedata/modEngineData.h"

class EngineRecordReader {
public:
    // Where the record comes from: the custom engine file keeps the country code "NN" as it is.
    enum class Source { EngineDatabase, CustomEngineFile };
    // The type counters of the engine lists; any other type code counts as miscellaneous.
    enum TypeCounter { TypeENG, TypeDIR, TypeFFA, TypeNEWS, TypeMALL, TypeHOT, TypeMIS };

    struct Value {
        QString text;                   // a text key's value as the record keeps it
        std::optional<qint32> number;   // a number key's value; nothing when out of its field's range
        int typeCounter = TypeMIS;      // the Type key's counter
        char categoryMode = 0;          // the Category key's one letter N, F, G, Y or C in capitals, else 0
        bool firstSight = false;        // the first time this reader met these bytes under this key
    };

    explicit EngineRecordReader(Source source) : m_source(source) {}

    // The value of a key line, from the value bytes readEngineLine gives. The reference holds
    // until the next call.
    const Value &read(modEngineData::EngineKey key, QByteArrayView bytes);

private:
    struct Entry {
        QString raw;   // the bytes decoded, as read
        Value value;
    };
    struct Slot {
        quint32 hash = 0;
        qint32 entry = -1;
    };
    struct Table {
        std::vector<Slot> buckets;   // a power of two in size, at most half used
        std::vector<Entry> entries;
    };

    const Value &shared(modEngineData::EngineKey key, QByteArrayView bytes);
    void derive(modEngineData::EngineKey key, const QString &raw, Value &value) const;
    size_t slotOf(const Table &table, QByteArrayView bytes, quint32 hash) const;
    static void grow(Table &table);

    Source m_source;
    Value m_single;   // the value of a key whose values are not shared
    std::array<Table, size_t(modEngineData::EngineKey::Ignored) + 1> m_tables;
};
