#pragma once
// Memory figures of this process for the benchmarks, in MB.
#include <QByteArray>
#include <QFile>
#include <QList>

namespace BenchMemory {

// The resident memory now (/proc/self/statm).
inline double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0.0;
}

// The peak resident memory of this process image (VmHWM). Linux carries ru_maxrss over an exec,
// so in a child it would start at the size of the parent; VmHWM starts anew.
inline double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0.0;
}

} // namespace BenchMemory
