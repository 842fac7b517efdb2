#pragma once
// Readable queue entries in test failure messages.

#include "queue/QueueModel.h"

#include <ostream>

namespace queue {
inline void PrintTo(const QueueEntry &e, std::ostream *os)
{
    *os << "{caption " << e.caption.toHex().toStdString() << ", image " << e.imageIndex << ", subItems";
    for (const QByteArray &s : e.subItems)
        *os << ' ' << (s.isEmpty() ? std::string("<>") : s.toHex().toStdString());
    *os << '}';
}

inline void PrintTo(const QList<QueueEntry> &list, std::ostream *os)
{
    *os << list.size() << " entries:";
    for (const QueueEntry &e : list) {
        *os << "\n  ";
        PrintTo(e, os);
    }
}
} // namespace queue
