#include "sitedata/EngineRecordReader.h"

#include <algorithm>
#include <limits>

#include <QStringList>

#include "platform/Numbers.h"
#include "sitedata/modDataFiles.h"

using modEngineData::EngineKey;

namespace {

// The leading number of a value rounded into the field; nothing when it does not fit. Plain digits
// are read as they are; anything else as the lenient number reading says.
template <typename Int>
std::optional<qint32> fieldNumber(QByteArrayView value)
{
    if (!value.isEmpty() && value.size() <= 9
        && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        qint64 number = 0;
        for (const char c : value)
            number = number * 10 + (c - '0');
        if (number <= std::numeric_limits<Int>::max())
            return qint32(number);
    }
    const QString text = modDataFiles::decoded(value);
    if constexpr (sizeof(Int) == sizeof(qint16)) {
        const std::optional<qint16> number = Platform::lenientToInt16(text);
        return number ? std::optional<qint32>(*number) : std::nullopt;
    } else {
        return Platform::lenientToInt32(text);
    }
}

EngineRecordReader::TypeCounter typeCounterOf(const QString &type)
{
    static const QStringList known = {QStringLiteral("ENG"), QStringLiteral("DIR"), QStringLiteral("FFA"),
                                      QStringLiteral("NEWS"), QStringLiteral("MALL"), QStringLiteral("HOT")};
    const qsizetype index = known.indexOf(type);
    return index < 0 ? EngineRecordReader::TypeMIS : static_cast<EngineRecordReader::TypeCounter>(index);
}

char categoryModeOf(const QString &value)
{
    if (value.size() != 1)
        return 0;
    const char16_t letter = value.front().toUpper().unicode();
    return letter == 'N' || letter == 'F' || letter == 'G' || letter == 'Y' || letter == 'C' ? char(letter) : char(0);
}

quint32 hashOf(QByteArrayView bytes)
{
    quint32 hash = 2166136261u;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

} // namespace

const EngineRecordReader::Value &EngineRecordReader::read(EngineKey key, QByteArrayView bytes)
{
    switch (key) {
    case EngineKey::Name:
    case EngineKey::Home:
    case EngineKey::AddURL:
    case EngineKey::Action:
        m_single.text = modDataFiles::decoded(bytes);
        return m_single;
    case EngineKey::MaxTitle:
    case EngineKey::MaxKeywords:
    case EngineKey::MaxDescription:
        m_single.number = fieldNumber<qint32>(bytes);
        return m_single;
    case EngineKey::SiteLevel:
        m_single.number = fieldNumber<qint16>(bytes);
        return m_single;
    case EngineKey::Ignored:
        m_single.text.clear();
        return m_single;
    default:
        return shared(key, bytes);
    }
}

void EngineRecordReader::derive(EngineKey key, const QString &raw, Value &value) const
{
    switch (key) {
    case EngineKey::Country:
        value.text = raw.trimmed().toUpper();
        if (m_source == Source::EngineDatabase && value.text == QLatin1String("NN"))
            value.text = QStringLiteral("US");
        break;
    case EngineKey::Type:
        value.text = raw.trimmed().toUpper();
        value.typeCounter = typeCounterOf(value.text);
        break;
    case EngineKey::Category:
        value.text = raw;
        value.categoryMode = categoryModeOf(raw);
        break;
    case EngineKey::AdultOnlySites:
    case EngineKey::Adults:
        // The flag is one character: "ß" has no one-character capital and stays as it is.
        value.text = raw.isEmpty() ? QString() : QString(raw.front().toUpper());
        break;
    default:
        value.text = raw;
        break;
    }
}

const EngineRecordReader::Value &EngineRecordReader::shared(EngineKey key, QByteArrayView bytes)
{
    Table &table = m_tables[size_t(key)];
    const quint32 hash = hashOf(bytes);
    if (!table.buckets.empty()) {
        const Slot &slot = table.buckets[slotOf(table, bytes, hash)];
        if (slot.entry >= 0) {
            Value &known = table.entries[size_t(slot.entry)].value;
            known.firstSight = false;
            return known;
        }
    }
    if ((table.entries.size() + 1) * 2 > table.buckets.size())
        grow(table);
    Entry entry{modDataFiles::decoded(bytes), Value()};
    derive(key, entry.raw, entry.value);
    entry.value.firstSight = true;
    table.buckets[slotOf(table, bytes, hash)] = {hash, qint32(table.entries.size())};
    table.entries.push_back(std::move(entry));
    return table.entries.back().value;
}

size_t EngineRecordReader::slotOf(const Table &table, QByteArrayView bytes, quint32 hash) const
{
    const size_t mask = table.buckets.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot &slot = table.buckets[at];
        if (slot.entry < 0 || (slot.hash == hash && modDataFiles::decodesTo(bytes, table.entries[size_t(slot.entry)].raw)))
            return at;
    }
}

void EngineRecordReader::grow(Table &table)
{
    std::vector<Slot> buckets(table.buckets.empty() ? 16 : table.buckets.size() * 2);
    const size_t mask = buckets.size() - 1;
    for (const Slot &slot : table.buckets) {
        if (slot.entry < 0)
            continue;
        size_t at = slot.hash & mask;
        while (buckets[at].entry >= 0)
            at = (at + 1) & mask;
        buckets[at] = slot;
    }
    table.buckets = std::move(buckets);
}
