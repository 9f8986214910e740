#pragma once
// A hash key that matches names ignoring case without keeping a case-folded copy of each name: the
// key shares the name's own string, and hashing and comparing fold one character at a time.
#include <QHashFunctions>
#include <QString>

struct CaseInsensitiveKey {
    QString text;

    friend bool operator==(const CaseInsensitiveKey &a, const CaseInsensitiveKey &b) noexcept
    {
        const qsizetype size = a.text.size();
        if (size != b.text.size())
            return false;
        const QChar *x = a.text.constData();
        const QChar *y = b.text.constData();
        for (qsizetype i = 0; i < size; ++i) {
            if (x[i] != y[i] && x[i].toCaseFolded() != y[i].toCaseFolded())
                return false;
        }
        return true;
    }

    friend size_t qHash(const CaseInsensitiveKey &key, size_t seed = 0) noexcept
    {
        size_t hash = seed;
        for (QChar ch : key.text)
            hash = hash * 31 + ch.toCaseFolded().unicode();
        return qHash(hash, seed);
    }
};
