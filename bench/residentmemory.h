#pragma once

#include <QFile>

#include <unistd.h>

// The process's resident memory in MB, as the kernel counts it.
inline double ResidentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) /
           (1024 * 1024);
}
